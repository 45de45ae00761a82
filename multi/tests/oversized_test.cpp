// Oversized and malformed registry values of QPXMULTI's profile store and of the log-in:
// values at and beyond their buffers, of the wrong type or without their terminating
// zero, "ProfileData" of every awkward length, a key that disappears while open, member
// values and profile names at log-in. Every text must come back whole or count as
// absent, never overrun a buffer, and an unreadable password must not let anyone in.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "hostapi/qpxcomm.h"
#include "multi/core/scramble.h"
#include "multi/registry_value.h"
#include "multi/tests/oversized_fixture.h"

namespace {

using namespace oversizedtest;

// Prints the count of both files' cases at the end of the program.
const auto* const printer = ::testing::AddGlobalTestEnvironment(new CountPrinter);

// ---- Registry values of the profile store ------------------------------------------------

// Each text value the store reads, at and beyond its buffer: whole while it fits (with
// its zero), otherwise absent; never a cut or stray text, never a write past the buffer.
TEST_F(Oversized, StoreTextsFitWholeOrCountAsAbsent) {
  enum class Reader {
    ProfilePassword,
    InternetInterface,
    UserName,
    Interface,
    Password,
    MailDatabase,
    FullName,
    FullAddress
  };
  struct Case {
    const char* what;
    Reader reader;
    size_t readSize;  // the buffer the store reads the value with
    size_t outSize;   // the caller's buffer
  };
  const Case cases[] = {
      {"Password", Reader::ProfilePassword, qpmulti::kTextSize, qpmulti::kTextSize},
      {"InternetInterface", Reader::InternetInterface, qpmulti::kTextSize, qpmulti::kTextSize},
      {"UserName", Reader::UserName, qpmulti::kTextSize, qpmulti::kTextSize},
      {"Interface", Reader::Interface, qpmulti::kTextSize, qpmulti::kTextSize},
      {"Password", Reader::Password, qpmulti::kTextSize, qpmulti::kTextSize},
      {"MailDatabase", Reader::MailDatabase, qpmulti::kTextSize, qpmulti::kTextSize},
      {"FullName", Reader::FullName, 250, qpmulti::kFullTextSize},
      {"FullAddress", Reader::FullAddress, 250, qpmulti::kFullTextSize},
  };
  for (const Case& c : cases) {
    for (size_t length : lengthsAround(c.readSize)) {
      SCOPED_TRACE(std::string(c.what) + " of " + std::to_string(length) + " characters");
      ++caseCount;
      storetest::deleteAreas();
      const std::string value = pattern(length);
      const std::string member = memberPath(1);
      switch (c.reader) {
        case Reader::ProfilePassword:
        case Reader::InternetInterface:
          storetest::setText(profilePath(), c.what, value);
          break;
        case Reader::FullName:
        case Reader::FullAddress:
          storetest::setText(clientPath(), c.what, value);
          break;
        default:
          storetest::setText(member, "UserName", c.reader == Reader::UserName ? value : "u");
          if (c.reader != Reader::UserName) storetest::setText(member, c.what, value);
      }
      GuardedBuffer out(c.outSize);
      bool found = false;
      char* o = out.data();
      const char* p = profile_.c_str();
      switch (c.reader) {
        case Reader::ProfilePassword:
          found = qpmulti::ReadProfilePassword(p, o, out.size());
          break;
        case Reader::InternetInterface:
          found = qpmulti::ReadInternetInterface(p, o, out.size());
          break;
        case Reader::UserName:
          found = qpmulti::ReadProfileMember(p, 1, o, nullptr, nullptr, nullptr, out.size());
          break;
        case Reader::Interface:
          qpmulti::ReadProfileMember(p, 1, nullptr, o, nullptr, nullptr, out.size());
          found = out.text() != "";
          break;
        case Reader::Password:
          found = qpmulti::ReadProfileMember(p, 1, nullptr, nullptr, o, nullptr, out.size()) &&
                  out.text() != "";
          break;
        case Reader::MailDatabase:
          qpmulti::ReadProfileMember(p, 1, nullptr, nullptr, nullptr, o, out.size());
          found = out.text() != "";
          break;
        case Reader::FullName:
          qpmulti::LookUpFullName(p, o, out.size());
          found = out.text() != "";
          break;
        case Reader::FullAddress:
          qpmulti::LookUpFullAddress(p, o, out.size());
          found = out.text() != "";
          break;
      }
      out.expectIntact();
      const bool fits = length < c.readSize;
      EXPECT_EQ(found, fits);
      EXPECT_EQ(out.text(), fits ? value : "");
    }
  }
}

// Values of another type, or text without its terminating zero, through the generic reader
// and the store's readers of a member.
TEST_F(Oversized, TextValuesOfTheWrongTypeOrWithoutTheirZero) {
  const DWORD number = 0x00636261;  // "abc\0" in memory: must still not pass as text
  const std::string unterminatedFits = pattern(qpmulti::kTextSize - 1);
  const std::string unterminatedFull = pattern(qpmulti::kTextSize);
  struct Case {
    const char* what;
    DWORD type;
    std::string bytes;
    bool found;
    std::string text;
  };
  const Case cases[] = {
      {"REG_DWORD", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4), false, ""},
      {"REG_BINARY", REG_BINARY, "abc", false, ""},
      {"REG_MULTI_SZ", REG_MULTI_SZ, std::string("ab\0cd\0\0", 7), false, ""},
      {"REG_NONE", REG_NONE, "abc", false, ""},
      {"REG_EXPAND_SZ kept unexpanded", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9), true,
       "%TEMP%\\x"},
      {"REG_SZ of 0 bytes", REG_SZ, "", true, ""},
      {"REG_SZ without zero, 149 bytes", REG_SZ, unterminatedFits, true, unterminatedFits},
      {"REG_SZ without zero, 150 bytes", REG_SZ, unterminatedFull, false, ""},
      {"REG_SZ with a zero inside", REG_SZ, std::string("ab\0cd\0", 6), true, "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++caseCount;
    storetest::deleteAreas();
    const std::string member = memberPath(1);
    setValue(member, "Interface", c.type, c.bytes.data(), c.bytes.size());
    setValue(member, "UserName", c.type, c.bytes.data(), c.bytes.size());
    qp::UniqueHKey key = storetest::rawKey(member);
    GuardedBuffer out(qpmulti::kTextSize);
    EXPECT_EQ(qpmulti::readTextValue(key.get(), "Interface", out.data(), out.size()), c.found);
    out.expectIntact();
    EXPECT_EQ(out.text(), c.text);

    // A user name that cannot be read, or is empty, means no member; other values are
    // then absent.
    GuardedBuffer user(qpmulti::kTextSize), iface(qpmulti::kTextSize);
    const bool member1 = qpmulti::ReadProfileMember(profile_.c_str(), 1, user.data(), iface.data(),
                                                    nullptr, nullptr, user.size());
    EXPECT_EQ(member1, c.found && !c.text.empty());
    user.expectIntact();
    iface.expectIntact();
    EXPECT_EQ(user.text(), member1 ? c.text : "");
  }
}

// "ProfileData" of every awkward length: 0 and 1 byte are the empty password, up to 500
// bytes it is read and cut to the caller's buffer, beyond that it cannot be read.
TEST_F(Oversized, ProfileDataLengths) {
  std::string lowered = profile_;
  CharLowerA(&lowered[0]);
  struct Case {
    size_t bytes;
    bool found;
    size_t passwordLength;  // of the password read into a 150-byte buffer
  };
  const Case cases[] = {{0, true, 0},     {1, true, 0},    {2, true, 1},    {499, true, 149},
                        {500, true, 149}, {501, false, 0}, {600, false, 0}, {kFarBeyond, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE("ProfileData of " + std::to_string(c.bytes) + " bytes");
    ++caseCount;
    storetest::deleteAreas();
    std::vector<unsigned char> data(c.bytes + 1);
    if (c.bytes >= 2) {
      const std::string password = std::string(kFarBeyond, 'p').substr(0, c.bytes - 1);
      ASSERT_EQ(
          qpmulti::scramblePassword(lowered.c_str(), password.c_str(), data.data(), data.size()),
          c.bytes);
    }  // a value of one byte is the writer's closing zero alone
    data.resize(c.bytes);
    storetest::setBinary(profilePath(), "ProfileData", data);
    GuardedBuffer out(qpmulti::kTextSize);
    EXPECT_EQ(qpmulti::ReadProfilePassword(profile_.c_str(), out.data(), out.size()), c.found);
    out.expectIntact();
    EXPECT_EQ(out.text(), std::string(c.passwordLength, 'p'));
  }
}

// A stored password that is there but cannot be read must not turn into "no password":
// the log-in with an empty password is refused, and so is any other.
TEST_F(Oversized, UnreadableStoredPasswordRefusesTheLogIn) {
  const DWORD number = 1;
  struct Case {
    const char* what;
    const char* name;
    DWORD type;
    std::string bytes;
  };
  const Case cases[] = {
      {"ProfileData of 600 bytes", "ProfileData", REG_BINARY, std::string(600, 'x')},
      {"ProfileData far beyond", "ProfileData", REG_BINARY, std::string(kFarBeyond, 'x')},
      {"Password of 150 characters", "Password", REG_SZ, pattern(150) + '\0'},
      {"Password as REG_DWORD", "Password", REG_DWORD,
       std::string(reinterpret_cast<const char*>(&number), 4)},
      {"Password as REG_BINARY", "Password", REG_BINARY, "abc"},
  };
  addMember(1, "alice", "POP3");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++caseCount;
    ASSERT_TRUE(qpmulti::WriteProfilePassword(profile_.c_str(), nullptr));
    setValue(profilePath(), c.name, c.type, c.bytes.data(), c.bytes.size());
    EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), "", 0, nullptr), 0);
    EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), nullptr, 0, nullptr), 0);
    EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), "x", 0, nullptr), 0);
  }
  // A readable empty "Password" is still the empty password.
  ASSERT_TRUE(qpmulti::WriteProfilePassword(profile_.c_str(), nullptr));
  storetest::setText(profilePath(), "Password", "");
  EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), "", 0, nullptr), 1);
  ++caseCount;
}

// A member key deleted after it was opened: its values read as absent.
TEST_F(Oversized, KeyDeletedWhileOpenReadsAsAbsent) {
  ASSERT_TRUE(qpmulti::WriteProfileMember(profile_.c_str(), 1, "alice", "POP3", "pw", "db"));
  qp::UniqueHKey member;
  {
    qp::UniqueHKey profileKey;
    ASSERT_EQ(qpmulti::openProfileKey(profile_.c_str(), false, profileKey), ERROR_SUCCESS);
    ASSERT_EQ(qpmulti::openMemberKey(profileKey.get(), 1, false, member), ERROR_SUCCESS);
  }
  ASSERT_EQ(qpmulti::deleteMemberKey(profile_.c_str(), 1), ERROR_SUCCESS);
  ++caseCount;
  GuardedBuffer user(qpmulti::kTextSize), password(qpmulti::kTextSize);
  EXPECT_FALSE(qpmulti::readTextValue(member.get(), "UserName", user.data(), user.size()));
  EXPECT_FALSE(
      qpmulti::ReadStoredPassword(member.get(), "alice", password.data(), password.size()));
  user.expectIntact();
  password.expectIntact();
  EXPECT_EQ(user.text(), "");
  EXPECT_EQ(password.text(), "");
  GuardedBuffer again(qpmulti::kTextSize);
  EXPECT_FALSE(qpmulti::ReadProfileMember(profile_.c_str(), 1, again.data(), nullptr, nullptr,
                                          nullptr, again.size()));
  EXPECT_EQ(again.text(), "");
}

// ---- Log-in: member values and the profile name ------------------------------------------

// Member values are read with 151 bytes at log-in: a 150-character user name still makes
// a member, a longer one none (silently); an interface name that does not fit is a member
// without an interface (logged).
TEST_F(Oversized, LogInTakesMemberValuesThatFitAndSkipsTheRest) {
  const std::string user150 = pattern(150);
  const std::string user151 = pattern(151);
  qptest::MailDatabase& alice = addMember(1, "alice", "POP3");
  storetest::setText(memberPath(2), "UserName", user151);
  storetest::setText(memberPath(2), "Interface", "POP3");
  storetest::setText(memberPath(3), "UserName", "bob");
  storetest::setText(memberPath(3), "Interface", pattern(151));
  storetest::setText(memberPath(4), "UserName", pattern(kFarBeyond));
  storetest::setText(memberPath(4), "Interface", "POP3");
  qptest::MailDatabase& carol = addMember(5, "carol", "IMAP");
  storetest::setText(memberPath(5), "MailDatabase", pattern(kFarBeyond));  // unreadable: none
  qptest::MailDatabase& longName = addMember(6, user150.c_str(), "SMTP");
  caseCount += 5;

  void* cell = nullptr;
  EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), "", 2, &cell), 1);
  ASSERT_NE(cell, nullptr);
  const auto* slots = static_cast<const QPSESSION*>(cell);
  EXPECT_EQ(membertest::sessionUser(slots[0]), "alice");
  EXPECT_EQ(membertest::calls(alice.journal()).size(), 1u);
  // The 150-character user name reaches its member whole (which refuses it: the sample
  // library's account file holds at most 149 characters).
  EXPECT_NE(longName.journal().find("\"" + user150 + "\""), std::string::npos)
      << longName.journal();
  // carol is tried without her mail database, so her store never hears of it.
  EXPECT_EQ(carol.journal(), "");
  const QPSESSION host = openHost();
  *GetUserData(host, 0, nullptr) = cell;
}

// The profile name as the host passes it: a name that does not fit 150 bytes names no
// profile (and makes none); the log-in is refused without a crash.
TEST_F(Oversized, ProfileNamesBeyondTheirBufferNameNoProfile) {
  for (size_t length : lengthsAround(qpmulti::kTextSize)) {
    SCOPED_TRACE(length);
    ++caseCount;
    const std::string name = pattern(length);
    if (length < qpmulti::kTextSize) {
      ASSERT_TRUE(qpmulti::WriteProfilePassword(name.c_str(), "pw"));
      EXPECT_EQ(multi_.authenticateUser("", name.c_str(), "pw", 0, nullptr), 0);  // no members
      ASSERT_TRUE(qpmulti::WriteProfileMember(name.c_str(), 1, "alice", "POP3", "x", "db"));
      EXPECT_TRUE(storetest::keyExists(storetest::under(qpmulti::GetProfileAreaPath(), name)));
      qpmulti::deleteProfileKey(name.c_str());
    } else {
      EXPECT_EQ(multi_.authenticateUser("", name.c_str(), "", 0, nullptr), 0);
      EXPECT_EQ(multi_.authenticateUser("", name.c_str(), "", 2, nullptr), 0);
      EXPECT_FALSE(qpmulti::WriteProfilePassword(name.c_str(), "pw"));
      qp::UniqueHKey area;
      ASSERT_EQ(
          RegOpenKeyExA(HKEY_CURRENT_USER, qpmulti::GetProfileAreaPath(), 0, KEY_READ, area.put()),
          ERROR_SUCCESS);
      DWORD subkeys = 99;
      RegQueryInfoKeyA(area.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr);
      EXPECT_EQ(subkeys, 0u) << "a key was made for the name";
    }
    // A password far beyond any buffer is simply wrong.
    EXPECT_EQ(
        multi_.authenticateUser("", profile_.c_str(), pattern(kFarBeyond).c_str(), 0, nullptr), 0);
  }
}

}  // namespace
