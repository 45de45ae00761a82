// The MemberSessionTable in the host session's user data, and option propagation.
#include "multi/member_sessions.h"

#include "hostapi/qpxcomm.h"
#include "multi/core/member_options.h"

namespace qpmulti {

void** tableCell(QPSESSION host) { return GetUserData(host, 0, nullptr); }

MemberSessionTable* findTable(QPSESSION host) {
  void** cell = tableCell(host);
  return cell != nullptr ? static_cast<MemberSessionTable*>(*cell) : nullptr;
}

MemberName::MemberName(QPSESSION member) {
  text[0] = '\0';
  GetUserUsername(member, text);
}

void PropagateSessionOptions(QPSESSION host) {
  const MemberSessionTable* table = findTable(host);
  if (table == nullptr) return;
  const uint32_t hostOptions = QPGetSessionOptions(host);
  for (QPSESSION member : table->slots) {
    if (member == kEmptySlot) continue;
    for (uint32_t bit : kPropagatedOptions)
      QPSetSessionOptions(member, withHostBit(QPGetSessionOptions(member), hostOptions, bit));
  }
}

}  // namespace qpmulti
