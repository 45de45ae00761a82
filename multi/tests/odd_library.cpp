// A library that looks like half an interface library, built twice for the interface
// list's tests: QPXNOSTATUS.DLL exports QPIAuthenticateUser but not
// QPICheckInterfaceStatus, QPXNOAUTH.DLL the other way round. Neither may be offered.
#include <windows.h>

#include <cstdint>
#include <cstring>

extern "C" {

#ifdef QP_ODD_HAS_AUTHENTICATE
__declspec(dllexport) int32_t
    __stdcall QPIAuthenticateUser(const char*, const char*, const char*, int32_t, void**) {
  return 1;
}
#endif

#ifdef QP_ODD_HAS_STATUS
__declspec(dllexport) int32_t
    __stdcall QPICheckInterfaceStatus(char* description, int32_t*, int32_t*) {
  if (description != nullptr) std::strcpy(description, "Half an interface");
  return 1;
}
#endif

__declspec(dllexport) uint32_t __stdcall QPIQueryCapabilities() { return 0xC00; }

}  // extern "C"
