// The Remote Access Service as the dial-up library reaches it: RASAPI32.DLL loaded by
// name through the common library, the entry points looked up by name, and the two
// that the library keeps from attach to detach (RasDialA, RasHangUpA).
#pragma once

#include <windows.h>

#include "dialup/core/ras_types.h"
#include "hostapi/qpunique.h"

namespace qpras {

using RasDialProc = DWORD(WINAPI*)(void* extensions, const char* phonebook,
                                   RasDialParamsA* params, DWORD notifierType,
                                   void* notifier, HANDLE* connection);
using RasHangUpProc = DWORD(WINAPI*)(HANDLE connection);
using RasEnumEntriesProc = DWORD(WINAPI*)(const char* reserved, const char* phonebook,
                                          RasEntryNameA* entries, DWORD* size,
                                          DWORD* count);
using RasGetEntryDialParamsProc = DWORD(WINAPI*)(const char* phonebook,
                                                 RasDialParamsA* params,
                                                 BOOL* passwordStored);

constexpr const char* kRasLibraryName = "RASAPI32.DLL";

// RASAPI32.DLL loaded for one use and released when the owner goes.
class RasLibrary {
 public:
  RasLibrary() : module_(::QPLoadLibrary(kRasLibraryName)) {}
  explicit operator bool() const { return static_cast<bool>(module_); }
  // The entry point `name`, or null when the library or the function is missing.
  template <typename Proc>
  Proc lookUp(const char* name) const {
    if (!module_) return nullptr;
    return reinterpret_cast<Proc>(
        reinterpret_cast<void*>(::GetProcAddress(module_.get(), name)));
  }

 private:
  qp::UniqueQpLibrary module_;
};

// Process attach: loads RASAPI32.DLL and keeps RasDialA and RasHangUpA; false (nothing
// kept) when the library or either function is missing.
bool attachRas();
// Process detach: releases the library, unless the process is ending (then the system
// takes everything back and other libraries may already be gone).
void detachRas(bool processEnding);

// The kept entry points; an error code when the library is not attached.
DWORD rasDial(RasDialParamsA* params, HWND notifier, HANDLE* connection);
DWORD rasHangUp(HANDLE connection);

// The library's own instance handle (dialog templates), kept at attach.
HINSTANCE moduleInstance();
void setModuleInstance(HINSTANCE instance);

}  // namespace qpras
