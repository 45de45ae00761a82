// The user's full name and full address: handed to every member interface that takes
// them at log-in, cached per profile in the desktop client's area, and asked of the
// members by QPIGetFullName and QPIGetFullAddress.
#include <windows.h>

#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"
#include "multi/member_sessions.h"
#include "multi/profile_store.h"
#include "multi/qpi_exports.h"

namespace qpmulti {

namespace {

// One of the two identity texts, with the calls that serve it.
struct IdentityText {
  uint32_t capability;  // the member interface takes the text
  char**(QPAPI* hostText)(QPSESSION, char***);
  void (*cache)(const char*, const char*);
  void (*lookUp)(const char*, char*, size_t);
  void(QPAPI* tell)(QPSESSION, const char*, const char*);
};

const IdentityText kFullName = {0x10, GetUserFullNamePtr, CacheFullName, LookUpFullName,
                                QPiSetFullName};
const IdentityText kFullAddress = {0x8, GetUserFullAddressPtr, CacheFullAddress, LookUpFullAddress,
                                   QPiSetFullAddress};

void propagate(const IdentityText& identity, QPSESSION host, const char* profile,
               QPSESSION member) {
  if ((QPiQueryCapabilities(member) & identity.capability) == 0) return;
  // A text the host session knows is only remembered for later log-ins.
  char** known = identity.hostText(host, nullptr);
  if (known != nullptr && *known != nullptr && **known != '\0') {
    identity.cache(profile, *known);
    return;
  }
  char text[kFullTextSize];
  identity.lookUp(profile, text, sizeof text);
  if (text[0] != '\0') identity.tell(member, profile, text);
}

}  // namespace

void PropagateIdentity(QPSESSION host, const char* profileName, QPSESSION member) {
  propagate(kFullName, host, profileName, member);
  propagate(kFullAddress, host, profileName, member);
}

}  // namespace qpmulti

// The first member after whose call the buffer holds a name gives it.
int32_t QPAPI QPIGetFullName(QPSESSION host, const char* /*userName*/, char* fullName) {
  qpmulti::PropagateSessionOptions(host);
  const qpmulti::MemberSessionTable* table = qpmulti::findTable(host);
  if (table == nullptr) return -1;
  if (fullName == nullptr) return 0;
  bool found = false;
  qpmulti::forEachMember(*table, [&](QPSESSION member, const char* userName) {
    QPiGetFullName(member, userName, fullName);
    found = fullName[0] != '\0';
    return !found;
  });
  return found ? 1 : 0;
}

// As QPIGetFullName; the result is that of the member call that filled the buffer, or of
// the last call made.
int32_t QPAPI QPIGetFullAddress(QPSESSION host, const char* /*userName*/, char* fullAddress) {
  qpmulti::PropagateSessionOptions(host);
  const qpmulti::MemberSessionTable* table = qpmulti::findTable(host);
  if (table == nullptr) return -1;
  if (fullAddress == nullptr) return 0;
  int32_t result = 0;
  qpmulti::forEachMember(*table, [&](QPSESSION member, const char* userName) {
    result = QPiGetFullAddress(member, userName, fullAddress);
    return fullAddress[0] == '\0';
  });
  return result;
}
