// Entry point of QPXMULTI.DLL (exported as DllEntryPoint): keeps the module instance.
#include <windows.h>

#include "multi/module.h"

namespace {
HINSTANCE instance = nullptr;
}  // namespace

HINSTANCE qpmulti::moduleInstance() { return instance; }

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
  // Thread notifications stay on: the static C++ runtime linked in relies on them.
  if (reason == DLL_PROCESS_ATTACH) instance = module;
  return TRUE;
}
