// The area-path decision by network user; see area_path.h.
#include "multi/core/area_path.h"

#include "common/text.h"

namespace qpmulti {

namespace {
bool isEmpty(const char* text) { return text == nullptr || *text == '\0'; }
}  // namespace

bool shouldStoreNetDefaultUser(const char* netUser, const char* storedDefault) {
  return isEmpty(storedDefault) && !isEmpty(netUser);
}

std::string areaPath(const char* basePath, const char* netUser, const char* defaultUser) {
  std::string path = basePath == nullptr ? "" : basePath;
  if (!isEmpty(netUser) && !qp::equalsNoCase(netUser, defaultUser)) {
    path += "\\NonDefaultUser\\";
    path += netUser;
  }
  return path;
}

}  // namespace qpmulti
