// The user's identity and the message signature across a profile and its members, with
// real sample mail stores whose journals show what each member was told: full name and
// address handed only to members that take them and cached per profile, the lookups,
// and one signature for the profile file and every member.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host/mailstore/journal.h"
#include "hostapi/qpunique.h"
#include "multi/tests/member_fixture.h"

namespace {

using membertest::account;
using membertest::calls;
using membertest::countOf;
using qp::mailstore::JournalLine;

class Identity : public membertest::MemberTest {
 protected:
  std::string clientPath() const {
    return storetest::under(qpmulti::GetClientAreaPath(), profile_);
  }
  std::string signaturePath() const { return userDirectory(profile_) + "\\Signatur.QP"; }
  static bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  static void writeFile(const std::string& path, const std::string& bytes) {
    qp::UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << path;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
  // A member's signature file (or "(none)").
  static std::string memberSignature(const qptest::MailDatabase& db) {
    const std::string path = db.path() + "\\SIGNATURE.TXT";
    return exists(path) ? storetest::readFile(path) : "(none)";
  }
};

TEST_F(Identity, OnlyMembersThatTakeNameOrAddressAreTold) {
  storetest::setText(clientPath(), "FullName", "Jane Cached");
  storetest::setText(clientPath(), "FullAddress", "jane@cached.example");
  qptest::MailDatabase& both = addMember(1, "alice", "POP3", "Capabilities=0x18\r\n");
  qptest::MailDatabase& name = addMember(2, "bob", "IMAP", "Capabilities=0x10\r\n");
  qptest::MailDatabase& address = addMember(3, "carol", "SMTP", "Capabilities=0xC08\r\n");
  qptest::MailDatabase& neither = addMember(4, "dave", "POP3", "Capabilities=0\r\n");
  const QPSESSION host = openHost();
  multi_.initUser(host, profile_.c_str());
  const std::vector<QPSESSION> slots = table(host);
  ASSERT_FALSE(slots.empty());

  auto toldName = [&](int slot) {
    return JournalLine("SetFullName")
        .number(slots[slot])
        .text(profile_.c_str())
        .text("Jane Cached")
        .finished();
  };
  auto toldAddress = [&](int slot) {
    return JournalLine("SetFullAddress")
        .number(slots[slot])
        .text(profile_.c_str())
        .text("jane@cached.example")
        .finished();
  };
  EXPECT_NE(both.journal().find(toldName(0)), std::string::npos) << both.journal();
  EXPECT_NE(both.journal().find(toldAddress(0)), std::string::npos) << both.journal();
  EXPECT_NE(name.journal().find(toldName(1)), std::string::npos) << name.journal();
  EXPECT_EQ(countOf(calls(name.journal()), "SetFullAddress"), 0u) << name.journal();
  EXPECT_EQ(countOf(calls(address.journal()), "SetFullName"), 0u) << address.journal();
  EXPECT_NE(address.journal().find(toldAddress(2)), std::string::npos) << address.journal();
  EXPECT_EQ(countOf(calls(neither.journal()), "SetFullName") +
                countOf(calls(neither.journal()), "SetFullAddress"),
            0u)
      << neither.journal();
  // What a member was told, it tells back.
  char text[QP_TEXT_LARGE] = "";
  EXPECT_EQ(multi_.getFullName(host, "", text), 1);
  EXPECT_STREQ(text, "Jane Cached");
}

TEST_F(Identity, HostsOwnIdentityIsCachedAndReachesMembersAtTheNextLogIn) {
  storetest::rawKey(clientPath());  // the desktop client's key exists, still empty
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3", "Capabilities=0x18\r\n");
  const QPSESSION first = openHost("", 0, "Jane Host", "jane@host.example");
  multi_.initUser(first, profile_.c_str());
  EXPECT_EQ(storetest::readRaw(clientPath(), "FullName").text(), "Jane Host");
  EXPECT_EQ(storetest::readRaw(clientPath(), "FullAddress").text(), "jane@host.example");
  EXPECT_EQ(countOf(calls(alice.journal()), "SetFullName"), 0u) << alice.journal();
  EXPECT_EQ(countOf(calls(alice.journal()), "SetFullAddress"), 0u) << alice.journal();
  multi_.cleanUpAfterUser(first, profile_.c_str());

  const QPSESSION second = openHost();  // knows no name
  multi_.initUser(second, profile_.c_str());
  const QPSESSION member = table(second).at(0);
  EXPECT_NE(alice.journal().find(JournalLine("SetFullName")
                                     .number(member)
                                     .text(profile_.c_str())
                                     .text("Jane Host")
                                     .finished()),
            std::string::npos)
      << alice.journal();
  EXPECT_NE(alice.journal().find(JournalLine("SetFullAddress")
                                     .number(member)
                                     .text(profile_.c_str())
                                     .text("jane@host.example")
                                     .finished()),
            std::string::npos)
      << alice.journal();
}

TEST_F(Identity, LookupsStopAtTheFirstMemberThatAnswers) {
  qptest::MailDatabase& none = addMember(1, "alice", "POP3");
  qptest::MailDatabase& bob =
      addMember(2, "bob", "IMAP", "FullName=Bob B\r\nFullAddress=bob@b.example\r\n");
  qptest::MailDatabase& carol = addMember(3, "carol", "SMTP", "FullName=Carol C\r\n");
  const QPSESSION host = openHost();
  void** cell = GetUserData(host, 0, nullptr);
  ASSERT_EQ(multi_.authenticateUser("", profile_.c_str(), "", 2, cell), 3);

  char text[QP_TEXT_LARGE] = "";
  EXPECT_EQ(multi_.getFullName(host, "", text), 1);
  EXPECT_STREQ(text, "Bob B");
  text[0] = '\0';
  EXPECT_EQ(multi_.getFullAddress(host, "", text), 1);
  EXPECT_STREQ(text, "bob@b.example");
  EXPECT_EQ(countOf(calls(none.journal()), "GetFullName"), 1u);
  EXPECT_EQ(countOf(calls(carol.journal()), "GetFullName"), 0u) << "asked after an answer";
  EXPECT_EQ(countOf(calls(carol.journal()), "GetFullAddress"), 0u);
  EXPECT_EQ(countOf(calls(bob.journal()), "GetFullAddress"), 1u);

  // Nobody knows an address: every member is asked, the buffer stays empty.
  resetAreas();
  addMember(1, "dave", "POP3");
  qptest::MailDatabase& erin = addMember(2, "erin", "IMAP");
  const QPSESSION other = openHost();
  ASSERT_EQ(multi_.authenticateUser("", profile_.c_str(), "", 2, GetUserData(other, 0, nullptr)),
            2);
  text[0] = '\0';
  EXPECT_EQ(multi_.getFullAddress(other, "", text), 0);
  EXPECT_EQ(multi_.getFullName(other, "", text), 0);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(countOf(calls(erin.journal()), "GetFullName"), 1u);
}

TEST_F(Identity, OneSignatureBecomesTheProfilesAndEveryMembers) {
  struct Case {
    const char* name;
    const char* profileFile;  // null: no file
    bool directoryBlocked;    // the profile's user directory cannot be made
    const char* members[3];   // each member's signature file, null: none
    const char* expected;     // the signature everybody holds afterwards; null: none
    int membersAsked;         // how many members were asked for theirs
  };
  const Case cases[] = {
      {"blank profile file",
       "  \t ",
       false,
       {nullptr, "Bob\r\n-- \r\n", "Carol"},
       "Bob\r\n-- \r\n",
       2},
      {"empty profile file", "", false, {"   ", nullptr, "Carol"}, "Carol", 3},
      {"profile file wins", "Jane\r\n", false, {"Alice", "Bob", nullptr}, "Jane\r\n", 0},
      {"nothing anywhere", nullptr, false, {nullptr, "  ", nullptr}, nullptr, 3},
      {"profile directory blocked", nullptr, true, {nullptr, "Bob", nullptr}, "Bob", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetAreas();
    removeUserDirectory(profile_);
    qptest::MailDatabase* dbs[3] = {&addMember(1, "alice", "POP3"), &addMember(2, "bob", "IMAP"),
                                    &addMember(3, "carol", "SMTP")};
    for (int i = 0; i < 3; ++i) {
      if (c.members[i] != nullptr) writeFile(dbs[i]->path() + "\\SIGNATURE.TXT", c.members[i]);
    }
    makeUsersDirectory();
    if (c.directoryBlocked) {
      writeFile(userDirectory(profile_), "a file where the directory belongs");
    } else if (c.profileFile != nullptr) {
      CreateDirectoryA(userDirectory(profile_).c_str(), nullptr);
      writeFile(signaturePath(), c.profileFile);
    }
    const QPSESSION host = openHost();
    multi_.initUser(host, profile_.c_str());

    int asked = 0;
    for (int i = 0; i < 3; ++i) {
      const std::vector<std::string> names = calls(dbs[i]->journal());
      asked += countOf(names, "GetMessageSignature") > 0;
      const size_t updates = countOf(names, "UpdateMessageSignature");
      if (c.expected == nullptr) {
        EXPECT_EQ(updates, 0u) << dbs[i]->journal();
        continue;
      }
      EXPECT_EQ(memberSignature(*dbs[i]), c.expected) << "member " << i;
      // Told by the profile file's update, and once more after it; only the second when
      // the profile file could not be written.
      EXPECT_EQ(updates, c.directoryBlocked ? 1u : 2u) << dbs[i]->journal();
    }
    EXPECT_EQ(asked, c.membersAsked);
    if (c.expected == nullptr || c.directoryBlocked) {
      EXPECT_FALSE(exists(signaturePath()));
      if (c.expected == nullptr) {
        EXPECT_EQ(memberSignature(*dbs[1]), "  ");
      }
    } else {
      EXPECT_EQ(storetest::readFile(signaturePath()), c.expected);
    }
    multi_.cleanUpAfterUser(host, profile_.c_str());
  }
}

TEST_F(Identity, UpdatedSignatureIsStoredAsWrittenAndPassedOn) {
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  const QPSESSION host = openHost();
  ASSERT_EQ(multi_.authenticateUser("", profile_.c_str(), "", 2, GetUserData(host, 0, nullptr)), 1);
  const std::string text = "Jane\r\n\tDoe \xE9";
  multi_.updateMessageSignature(host, profile_.c_str(), text.c_str());
  EXPECT_EQ(storetest::readFile(signaturePath()), text);  // no terminating zero
  EXPECT_EQ(memberSignature(alice), text);
  qp::UniqueQpBlock back(multi_.getMessageSignature(host, profile_.c_str()));
  ASSERT_TRUE(back);
  EXPECT_EQ(std::string(qp::blockAs<char>(back)), text);

  // A file that cannot be created: nothing written, no member told.
  removeUserDirectory(profile_);
  writeFile(userDirectory(profile_), "in the way");
  multi_.updateMessageSignature(host, profile_.c_str(), "Other");
  EXPECT_EQ(memberSignature(alice), text);
  EXPECT_EQ(countOf(calls(alice.journal()), "UpdateMessageSignature"), 1u);
  EXPECT_EQ(multi_.getMessageSignature(host, profile_.c_str()), nullptr);
  // Nor may the signature land in the current directory instead.
  char current[MAX_PATH];
  GetCurrentDirectoryA(sizeof current, current);
  EXPECT_FALSE(exists(std::string(current) + "\\Signatur.QP"));
}

}  // namespace
