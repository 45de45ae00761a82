// The address-book and distribution-list exports of QPXMULTI.DLL. A book name or entry
// that a member other than the primary one hands out carries that member's type prefix
// ("<mailbox type>:"); a name that begins with a member's prefix is answered by the lowest
// slot of that type, with the prefix removed. Personal books, distribution lists and the
// default book pass to the primary member unchanged.
#include "multi/book_exports.h"

#include <windows.h>

#include <cstring>

#include "common/text.h"
#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"
#include "multi/core/book_names.h"
#include "multi/core/member_appends.h"
#include "multi/export_guard.h"
#include "multi/member_sessions.h"

namespace qpmulti {

namespace {

// Scans of the host's recipient lists stop here at the latest.
constexpr size_t kMaxRecipients = 50000;
constexpr size_t kAddressPartSize = 500;

// A member's mailbox type, and the type prefix made of it.
struct MemberType {
  char type[kTypePrefixSize] = "";
  char prefix[kTypePrefixSize] = "";
  void read(QPSESSION member) {
    GetUserMailboxType(member, type);
    type[kTypePrefixSize - 1] = '\0';
    if (type[0] == '\0' || !qp::copyText(prefix, type) || !qp::appendText(prefix, ":")) {
      prefix[0] = '\0';  // an untyped member (or a type too long to type with) matches nothing
    }
  }
};

// The type prefixes of all slots, empty for empty slots.
struct SlotTypes {
  MemberType slot[kMemberSlots];
  const char* prefixes[kMemberSlots];
  explicit SlotTypes(const MemberSessionTable& table) {
    for (unsigned i = 0; i < kMemberSlots; ++i) {
      if (table.slots[i] != kEmptySlot) slot[i].read(table.slots[i]);
      prefixes[i] = slot[i].prefix;
    }
  }
};

const MemberSessionTable* propagatedTable(QPSESSION host) {
  PropagateSessionOptions(host);
  return findTable(host);
}

size_t countEntries(char** list) {
  size_t count = 0;
  while (count < kMaxRecipients && list[count] != nullptr) ++count;
  return count;
}

char* newBlock(size_t size) {
  const uint32_t blockSize = static_cast<uint32_t>(size);
  return blockSize == size ? static_cast<char*>(QPmalloc(blockSize)) : nullptr;
}

// Rewrites one recipient appended by a member other than the primary one into
// "<full name> <<prefix><bare>>", or "<<prefix><bare>>" when it has no full name (the
// common library answers the bare address as the full name of an address without one).
// A failed allocation leaves the entry as it was.
void typeRecipient(char*& entry, const char* prefix) {
  char bare[kAddressPartSize] = "";
  char fullName[kAddressPartSize] = "";
  StripFullName(entry, bare, sizeof bare);
  ParseFullNameFromAddress(entry, fullName, sizeof fullName);
  bare[sizeof bare - 1] = '\0';
  fullName[sizeof fullName - 1] = '\0';
  if (qp::equalsNoCase(fullName, bare)) fullName[0] = '\0';
  if (fullName[0] != '\0') EncodeFullName(fullName, sizeof fullName);
  fullName[sizeof fullName - 1] = '\0';
  const size_t size = typedRecipientLength(fullName, prefix, bare) + 1;
  char* typed = newBlock(size);
  if (typed == nullptr) return;
  formatTypedRecipient(fullName, prefix, bare, typed, size);
  WriteDebugLog(-1, typed);
  QPfree(entry);
  entry = typed;
}

void typeRecipientsFrom(char** list, size_t start, const char* prefix) {
  for (size_t i = start; i < kMaxRecipients && list[i] != nullptr; ++i) {
    typeRecipient(list[i], prefix);
  }
}

int32_t buildAddressBookList(QPSESSION host, char** names, int32_t* count) {
  const MemberSessionTable* table = propagatedTable(host);
  if (table == nullptr) return -1;
  if (names == nullptr || count == nullptr) return 0;
  for (unsigned i = 0; i < kMemberSlots; ++i) {
    const QPSESSION member = table->slots[i];
    if (member == kEmptySlot) continue;
    const int32_t start = *count;
    QPiBuildAddressBookList(member, MemberName(member).text, names, count);
    *count = settleAppended(names, start, *count);
    if (i == 0 || start < 0) continue;  // the primary member's names stay untyped
    MemberType type;
    type.read(member);
    const size_t prefixLength = std::strlen(type.prefix);
    for (int32_t j = start; j < *count; ++j) {
      char*& name = names[j];
      if (name == nullptr) continue;
      const size_t length = std::strlen(name);
      char* typed = newBlock(prefixLength + length + 1);
      if (typed == nullptr) continue;
      std::memcpy(typed, type.prefix, prefixLength);
      std::memcpy(typed + prefixLength, name, length + 1);
      QPfree(name);
      name = typed;
    }
  }
  return *count;
}

int32_t buildAvailableRecips(QPSESSION host, const char* book, char** list, intptr_t arg5,
                             intptr_t arg6, intptr_t arg7) {
  const MemberSessionTable* table = propagatedTable(host);
  if (table == nullptr) return -1;
  const SlotTypes types(*table);
  const int slot = findTypedSlot(book, types.prefixes, kMemberSlots);
  if (slot < 0) {
    const QPSESSION primary = table->slots[0];
    if (primary == kEmptySlot) return -1;
    return QPiBuildAvailableRecipsList(primary, MemberName(primary).text, book, list, arg5,
                                       arg6, arg7);
  }
  const QPSESSION member = table->slots[slot];
  const char* prefix = types.prefixes[slot];
  const size_t start = list != nullptr ? countEntries(list) : 0;
  const int32_t result = QPiBuildAvailableRecipsList(
      member, MemberName(member).text, book + std::strlen(prefix), list, arg5, arg6, arg7);
  if (slot != 0 && list != nullptr) typeRecipientsFrom(list, start, prefix);
  return result;
}

int32_t searchAddressBooks(QPSESSION host, intptr_t arg3, char** list, intptr_t arg5,
                           intptr_t arg6) {
  const MemberSessionTable* table = propagatedTable(host);
  if (table == nullptr) return -1;
  if (list == nullptr) return 0;
  const size_t before = countEntries(list);
  for (unsigned i = 0; i < kMemberSlots; ++i) {
    const QPSESSION member = table->slots[i];
    if (member == kEmptySlot) continue;
    const size_t start = countEntries(list);
    QPiSearchAddressBooks(member, MemberName(member).text, arg3, list, arg5, arg6);
    if (i == 0) continue;
    MemberType type;
    type.read(member);
    typeRecipientsFrom(list, start, type.prefix);
  }
  return static_cast<int32_t>(countEntries(list) - before);
}

void encodeFullName(char* text, size_t size, void*) {
  EncodeFullName(text, static_cast<int32_t>(size));
}

// The names are matched and passed on without a copy: a member receives the caller's text
// behind the prefix, whatever its length, so a long name is neither cut nor overrun.
int32_t getPublicEntry(QPSESSION host, const char* nameA, const char* nameB, char* entry,
                       intptr_t arg6, intptr_t arg7, intptr_t arg8, intptr_t arg9) {
  const MemberSessionTable* table = findTable(host);
  if (table == nullptr) return -1;
  for (unsigned i = 0; i < kMemberSlots; ++i) {
    const QPSESSION member = table->slots[i];
    if (member == kEmptySlot) continue;
    MemberType type;
    type.read(member);
    if (type.prefix[0] == '\0') continue;
    const bool matchA = nameA != nullptr && qp::startsWithNoCase(nameA, type.prefix);
    const bool matchB = nameB != nullptr && qp::startsWithNoCase(nameB, type.prefix);
    if (!matchA && !matchB) continue;
    const size_t prefixLength = std::strlen(type.prefix);
    const int32_t result = QPiGetPublicAddressBookEntry(
        member, MemberName(member).text, matchA ? nameA + prefixLength : nameA,
        matchB ? nameB + prefixLength : nameB, entry, arg6, arg7, arg8, arg9);
    if (result == 0 || i == 0 || entry == nullptr) return result;
    entry[kPublicEntrySize - 1] = '\0';  // whatever the member left there
    char bare[kAddressPartSize] = "";
    char fullName[kAddressPartSize] = "";
    StripFullName(entry, bare, sizeof bare);
    ParseFullNameFromAddress(entry, fullName, sizeof fullName);
    bare[sizeof bare - 1] = '\0';
    fullName[sizeof fullName - 1] = '\0';
    // A typed form that does not fit the entry buffer leaves the member's entry as it is.
    typePublicEntry(fullName, bare, type.type, encodeFullName, nullptr, entry);
    return result;
  }
  const QPSESSION primary = table->slots[0];
  if (primary == kEmptySlot) return -1;
  return QPiGetPublicAddressBookEntry(primary, MemberName(primary).text, nameA, nameB, entry,
                                      arg6, arg7, arg8, arg9);
}

// Calls `forward` with the primary member and its user name; `absent` when there is no
// table or no primary member.
template <typename Forward>
int32_t toPrimary(QPSESSION host, int32_t absent, Forward forward) {
  return guardExport<int32_t>(absent, [&] {
    const MemberSessionTable* table = findTable(host);
    if (table == nullptr || table->slots[0] == kEmptySlot) return absent;
    const QPSESSION primary = table->slots[0];
    return forward(primary, MemberName(primary).text);
  });
}

}  // namespace

}  // namespace qpmulti

using qpmulti::guardExport;
using qpmulti::toPrimary;

int32_t QPAPI QPIBuildAddressBookList(QPSESSION host, const char* /*userName*/, char** bookNames,
                                      int32_t* nameCount) {
  return guardExport<int32_t>(
      -1, [&] { return qpmulti::buildAddressBookList(host, bookNames, nameCount); });
}

int32_t QPAPI QPIBuildAvailableRecipsList(QPSESSION host, const char* /*userName*/,
                                          const char* bookName, char** recipientList,
                                          intptr_t arg5, intptr_t arg6, intptr_t arg7) {
  return guardExport<int32_t>(-1, [&] {
    return qpmulti::buildAvailableRecips(host, bookName, recipientList, arg5, arg6, arg7);
  });
}

int32_t QPAPI QPIGetDefaultAddressBook(QPSESSION host, const char* /*userName*/, intptr_t arg3) {
  qpmulti::guardExport([&] { qpmulti::PropagateSessionOptions(host); });
  return toPrimary(host, 0, [&](QPSESSION m, const char* u) {
    return QPiGetDefaultAddressBook(m, u, arg3);
  });
}

int32_t QPAPI QPISearchAddressBooks(QPSESSION host, const char* /*userName*/, intptr_t arg3,
                                    char** recipientList, intptr_t arg5, intptr_t arg6) {
  return guardExport<int32_t>(-1, [&] {
    return qpmulti::searchAddressBooks(host, arg3, recipientList, arg5, arg6);
  });
}

int32_t QPAPI QPIGetPublicAddressBookEntry(QPSESSION host, const char* /*userName*/,
                                           const char* nameA, const char* nameB,
                                           char* entryAddress, intptr_t arg6, intptr_t arg7,
                                           intptr_t arg8, intptr_t arg9) {
  return guardExport<int32_t>(-1, [&] {
    return qpmulti::getPublicEntry(host, nameA, nameB, entryAddress, arg6, arg7, arg8, arg9);
  });
}

int32_t QPAPI QPIGetPersonalDList(QPSESSION host, const char* /*userName*/, intptr_t arg3,
                                  intptr_t arg4, intptr_t arg5, intptr_t arg6, intptr_t arg7,
                                  intptr_t arg8, intptr_t arg9) {
  return toPrimary(host, -1, [&](QPSESSION m, const char* u) {
    return QPiGetPersonalDList(m, u, arg3, arg4, arg5, arg6, arg7, arg8, arg9);
  });
}

int32_t QPAPI QPISavePersonalDList(QPSESSION host, const char* /*userName*/, intptr_t arg3,
                                   intptr_t arg4, intptr_t arg5, intptr_t arg6, intptr_t arg7,
                                   intptr_t arg8, intptr_t arg9, intptr_t arg10) {
  return toPrimary(host, -1, [&](QPSESSION m, const char* u) {
    return QPiSavePersonalDList(m, u, arg3, arg4, arg5, arg6, arg7, arg8, arg9, arg10);
  });
}

int32_t QPAPI QPIGetPersonalAddressBookEntry(QPSESSION host, const char* /*userName*/,
                                             intptr_t arg3, intptr_t arg4, intptr_t arg5,
                                             intptr_t arg6, intptr_t arg7, intptr_t arg8,
                                             intptr_t arg9) {
  return toPrimary(host, -1, [&](QPSESSION m, const char* u) {
    return QPiGetPersonalAddressBookEntry(m, u, arg3, arg4, arg5, arg6, arg7, arg8, arg9);
  });
}

int32_t QPAPI QPISavePersonalAddressBookEntry(QPSESSION host, const char* /*userName*/,
                                              intptr_t arg3, intptr_t arg4, intptr_t arg5,
                                              intptr_t arg6, intptr_t arg7, intptr_t arg8,
                                              intptr_t arg9, intptr_t arg10) {
  return toPrimary(host, -1, [&](QPSESSION m, const char* u) {
    return QPiSavePersonalAddressBookEntry(m, u, arg3, arg4, arg5, arg6, arg7, arg8, arg9,
                                           arg10);
  });
}

int32_t QPAPI QPIDeletePersonalDList(QPSESSION host, const char* /*userName*/, intptr_t arg3,
                                     intptr_t arg4, intptr_t arg5, intptr_t arg6) {
  return toPrimary(host, -1, [&](QPSESSION m, const char* u) {
    return QPiDeletePersonalDList(m, u, arg3, arg4, arg5, arg6);
  });
}

int32_t QPAPI QPIDeletePersonalAddressBookEntry(QPSESSION host, const char* /*userName*/,
                                                intptr_t arg3, intptr_t arg4, intptr_t arg5,
                                                intptr_t arg6) {
  return toPrimary(host, -1, [&](QPSESSION m, const char* u) {
    return QPiDeletePersonalAddressBookEntry(m, u, arg3, arg4, arg5, arg6);
  });
}

int32_t QPAPI QPIGetPublicDList(QPSESSION host, const char* /*userName*/, intptr_t arg3,
                                intptr_t arg4, intptr_t arg5, intptr_t arg6, intptr_t arg7,
                                intptr_t arg8, intptr_t arg9) {
  return toPrimary(host, -1, [&](QPSESSION m, const char* u) {
    return QPiGetPublicDList(m, u, arg3, arg4, arg5, arg6, arg7, arg8, arg9);
  });
}

int32_t QPAPI QPIBuildListOfPersonalDLists(QPSESSION host, const char* /*userName*/,
                                           intptr_t arg3) {
  return toPrimary(host, -1, [&](QPSESSION m, const char* u) {
    return QPiBuildListOfPersonalDLists(m, u, arg3);
  });
}

int32_t QPAPI QPIBuildListOfPublicDLists(QPSESSION host, const char* /*userName*/,
                                         intptr_t arg3) {
  return toPrimary(host, -1, [&](QPSESSION m, const char* u) {
    return QPiBuildListOfPublicDLists(m, u, arg3);
  });
}

int32_t QPAPI QPIBuildPersonalAddressBookList(QPSESSION host, const char* /*userName*/,
                                              intptr_t arg3) {
  return toPrimary(host, -1, [&](QPSESSION m, const char* u) {
    return QPiBuildPersonalAddressBookList(m, u, arg3);
  });
}
