// Entry point of QPXRAS.DLL (exported as DllEntryPoint as well): at process attach it
// loads RASAPI32.DLL and keeps RasDialA and RasHangUpA, refusing to load without them;
// at detach it releases the library.
#include <windows.h>

#include "dialup/ras_library.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  // Thread notifications stay on: the static C++ runtime linked in relies on them.
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      if (!qpras::attachRas()) return FALSE;
      qpras::setModuleInstance(module);
      return TRUE;
    case DLL_PROCESS_DETACH:
      // A non-null `reserved` means the process is ending.
      qpras::detachRas(reserved != nullptr);
      return TRUE;
    default:
      return TRUE;
  }
}
