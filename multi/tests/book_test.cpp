// Address books of a multi-session host session over sample mail stores of different
// types: book names typed per member, typed names answered by the lowest slot of their
// type, recipients and public entries of other members in typed form, and the personal
// and distribution-list operations forwarded to the primary member alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/mailstore/journal.h"
#include "multi/book_exports.h"
#include "multi/tests/folder_fixture.h"

namespace {

using foldertest::calls;
using foldertest::countOf;
using foldertest::writeFile;
using qp::mailstore::JournalLine;

struct BookExports {
  decltype(&::QPIBuildAddressBookList) buildBookList = nullptr;
  decltype(&::QPIBuildAvailableRecipsList) buildRecips = nullptr;
  decltype(&::QPIGetDefaultAddressBook) getDefaultBook = nullptr;
  decltype(&::QPISearchAddressBooks) search = nullptr;
  decltype(&::QPIGetPublicAddressBookEntry) getPublicEntry = nullptr;
  decltype(&::QPIGetPersonalDList) getPersonalDList = nullptr;
  decltype(&::QPISavePersonalDList) savePersonalDList = nullptr;
  decltype(&::QPIGetPersonalAddressBookEntry) getPersonalEntry = nullptr;
  decltype(&::QPISavePersonalAddressBookEntry) savePersonalEntry = nullptr;
  decltype(&::QPIDeletePersonalDList) deletePersonalDList = nullptr;
  decltype(&::QPIDeletePersonalAddressBookEntry) deletePersonalEntry = nullptr;
  decltype(&::QPIGetPublicDList) getPublicDList = nullptr;
  decltype(&::QPIBuildListOfPersonalDLists) personalDLists = nullptr;
  decltype(&::QPIBuildListOfPublicDLists) publicDLists = nullptr;
  decltype(&::QPIBuildPersonalAddressBookList) personalBook = nullptr;
};

// A null-terminated host list with room for `capacity` entries; frees what is left.
struct HostList {
  std::vector<char*> entries;
  explicit HostList(size_t capacity = 64) : entries(capacity + 1, nullptr) {}
  ~HostList() {
    for (char* entry : entries) QPfree(entry);
  }
  char** data() { return entries.data(); }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (char* entry : entries) {
      if (entry == nullptr) break;
      out.push_back(entry);
    }
    return out;
  }
};

class Books : public foldertest::FolderTest {
 protected:
  void SetUp() override {
    FolderTest::SetUp();
    if (HasFatalFailure()) return;
    HMODULE m = library_.get();
    using membertest::bindExport;
    bindExport(m, "QPIBuildAddressBookList", books_.buildBookList);
    bindExport(m, "QPIBuildAvailableRecipsList", books_.buildRecips);
    bindExport(m, "QPIGetDefaultAddressBook", books_.getDefaultBook);
    bindExport(m, "QPISearchAddressBooks", books_.search);
    bindExport(m, "QPIGetPublicAddressBookEntry", books_.getPublicEntry);
    bindExport(m, "QPIGetPersonalDList", books_.getPersonalDList);
    bindExport(m, "QPISavePersonalDList", books_.savePersonalDList);
    bindExport(m, "QPIGetPersonalAddressBookEntry", books_.getPersonalEntry);
    bindExport(m, "QPISavePersonalAddressBookEntry", books_.savePersonalEntry);
    bindExport(m, "QPIDeletePersonalDList", books_.deletePersonalDList);
    bindExport(m, "QPIDeletePersonalAddressBookEntry", books_.deletePersonalEntry);
    bindExport(m, "QPIGetPublicDList", books_.getPublicDList);
    bindExport(m, "QPIBuildListOfPersonalDLists", books_.personalDLists);
    bindExport(m, "QPIBuildListOfPublicDLists", books_.publicDLists);
    bindExport(m, "QPIBuildPersonalAddressBookList", books_.personalBook);
  }

  static void putFile(const qptest::MailDatabase& db, const std::string& name,
                      const std::string& text) {
    writeFile(db.path() + "\\" + name, text);
  }

  // Slot 0 IMAP with book "Staff", slot 1 SMTP with "Clients", slot 2 SMTP with "Clients"
  // too, slot 3 POP3 with "Friends".
  QPSESSION fourMembers() {
    putFile(member(1, "IMAP"), "Staff.ABK", "Carl Eng <carl@example.com>\r\ndora@example.com\r\n");
    putFile(member(2, "SMTP"), "Clients.ABK",
            "Ann Lee <ann@example.com>\r\nbob@example.com\r\n");
    putFile(member(3, "SMTP"), "Clients.ABK", "eve@example.com\r\n");
    putFile(member(4, "POP3"), "Friends.ABK", "\"Lee, Fay\" <fay@example.com>\r\n");
    return logIn(4);
  }
  const qptest::MailDatabase& db(size_t slot) const { return *databases_[slot]; }

  BookExports books_;
};

TEST_F(Books, BookNamesAreTypedPerMemberInSlotOrder) {
  const QPSESSION host = fourMembers();
  HostList names;
  names.entries[0] = static_cast<char*>(QPmalloc(5));
  std::strcpy(names.entries[0], "Mine");
  int32_t count = 1;
  EXPECT_EQ(books_.buildBookList(host, "ignored", names.data(), &count), 5);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(names.texts(), (std::vector<std::string>{"Mine", "Staff", "SMTP:Clients",
                                                     "SMTP:Clients", "POP3:Friends"}));
}

TEST_F(Books, TypedBookIsAnsweredByTheLowestSlotOfItsType) {
  const QPSESSION host = fourMembers();
  const std::vector<QPSESSION> slots = table(host);
  struct Case {
    const char* book;
    int32_t result;
    size_t askedSlot;
    const char* askedName;
    std::vector<std::string> recipients;
  };
  const Case cases[] = {
      {"smtp:Clients", 2, 1, "Clients",
       {"Ann Lee <SMTP:ann@example.com>", "<SMTP:bob@example.com>"}},
      {"POP3:Friends", 1, 3, "Friends", {"\"Lee, Fay\" <POP3:fay@example.com>"}},
      // The primary member's own type and untyped names: asked as they come, never typed.
      {"IMAP:Staff", 2, 0, "Staff", {"Carl Eng <carl@example.com>", "dora@example.com"}},
      {"Staff", 2, 0, "Staff", {"Carl Eng <carl@example.com>", "dora@example.com"}},
      {"Nobody", -1, 0, "Nobody", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.book);
    std::vector<size_t> before;
    for (size_t i = 0; i < 4; ++i) before.push_back(journalLength(db(i)));
    HostList list;
    EXPECT_EQ(books_.buildRecips(host, "ignored", c.book, list.data(), 5, 6, 7), c.result);
    EXPECT_EQ(list.texts(), c.recipients);
    for (size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(countOf(callsSince(db(i), before[i]), "BuildAvailableRecipsList"),
                i == c.askedSlot ? 1u : 0u)
          << "slot " << i;
    }
    EXPECT_NE(db(c.askedSlot).journal().find(JournalLine("BuildAvailableRecipsList")
                                                 .number(slots[c.askedSlot])
                                                 .text(("user" + std::to_string(c.askedSlot + 1)).c_str())
                                                 .text(c.askedName)
                                                 .finished()),
              std::string::npos);
  }
}

TEST_F(Books, SearchAsksEveryMemberAndTypesTheOthersResults) {
  const QPSESSION host = fourMembers();
  HostList list;
  EXPECT_EQ(books_.search(host, "ignored", reinterpret_cast<intptr_t>("e"), list.data(), 0, 0), 6);
  EXPECT_EQ(list.texts(),
            (std::vector<std::string>{"Carl Eng <carl@example.com>", "dora@example.com",
                                      "Ann Lee <SMTP:ann@example.com>", "<SMTP:bob@example.com>",
                                      "<SMTP:eve@example.com>",
                                      "\"Lee, Fay\" <POP3:fay@example.com>"}));
}

TEST_F(Books, PublicEntryIsTypedOnlyWhenTheMemberFoundIt) {
  const QPSESSION host = fourMembers();
  const std::string longAddress(496, 'x');
  putFile(db(1), "Long.ABK", longAddress + "\r\n");
  const std::string longName = "SMTP:" + std::string(300, 'n');
  struct Case {
    std::string nameA, nameB;
    int32_t result;
    std::string entry;
  };
  const Case cases[] = {
      {"SMTP:Clients", "ann@example.com", 1, "Ann Lee <SMTP:ann@example.com>"},
      {"SMTP:Clients", "bob@example.com", 1, "SMTP:bob@example.com"},
      {"Clients", "SMTP:bob@example.com", 1, "SMTP:bob@example.com"},  // typed by name B
      {"Clients", "ann@example.com", 0, "as before"},  // untyped: the primary has no such book
      {"SMTP:Clients", "nobody@example.com", 0, "as before"},
      {"Staff", "carl@example.com", 1, "Carl Eng <carl@example.com>"},
      // A typed form that would not fit the entry buffer: the member's entry stays.
      {"SMTP:Long", longAddress, 1, longAddress},
      // A name longer than 151 characters reaches the member whole, behind the prefix.
      {longName, "ann@example.com", 0, "as before"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nameA.substr(0, 20) + " / " + c.nameB.substr(0, 20));
    char entry[QP_TEXT_LARGE + 16];
    std::memset(entry, '#', sizeof entry);
    std::strcpy(entry, "as before");
    EXPECT_EQ(books_.getPublicEntry(host, "ignored", c.nameA.c_str(), c.nameB.c_str(), entry, 0,
                                    0, 0, 0),
              c.result);
    EXPECT_EQ(std::string(entry), c.entry);
    EXPECT_EQ(entry[QP_TEXT_LARGE], '#');
  }
  EXPECT_NE(db(1).journal().find(JournalLine("GetPublicAddressBookEntry")
                                     .number(table(host)[1])
                                     .text("user2")
                                     .text(longName.c_str() + 5)
                                     .text("ann@example.com")
                                     .finished()),
            std::string::npos);
}

TEST_F(Books, PersonalAndListOperationsGoToThePrimaryMemberAlone) {
  qptest::MailDatabase& primary = member(1, "IMAP");
  qptest::MailDatabase& other = member(2, "SMTP");
  putFile(primary, "Team.PDL", "ann@example.com\r\nbob@example.com\r\n");
  putFile(primary, "All.GDL", "carl@example.com\r\n");
  putFile(primary, "PERSONAL.PAB", "Ann Lee <ann@example.com>\r\n");
  for (const char* name : {"Team.PDL", "Other.PDL", "All.GDL", "PERSONAL.PAB", "Book.ABK"})
    putFile(other, name, "zed@example.com\r\n");
  const QPSESSION host = logIn(2);
  const size_t otherBefore = journalLength(other);
  auto arg = [](const void* p) { return reinterpret_cast<intptr_t>(p); };

  HostList list;
  char entry[QP_TEXT_LARGE] = "";
  char* saved[] = {const_cast<char*>("dora@example.com"), nullptr};
  struct Case {
    const char* what;
    int32_t expected;
    std::function<int32_t()> call;
  };
  const Case cases[] = {
      {"default book: the primary has none", 0,
       [&] { return books_.getDefaultBook(host, "", arg(entry)); }},
      {"personal list", 2,
       [&] { return books_.getPersonalDList(host, "", arg("Team"), arg(list.data()), 0, 0, 0, 0, 0); }},
      {"missing personal list", -1,
       [&] { return books_.getPersonalDList(host, "", arg("Other"), arg(list.data()), 0, 0, 0, 0, 0); }},
      {"public list", 1,
       [&] { return books_.getPublicDList(host, "", arg("All"), arg(list.data()), 0, 0, 0, 0, 0); }},
      {"save personal list", 1,
       [&] { return books_.savePersonalDList(host, "", arg("New"), arg(saved), 0, 0, 0, 0, 0, 0); }},
      {"delete personal list", 1,
       [&] { return books_.deletePersonalDList(host, "", arg("New"), 0, 0, 0); }},
      {"delete it again", 0,
       [&] { return books_.deletePersonalDList(host, "", arg("New"), 0, 0, 0); }},
      {"personal entry", 1,
       [&] { return books_.getPersonalEntry(host, "", arg("ann@example.com"), arg(entry), 0, 0, 0, 0, 0); }},
      {"save personal entry", 1,
       [&] { return books_.savePersonalEntry(host, "", arg("Bob <bob@example.com>"), 0, 0, 0, 0, 0, 0, 0); }},
      {"delete personal entry", 1,
       [&] { return books_.deletePersonalEntry(host, "", arg("bob@example.com"), 0, 0, 0); }},
      {"personal lists", 1, [&] { return books_.personalDLists(host, "", arg(list.data())); }},
      {"public lists", 1, [&] { return books_.publicDLists(host, "", arg(list.data())); }},
      {"personal book", 1, [&] { return books_.personalBook(host, "", arg(list.data())); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.call(), c.expected);
  }
  // Untyped, in the order the primary member answered them.
  EXPECT_EQ(list.texts(), (std::vector<std::string>{"ann@example.com", "bob@example.com",
                                                    "carl@example.com", "Team", "All",
                                                    "Ann Lee <ann@example.com>"}));
  EXPECT_STREQ(entry, "Ann Lee <ann@example.com>");
  EXPECT_TRUE(callsSince(other, otherBefore).empty()) << other.journal();
}

TEST_F(Books, WithoutMemberTableEveryExportGivesItsFixedValue) {
  member(1, "IMAP");
  const QPSESSION host = openHost();  // not logged in: no table in its cell
  HostList list;
  int32_t count = 0;
  char entry[QP_TEXT_LARGE] = "";
  EXPECT_EQ(books_.buildBookList(host, "", list.data(), &count), -1);
  EXPECT_EQ(books_.buildRecips(host, "", "Staff", list.data(), 0, 0, 0), -1);
  EXPECT_EQ(books_.getDefaultBook(host, "", 0), 0);
  EXPECT_EQ(books_.search(host, "", 0, list.data(), 0, 0), -1);
  EXPECT_EQ(books_.getPublicEntry(host, "", "a", "b", entry, 0, 0, 0, 0), -1);
  EXPECT_EQ(books_.getPersonalDList(host, "", 0, 0, 0, 0, 0, 0, 0), -1);
  EXPECT_EQ(books_.savePersonalDList(host, "", 0, 0, 0, 0, 0, 0, 0, 0), -1);
  EXPECT_EQ(books_.getPersonalEntry(host, "", 0, 0, 0, 0, 0, 0, 0), -1);
  EXPECT_EQ(books_.savePersonalEntry(host, "", 0, 0, 0, 0, 0, 0, 0, 0), -1);
  EXPECT_EQ(books_.deletePersonalDList(host, "", 0, 0, 0, 0), -1);
  EXPECT_EQ(books_.deletePersonalEntry(host, "", 0, 0, 0, 0), -1);
  EXPECT_EQ(books_.getPublicDList(host, "", 0, 0, 0, 0, 0, 0, 0), -1);
  EXPECT_EQ(books_.personalDLists(host, "", 0), -1);
  EXPECT_EQ(books_.publicDLists(host, "", 0), -1);
  EXPECT_EQ(books_.personalBook(host, "", 0), -1);
  EXPECT_TRUE(list.texts().empty());
}

}  // namespace
