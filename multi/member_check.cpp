// The credential test of a member through the session manager; see member_check.h.
#include "multi/member_check.h"

#include "hostapi/qpxsess.h"

namespace qpmulti {

QPSESSION OpenMemberTestSession(const char* userName, const char* password,
                                const char* interfaceName, const char* mailDatabase,
                                int32_t flags) {
  return QPiAuthenticateUser(userName, password, interfaceName, mailDatabase, flags, nullptr);
}

void EndMemberTestSession(QPSESSION session, const char* userName) {
  QPiInitUser(session, userName);
  QPiCleanUpAfterUser(session, userName);
}

bool TestMemberCredentials(const char* userName, const char* password,
                           const char* interfaceName, const char* mailDatabase,
                           int32_t flags) {
  const QPSESSION session =
      OpenMemberTestSession(userName, password, interfaceName, mailDatabase, flags);
  if (session == QP_NO_SESSION) return false;
  EndMemberTestSession(session, userName);
  return true;
}

}  // namespace qpmulti
