// The RAS entry points kept from attach to detach, and the library's instance handle.
#include "dialup/ras_library.h"

#include <atomic>

namespace qpras {
namespace {

// Set at attach, before any thread of this library runs; cleared at detach.
qp::UniqueQpLibrary rasModule;
RasDialProc keptRasDial = nullptr;
RasHangUpProc keptRasHangUp = nullptr;
std::atomic<HINSTANCE> instance{nullptr};

template <typename Proc>
Proc lookUpIn(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace

bool attachRas() {
  qp::UniqueQpLibrary module(::QPLoadLibrary(kRasLibraryName));
  if (!module) return false;
  auto dial = lookUpIn<RasDialProc>(module.get(), "RasDialA");
  auto hangUp = lookUpIn<RasHangUpProc>(module.get(), "RasHangUpA");
  if (dial == nullptr || hangUp == nullptr) return false;  // released by the owner
  rasModule = std::move(module);
  keptRasDial = dial;
  keptRasHangUp = hangUp;
  return true;
}

void detachRas(bool processEnding) {
  keptRasDial = nullptr;
  keptRasHangUp = nullptr;
  if (processEnding)
    rasModule.release();
  else
    rasModule.reset();
}

DWORD rasDial(RasDialParamsA* params, HWND notifier, HANDLE* connection) {
  if (keptRasDial == nullptr) return kRasErrorInvalidHandle;
  return keptRasDial(nullptr, nullptr, params, kRasNotifyWindow, notifier, connection);
}

DWORD rasHangUp(HANDLE connection) {
  if (keptRasHangUp == nullptr) return kRasErrorInvalidHandle;
  return keptRasHangUp(connection);
}

HINSTANCE moduleInstance() { return instance.load(); }

void setModuleInstance(HINSTANCE module) { instance = module; }

}  // namespace qpras
