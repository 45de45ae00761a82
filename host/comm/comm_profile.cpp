// User profiles: QPUSER.INI in the user's own directory, read and written as an
// initialization file.
#include "common/text.h"
#include "host/comm/comm_shell.h"
#include "host/comm/textops.h"
#include "hostapi/qpxcomm.h"

namespace {

constexpr char kProfileName[] = "QPUSER.INI";
constexpr DWORD kValueSize = 256;

bool profilePath(const char* userName, char (&path)[MAX_PATH], bool create) {
  return qpcomm::userDirectory(userName, path, sizeof path, create) &&
         qp::appendText(path, kProfileName);
}

}  // namespace

int32_t QPAPI QPGetUserProfileBool2(const char* userName, const char* section,
                                    const char* key, int32_t defaultValue) {
  char path[MAX_PATH];
  if (section == nullptr || key == nullptr || !profilePath(userName, path, false))
    return defaultValue;
  char value[kValueSize];
  DWORD length = ::GetPrivateProfileStringA(section, key, "", value, kValueSize, path);
  // A value that did not fit is no boolean, whatever its cut start reads as.
  if (length >= kValueSize - 1) return defaultValue;
  return qpcomm::parseProfileBool(value, defaultValue);
}

// A null key removes the section and a null value the key, as in any initialization file.
int32_t QPAPI QPWriteUserProfileString2(const char* userName, const char* section,
                                        const char* key, const char* value) {
  char path[MAX_PATH];
  if (section == nullptr || !profilePath(userName, path, true)) return 0;
  return ::WritePrivateProfileStringA(section, key, value, path) ? 1 : 0;
}
