// A RASAPI32.DLL without RasHangUpA, for the test that the dial-up library refuses to
// load when the service lacks one of the functions it keeps.
#include <windows.h>

extern "C" DWORD WINAPI RasDialA(void*, const char*, void*, DWORD, void*, HANDLE*) {
  return ERROR_NOT_SUPPORTED;
}
