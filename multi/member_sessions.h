// The MemberSessionTable of a host session (user-data cell 0), the walk over its member
// sessions, and option propagation from the host session to its members.
#pragma once

#include "hostapi/qptypes.h"
#include "multi/core/multi_tag.h"

namespace qpmulti {

// 50 member sessions, -1 for an empty slot; a QPmalloc block that the host session's
// cell 0 points to once log-in has handed it over. QPXMULTI never frees a handed-over
// table.
struct MemberSessionTable {
  QPSESSION slots[kMemberSlots];
};
static_assert(sizeof(MemberSessionTable) == 200, "the table is 50 32-bit slots");

// The host session's user-data cell 0, or null when the common library knows no such
// session.
void** tableCell(QPSESSION host);
// The table in that cell, or null when there is no cell or no table yet.
MemberSessionTable* findTable(QPSESSION host);

// A member session's user name, as fan-out passes it second to the session manager.
struct MemberName {
  char text[QP_TEXT_SMALL];
  explicit MemberName(QPSESSION member);
};

// Calls visit(member, memberUserName) for every filled slot in ascending order until
// visit returns false. Empty slots are skipped without a call.
template <typename Visit>
void forEachMember(const MemberSessionTable& table, Visit visit) {
  for (QPSESSION member : table.slots) {
    if (member == kEmptySlot) continue;
    const MemberName name(member);
    if (!visit(member, name.text)) return;
  }
}

// Copies the host's option bits 0x100, 0x40 and 0x10 to every member session.
void PropagateSessionOptions(QPSESSION host);

}  // namespace qpmulti
