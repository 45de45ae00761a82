// QPHOST's host commands for the address books of a logged-in host session: the list of
// books, the recipients of one book, a search, and one public entry, each through
// QPXMULTI's export.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/qphost/commands.h"
#include "host/qphost/host_script.h"
#include "hostapi/qpxcomm.h"
#include "multi/book_exports.h"

namespace qphost {

namespace {

// The host's lists have room for this many entries, as the sample mail store expects.
constexpr size_t kListCapacity = 10000;

// A list owned by the host: null-terminated, entries from QPmalloc, freed when it goes.
struct HostList {
  std::vector<char*> entries = std::vector<char*>(kListCapacity + 1, nullptr);
  ~HostList() {
    for (char* entry : entries) QPfree(entry);
  }
  void print() const {
    for (size_t i = 0; i < kListCapacity && entries[i] != nullptr; ++i)
      std::printf("  %s\n", shown(entries[i]).c_str());
  }
};

// books: the names of all members' address books, typed per member.
int cmdBooks(Script& s, const Args&) {
  const auto build = boundExport<decltype(&QPIBuildAddressBookList)>(s, "QPIBuildAddressBookList");
  if (build == nullptr) return kExitFailed;
  HostList list;
  int32_t count = 0;
  const int32_t result = build(s.host.session(), hostUser(s), list.entries.data(), &count);
  std::printf("QPIBuildAddressBookList: %ld (%ld book%s)\n", static_cast<long>(result),
              static_cast<long>(count), count == 1 ? "" : "s");
  list.print();
  return kExitOk;
}

// recips BOOK: the recipients of one address book (a name as "books" shows it).
int cmdRecipients(Script& s, const Args& a) {
  const auto build =
      boundExport<decltype(&QPIBuildAvailableRecipsList)>(s, "QPIBuildAvailableRecipsList");
  if (build == nullptr) return kExitFailed;
  HostList list;
  const int32_t result =
      build(s.host.session(), hostUser(s), a[1].c_str(), list.entries.data(), 0, 0, 0);
  std::printf("QPIBuildAvailableRecipsList %s: %ld\n", shown(a[1].c_str()).c_str(),
              static_cast<long>(result));
  list.print();
  return kExitOk;
}

// findaddr TEXT: the entries of all members' books that the members find for TEXT (the
// sample mail store: entries that contain it).
int cmdSearch(Script& s, const Args& a) {
  const auto search = boundExport<decltype(&QPISearchAddressBooks)>(s, "QPISearchAddressBooks");
  if (search == nullptr) return kExitFailed;
  HostList list;
  const int32_t result = search(s.host.session(), hostUser(s), reinterpret_cast<intptr_t>(a[1].c_str()),
                                list.entries.data(), 0, 0);
  std::printf("QPISearchAddressBooks %s: %ld\n", shown(a[1].c_str()).c_str(),
              static_cast<long>(result));
  list.print();
  return kExitOk;
}

// entry BOOK ADDRESS: one public entry (the sample mail store: the line of BOOK whose
// address is ADDRESS).
int cmdEntry(Script& s, const Args& a) {
  const auto get =
      boundExport<decltype(&QPIGetPublicAddressBookEntry)>(s, "QPIGetPublicAddressBookEntry");
  if (get == nullptr) return kExitFailed;
  char entry[QP_TEXT_LARGE] = "";
  const int32_t result =
      get(s.host.session(), hostUser(s), a[1].c_str(), a[2].c_str(), entry, 0, 0, 0, 0);
  entry[sizeof entry - 1] = '\0';
  std::printf("QPIGetPublicAddressBookEntry %s %s: %ld %s\n", shown(a[1].c_str()).c_str(),
              shown(a[2].c_str()).c_str(), static_cast<long>(result), shown(entry).c_str());
  return kExitOk;
}

const HostCommand kBookCommands[] = {
    {"books", 0, 0, true, cmdBooks},
    {"recips", 1, 1, true, cmdRecipients},
    {"findaddr", 1, 1, true, cmdSearch},
    {"entry", 2, 2, true, cmdEntry},
};

}  // namespace

const HostCommandTable kBookCommandTable = {kBookCommands,
                                            sizeof kBookCommands / sizeof kBookCommands[0]};

}  // namespace qphost
