// The message lists of QPXMULTI: the index of a folder and the search ask every member,
// tag the entries each member appended with its MULTI tag and merge them; the index poll
// asks the members until one reports a change.
#include <windows.h>

#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"
#include "multi/core/entry_tags.h"
#include "multi/core/member_appends.h"
#include "multi/core/search_dedup.h"
#include "multi/export_guard.h"
#include "multi/host_lists.h"
#include "multi/member_sessions.h"
#include "multi/message_exports.h"

namespace qpmulti {

namespace {

constexpr int32_t kNobodyAsked = -1;
// A member's poll answer that ends the poll: its index changed.
constexpr int32_t kIndexChanged = 2;
// The lower slot's user name is fetched into this many bytes, mailbox types into
// at least 152.
constexpr size_t kUserNameSize = 152;
constexpr size_t kMailboxTypeSize = 152;

struct Account {
  char userName[kUserNameSize] = "";
  char mailboxType[kMailboxTypeSize] = "";
  explicit Account(QPSESSION member) {
    GetUserUsername(member, userName);
    GetUserMailboxType(member, mailboxType);
  }
};

// True when a slot below `slot` holds the same account: the same user name and mailbox
// type, letter case aside. Such an account is indexed once, under its lower slot.
bool listedBelow(const MemberSessionTable& table, unsigned slot, const Account& account) {
  for (unsigned lower = 0; lower < slot; ++lower) {
    if (table.slots[lower] == kEmptySlot) continue;
    const Account other(table.slots[lower]);
    if (::lstrcmpiA(other.userName, account.userName) == 0 &&
        ::lstrcmpiA(other.mailboxType, account.mailboxType) == 0) {
      return true;
    }
  }
  return false;
}

// Settles the list after the member in `slot` appended (a lowered count goes back, null
// entries it counted go) and tags what it appended: from the count before its call to the
// count after it.
void tagAppended(char** entries, int32_t before, int32_t* count, unsigned slot, TagScope scope) {
  *count = settleAppended(entries, before, *count);
  if (before < 0 || *count <= before) return;
  tagMemberEntries(entries, static_cast<size_t>(before), static_cast<size_t>(*count), slot, scope,
                   hostEntryMemory());
}

int32_t buildIndex(QPSESSION host, intptr_t arg3, char** entries, int32_t* count) {
  PropagateSessionOptions(host);
  const MemberSessionTable* table = findTable(host);
  if (table == nullptr || entries == nullptr || count == nullptr) return kNobodyAsked;
  int32_t result = kNobodyAsked;
  for (unsigned slot = 0; slot < kMemberSlots; ++slot) {
    const QPSESSION member = table->slots[slot];
    if (member == kEmptySlot) continue;
    const MemberName name(member);
    if (listedBelow(*table, slot, Account(member))) continue;
    const int32_t before = *count;
    const int32_t answer = QPiBuildMailMessageIndex(member, name.text, arg3, entries, count);
    tagAppended(entries, before, count, slot, TagScope::Index);
    if (answer > result) result = answer;
  }
  return result;
}

int32_t checkIndexUpdated(QPSESSION host, intptr_t arg3, intptr_t arg4) {
  PropagateSessionOptions(host);
  const MemberSessionTable* table = findTable(host);
  if (table == nullptr) return kNobodyAsked;
  int32_t result = kNobodyAsked;
  forEachMember(*table, [&](QPSESSION member, const char* userName) {
    const int32_t answer = QPiCheckMessageIndexUpdated(member, userName, arg3, arg4);
    if (answer > result) result = answer;
    return result != kIndexChanged;
  });
  return result;
}

int32_t searchFolder(QPSESSION host, char** results, int32_t* count, const intptr_t (&args)[10]) {
  PropagateSessionOptions(host);
  const MemberSessionTable* table = findTable(host);
  if (table == nullptr || results == nullptr || count == nullptr) return 0;
  // Every member is asked, a twice-listed account too; each tags its own copies.
  for (unsigned slot = 0; slot < kMemberSlots; ++slot) {
    const QPSESSION member = table->slots[slot];
    if (member == kEmptySlot) continue;
    const MemberName name(member);
    const int32_t before = *count;
    QPiDoMessageSearchFolder(member, results, count, name.text, args[0], args[1], args[2], args[3],
                             args[4], args[5], args[6], args[7], args[8], args[9]);
    tagAppended(results, before, count, slot, TagScope::Search);
  }
  // Repeats go over the whole list, entries from before the search included.
  if (*count > 0) {
    *count = static_cast<int32_t>(
        removeDuplicateResults(results, static_cast<size_t>(*count), hostEntryMemory()));
  }
  return *count;
}

}  // namespace

}  // namespace qpmulti

int32_t QPAPI QPIBuildMailMessageIndex(QPSESSION host, const char* /*userName*/, intptr_t arg3,
                                       char** indexEntries, int32_t* entryCount, intptr_t /*arg6*/,
                                       intptr_t /*arg7*/) {
  return qpmulti::guardExport(
      -1, [&] { return qpmulti::buildIndex(host, arg3, indexEntries, entryCount); });
}

int32_t QPAPI QPICheckMessageIndexUpdated(QPSESSION host, const char* /*userName*/, intptr_t arg3,
                                          intptr_t arg4, intptr_t /*arg5*/, intptr_t /*arg6*/,
                                          intptr_t /*arg7*/) {
  return qpmulti::guardExport(-1, [&] { return qpmulti::checkIndexUpdated(host, arg3, arg4); });
}

int32_t QPAPI QPIDoMessageSearchFolder(QPSESSION host, const char* /*userName*/, char** resultList,
                                       int32_t* resultCount, intptr_t /*arg5*/, intptr_t arg6,
                                       intptr_t arg7, intptr_t arg8, intptr_t arg9, intptr_t arg10,
                                       intptr_t arg11, intptr_t arg12, intptr_t arg13,
                                       intptr_t arg14, intptr_t arg15) {
  const intptr_t passedOn[10] = {arg6, arg7, arg8, arg9, arg10, arg11, arg12, arg13, arg14, arg15};
  return qpmulti::guardExport(
      0, [&] { return qpmulti::searchFolder(host, resultList, resultCount, passedOn); });
}
