// Shared by the misbehaving-member tests: a profile of a sample mail store (POP3, slot 0)
// and a second member, QPXWILD.DLL in one of its modes (wild_entries.h) or an interface
// without a library or exports; the list exports those tests call, and what a
// null-terminated address list keeps of the wild member's entries.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "multi/book_exports.h"
#include "multi/folder_exports.h"
#include "multi/send_exports.h"
#include "multi/tests/message_fixture.h"
#include "multi/tests/wild_entries.h"

namespace wildtest {

using messagetest::HostList;
using wild::List;
using wild::Mode;

constexpr int32_t kKeep = 2;
// Null-terminated address lists hold at most 50,000 entries (AddToAddressList).
constexpr size_t kAddressCapacity = 50000;

// The cases run and the 50,000-entry timings, printed at the end of the program.
inline size_t casesRun = 0;
inline std::string timings;

inline const char* modeName(Mode mode) {
  for (const wild::ModeName& m : wild::kModeNames) {
    if (m.mode == mode) return m.name;
  }
  return "normal";
}

// The same for a null-terminated address list: everything appended stays, up to the
// list's capacity (`room` entries were free).
inline std::vector<std::string> keptTerminated(List list, Mode mode, size_t room) {
  std::vector<std::string> out;
  auto range = [&](size_t last, bool bare) {
    for (size_t n = 1; n <= last; ++n)
      out.push_back(wild::entryText(list, static_cast<uint32_t>(n), bare));
  };
  switch (mode) {
    case Mode::Normal:
    case Mode::CountLow:
      range(wild::kNormalEntries, false);
      break;
    case Mode::Many:
      range(std::min<size_t>(wild::kManyEntries, room), false);
      break;
    case Mode::Bare:
      range(wild::kNormalEntries, true);
      break;
    case Mode::Nulls:
      out = {"", "   ", wild::entryText(list, 1)};
      break;
    case Mode::CountHigh:
      range(1, false);
      break;
    default:
      break;
  }
  return out;
}

// The entries of a null-terminated list.
inline std::vector<std::string> terminatedTexts(char** list) {
  std::vector<std::string> out;
  for (size_t i = 0; i < kAddressCapacity && list[i] != nullptr; ++i) out.push_back(list[i]);
  return out;
}

inline std::string shown(const std::string& text) { return messagetest::unbars(text); }
class WildMembers : public messagetest::MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    if (HasFatalFailure()) return;
    HMODULE m = library_.get();
    membertest::bindExport(m, "QPIBuildFolderList", buildFolders_);
    membertest::bindExport(m, "QPIBuildAddressBookList", buildBooks_);
    membertest::bindExport(m, "QPIBuildAvailableRecipsList", buildRecips_);
    membertest::bindExport(m, "QPISearchAddressBooks", searchBooks_);
    membertest::bindExport(m, "QPIValidateMessageRecipients", validate_);
  }
  void TearDown() override {
    SetEnvironmentVariableA(wild::kModeVariable, nullptr);
    SetEnvironmentVariableA(wild::kAuthVariable, nullptr);
    MessageTest::TearDown();
  }

  // Login1: a POP3 sample mail store with two messages and a book; Login2: `second`.
  // Logged in without questions (keep only) and initialised.
  QPSESSION logIn(const char* secondInterface) {
    qptest::MailDatabase& good = addMember(1, "alice", "POP3");
    messagetest::putMessage(good, "Inbox", "00000001",
                            messagetest::simpleMessage("bob@example.com", "Lunch"));
    messagetest::putMessage(good, "Inbox", "00000002",
                            messagetest::simpleMessage("carol@example.com", "Board"));
    std::FILE* book = std::fopen((good.path() + "\\Friends.ABK").c_str(), "wb");
    if (book != nullptr) {
      std::fputs("Ann Lee <ann@example.com>\r\ndora@example.com\r\n", book);
      std::fclose(book);
    }
    EXPECT_TRUE(
        qpmulti::WriteProfileMember(profile_.c_str(), 2, "wild", secondInterface, "pw", ""));
    const QPSESSION host = openHost();
    EXPECT_GE(
        multi_.authenticateUser("", profile_.c_str(), "", kKeep, GetUserData(host, 0, nullptr)), 1);
    multi_.initUser(host, profile_.c_str());
    return host;
  }

  decltype(&::QPIBuildFolderList) buildFolders_ = nullptr;
  decltype(&::QPIBuildAddressBookList) buildBooks_ = nullptr;
  decltype(&::QPIBuildAvailableRecipsList) buildRecips_ = nullptr;
  decltype(&::QPISearchAddressBooks) searchBooks_ = nullptr;
  decltype(&::QPIValidateMessageRecipients) validate_ = nullptr;
};
}  // namespace wildtest
