// Oversized and malformed dial-up settings: registry texts at, beyond and far beyond the
// buffers of the dial parameters, values of the wrong type or without their terminating
// zero, the autodial switch of odd types and lengths, and the stand-in service's longest
// phonebook texts. Texts are cut to their buffer (phone numbers to what RAS dials),
// values that are no text read as absent, and nothing is written past a buffer.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dialup/core/dial_logic.h"
#include "dialup/dialup_request.h"
#include "dialup/settings_store.h"
#include "dialup/tests/dialup_fixture.h"
#include "testing/oversized_cases.h"

namespace {

using oversizedtest::caseCount;
using oversizedtest::kFarBeyond;
using oversizedtest::pattern;
const auto* const printer =
    ::testing::AddGlobalTestEnvironment(new oversizedtest::CountPrinter);

using dialtest::under;

void setRaw(const std::string& path, const char* name, DWORD type, const std::string& bytes) {
  qp::UniqueHKey key;
  ASSERT_EQ(ERROR_SUCCESS, dialtest::openPath(path, true, key));
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())));
}

using Oversized = dialtest::DialUpTest;

// The settings reader: a text is cut to the buffer, a value of another type is absent.
TEST_F(Oversized, SettingsTextsAreCutOrAbsent) {
  const DWORD number = 0x00636261;  // "abc\0" in memory: still no text
  struct Case {
    std::string what;
    DWORD type;
    std::string bytes;
    bool found;
    std::string text;
  };
  std::vector<Case> cases;
  for (size_t length : {qpras::kNameSize - 1, qpras::kNameSize, qpras::kNameSize + 1, kFarBeyond}) {
    const std::string text = pattern(length);
    cases.push_back({"REG_SZ of " + std::to_string(length), REG_SZ, text + '\0', true,
                     text.substr(0, qpras::kNameSize - 1)});
    cases.push_back({"REG_SZ without zero of " + std::to_string(length), REG_SZ, text, true,
                     text.substr(0, qpras::kNameSize - 1)});
  }
  cases.push_back({"REG_EXPAND_SZ", REG_EXPAND_SZ, std::string("%TEMP%\0", 7), true, "%TEMP%"});
  cases.push_back(
      {"REG_DWORD", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4), false, ""});
  cases.push_back({"REG_BINARY", REG_BINARY, "abc", false, ""});
  cases.push_back({"REG_BINARY far beyond", REG_BINARY, std::string(kFarBeyond, 'b'), false, ""});
  cases.push_back({"REG_MULTI_SZ", REG_MULTI_SZ, std::string("ab\0cd\0\0", 7), false, ""});
  cases.push_back({"REG_SZ of 0 bytes", REG_SZ, "", true, ""});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++caseCount;
    setRaw(dialtest::kSettingsPath, "Probe", c.type, c.bytes);
    qp::UniqueHKey key;
    ASSERT_TRUE(qpras::openSettingsKey(nullptr, nullptr, false, key));
    std::string buffer(qpras::kNameSize + 64, '\x5A');
    EXPECT_EQ(c.found, qpras::readText(key.get(), "Probe", &buffer[0], qpras::kNameSize));
    for (size_t i = qpras::kNameSize; i < buffer.size(); ++i)
      ASSERT_EQ('\x5A', buffer[i]) << "written past the buffer at " << i;
    EXPECT_EQ(c.text, std::string(buffer.c_str()));
  }
}

// The dial parameters of the confirmed choice from settings at and beyond RAS's limits,
// and from the longest texts the service's phonebook holds.
TEST_F(Oversized, DialParamsFromOversizedSettings) {
  const std::string longProfile = pattern(256, 'A');
  const std::string storedUser = pattern(256, 'u'), storedPassword = pattern(256, 'p');
  writeScript("entry " + longProfile + " | 555-0100 | " + storedUser + " | " + storedPassword +
              "\nentry Office | 555-0100 | Jane | pw\n");
  struct Case {
    std::string what;
    std::string profile, location, phone, user, password;
    std::string expectedProfile, expectedPhone, expectedUser, expectedPassword;
  };
  const std::string farText = pattern(kFarBeyond, 'z');
  std::vector<Case> cases = {
      {"profile of 256 from the phonebook", longProfile, "Work", "1", "", "", longProfile, "1",
       storedUser, storedPassword},
      {"profile of 257: cut", longProfile + "x", "Work", "1", "", "", longProfile, "", storedUser,
       storedPassword},
      {"profile far beyond: cut", farText, "Work", "1", "", "", farText.substr(0, 256), "", "", ""},
  };
  for (size_t length : {size_t{127}, size_t{128}, size_t{129}, kFarBeyond}) {
    const std::string digits(length, '7');
    cases.push_back({"phone of " + std::to_string(length), "Office", "Work", digits, "", "",
                     "Office", digits.substr(0, 128), "Jane", "pw"});
  }
  for (size_t length : {size_t{256}, size_t{257}, kFarBeyond}) {
    const std::string user = pattern(length, 'U'), password = pattern(length, 'P');
    cases.push_back({"user name and password of " + std::to_string(length), "Office", "Work", "1",
                     user, password, "Office", "1", user.substr(0, 256), password.substr(0, 256)});
    cases.push_back({"location of " + std::to_string(length), "Office", pattern(length, 'L'), "1",
                     "", "", "Office", length <= 256 ? "1" : "", "Jane", "pw"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++caseCount;
    clearSettings();
    dialtest::setText(dialtest::kSettingsPath, "DefaultProfile", c.profile);
    // Keys are named by what fits a key name; the location key under the whole names.
    const std::string profileKey = under(dialtest::kSettingsPath, c.profile.substr(0, 256));
    dialtest::setText(profileKey, "DefaultLocation", c.location);
    const std::string locationKey = under(profileKey, c.location.substr(0, 256));
    if (c.location.size() <= 256 && c.profile.size() <= 256) {
      dialtest::setText(locationKey, "PhoneNumber", c.phone);
      if (!c.user.empty()) dialtest::setText(locationKey, "UserName", c.user);
      if (!c.password.empty()) dialtest::setText(locationKey, "Password", c.password);
    }
    qpras::RasDialParamsA params;
    std::memset(&params, 0x5A, sizeof params);
    qpras::readDialParams(params);
    EXPECT_EQ(c.expectedProfile, params.szEntryName);
    EXPECT_EQ(c.expectedPhone, params.szPhoneNumber);
    EXPECT_EQ(c.expectedUser, params.szUserName);
    EXPECT_EQ(c.expectedPassword, params.szPassword);
    EXPECT_STREQ("", params.szCallbackNumber);
    EXPECT_STREQ("", params.szDomain);
  }
}

// Settings of the wrong type read as absent: no entry, no overrides.
TEST_F(Oversized, DialParamsFromSettingsOfTheWrongType) {
  writeScript("entry Office | 555-0100 | Jane | pw\n");
  const DWORD number = 7;
  const std::string dword(reinterpret_cast<const char*>(&number), 4);
  const std::string office = under(dialtest::kSettingsPath, "Office");
  const std::string work = under(office, "Work");
  struct Case {
    const char* what;
    std::string path;
    const char* name;
    std::string expectedProfile, expectedPhone, expectedUser;
  } const cases[] = {
      {"DefaultProfile as REG_DWORD", dialtest::kSettingsPath, "DefaultProfile", "", "", ""},
      {"DefaultLocation as REG_BINARY", office, "DefaultLocation", "Office", "", "Jane"},
      {"PhoneNumber as REG_DWORD", work, "PhoneNumber", "Office", "", "over"},
      {"UserName as REG_MULTI_SZ", work, "UserName", "Office", "555", "Jane"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++caseCount;
    clearSettings();
    dialtest::setText(dialtest::kSettingsPath, "DefaultProfile", "Office");
    dialtest::setText(office, "DefaultLocation", "Work");
    dialtest::setText(work, "PhoneNumber", "555");
    dialtest::setText(work, "UserName", "over");
    setRaw(c.path, c.name,
           std::string(c.name) == "UserName"          ? REG_MULTI_SZ
           : std::string(c.name) == "DefaultLocation" ? REG_BINARY
                                                      : REG_DWORD,
           std::string(c.name) == "UserName" ? std::string("x\0y\0\0", 5) : dword);
    qpras::RasDialParamsA params;
    std::memset(&params, 0x5A, sizeof params);
    qpras::readDialParams(params);
    EXPECT_EQ(c.expectedProfile, params.szEntryName);
    EXPECT_EQ(c.expectedPhone, params.szPhoneNumber);
    EXPECT_EQ(c.expectedUser, params.szUserName);
  }
}

// The autodial switch as Windows and other programs may leave it.
TEST_F(Oversized, AutodialSwitchOfOddTypesAndLengths) {
  struct Case {
    const char* what;
    DWORD type;
    std::string bytes;
    DWORD expected;
  } const cases[] = {
      {"REG_BINARY 4 bytes", REG_BINARY, std::string("\x01\0\0\0", 4), 1},
      {"REG_DWORD", REG_DWORD, std::string("\x02\0\0\0", 4), 2},
      {"REG_BINARY 1 byte", REG_BINARY, std::string("\x01", 1), 1},
      {"REG_BINARY 0 bytes", REG_BINARY, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++caseCount;
    setRaw(dialtest::kInternetSettingsPath, "EnableAutodial", c.type, c.bytes);
    EXPECT_EQ(c.expected, qpras::readAutodial());
  }
}

// The host's user name is kept in the caller's record, cut to its 100 bytes; the rest of
// the record and what lies behind it stay untouched.
TEST_F(Oversized, UserNamesOfTheCallerAreCutIntoTheRecord) {
  dialtest::setAutodial(1);  // with no setting of the user's: the library does not dial
  struct Guarded {
    DialUpRequest request;
    char guard[64];
  };
  for (size_t length : {size_t{99}, size_t{100}, size_t{101}, kFarBeyond}) {
    SCOPED_TRACE(length);
    ++caseCount;
    const std::string user = pattern(length, 'U');
    Guarded record;
    std::memset(&record, 0x5A, sizeof record);
    std::memset(&record.request, 0, sizeof record.request);  // as a caller makes it
    EXPECT_EQ(0, StartDialUpNetworking(user.c_str(), nullptr, &record.request));
    EXPECT_EQ(user.substr(0, sizeof record.request.userName - 1), record.request.userName);
    for (char c : record.guard) ASSERT_EQ('\x5A', c) << "written past the record";
  }
}

}  // namespace
