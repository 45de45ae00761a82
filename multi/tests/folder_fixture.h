// Shared by the Windows tests of folders and filing: a logged-in host session on
// QPXMULTI.DLL whose members are sample mail stores, folders and messages written straight
// into the members' mail database directories (a folder is a subdirectory, a message a
// "<name>.MSG" file in it), the folder exports bound by name, and the host user's own
// directory, which the test leaves as it found it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "multi/folder_exports.h"
#include "multi/tests/member_fixture.h"

namespace foldertest {

using membertest::calls;
using membertest::countOf;

struct FolderExports {
  decltype(&::QPIBuildFolderList) buildFolderList = nullptr;
  decltype(&::QPIGetMailMessageFolderInfo) getFolderInfo = nullptr;
  decltype(&::QPICreateMailFolder) createFolder = nullptr;
  decltype(&::QPIRenameMailFolder) renameFolder = nullptr;
  decltype(&::QPIDeleteMailFolder) deleteFolder = nullptr;
  decltype(&::QPIDoesFolderHaveNewMail) hasNewMail = nullptr;
  decltype(&::QPISetFolderNewMailStatus) setNewMail = nullptr;
  decltype(&::QPIGetRulesDir) getRulesDir = nullptr;
  decltype(&::QPIAddMailMessageToFolder) addMessage = nullptr;
  decltype(&::QPIFileMailMessageToFolder) fileMessage = nullptr;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

inline bool isDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

inline bool fileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The names (without ".MSG") of the message files of a directory, in name order.
inline std::vector<std::string> messagesIn(const std::string& folderDir) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folderDir, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 4 && name.substr(name.size() - 4) == ".MSG")
      names.push_back(name.substr(0, name.size() - 4));
  }
  std::sort(names.begin(), names.end());
  return names;
}

class FolderTest : public membertest::MemberTest {
 protected:
  void SetUp() override {
    MemberTest::SetUp();
    if (HasFatalFailure()) return;
    HMODULE m = library_.get();
    membertest::bindExport(m, "QPIBuildFolderList", folders_.buildFolderList);
    membertest::bindExport(m, "QPIGetMailMessageFolderInfo", folders_.getFolderInfo);
    membertest::bindExport(m, "QPICreateMailFolder", folders_.createFolder);
    membertest::bindExport(m, "QPIRenameMailFolder", folders_.renameFolder);
    membertest::bindExport(m, "QPIDeleteMailFolder", folders_.deleteFolder);
    membertest::bindExport(m, "QPIDoesFolderHaveNewMail", folders_.hasNewMail);
    membertest::bindExport(m, "QPISetFolderNewMailStatus", folders_.setNewMail);
    membertest::bindExport(m, "QPIGetRulesDir", folders_.getRulesDir);
    membertest::bindExport(m, "QPIAddMailMessageToFolder", folders_.addMessage);
    membertest::bindExport(m, "QPIFileMailMessageToFolder", folders_.fileMessage);
    // The host user's own directory, where markers and rules go (made on demand).
    char directory[MAX_PATH];
    QPBuildUserDirectory(profile_.c_str(), directory);
    ASSERT_TRUE(isDirectory(directory)) << directory;
  }

  void TearDown() override {
    // The marker files and the rules directory this test may have left.
    std::error_code ignored;
    for (const auto& entry :
         std::filesystem::directory_iterator(userDirectory(profile_), ignored)) {
      const std::string name = entry.path().filename().string();
      if (name.size() > 4 && name.substr(name.size() - 4) == ".NRL")
        std::filesystem::remove(entry.path(), ignored);
    }
    std::filesystem::remove_all(rulesDirectory(), ignored);
    MemberTest::TearDown();
  }

  // A member of Login `login` (a sample mail store of interface `iface`) whose account
  // file carries `accountLines` too, with the folders `folders` made in its database.
  qptest::MailDatabase& member(unsigned login, const char* iface,
                               const std::vector<std::string>& folders = {},
                               const std::string& accountLines = "") {
    const std::string user = "user" + std::to_string(login);
    qptest::MailDatabase& db = addMember(login, user.c_str(), iface, accountLines);
    for (const std::string& folder : folders) makeFolder(db, folder);
    return db;
  }

  // A host session logged in to the profile with its member sessions kept in its cell.
  QPSESSION logIn(int32_t expectedMembers) {
    const QPSESSION host = openHost();
    EXPECT_EQ(multi_.authenticateUser("", profile_.c_str(), "", 2, GetUserData(host, 0, nullptr)),
              expectedMembers);
    return host;
  }

  static std::string folderDir(const qptest::MailDatabase& db, const std::string& folder) {
    return db.path() + "\\" + folder;
  }
  static void makeFolder(const qptest::MailDatabase& db, const std::string& folder) {
    EXPECT_TRUE(CreateDirectoryA(folderDir(db, folder).c_str(), nullptr))
        << folder << ": error " << GetLastError();
  }
  // A message file written by hand, as a server would deliver one.
  static void putMessage(const qptest::MailDatabase& db, const std::string& folder,
                         const std::string& name, const std::string& text) {
    writeFile(folderDir(db, folder) + "\\" + name + ".MSG", text);
  }

  // The host user's directory (the user name is the profile), with its separator.
  std::string hostUserDirectory() const { return userDirectory(profile_) + "\\"; }
  std::string rulesDirectory() const { return hostUserDirectory() + "RULES"; }

  // The operations a member's journal received since `from` lines.
  static std::vector<std::string> callsSince(const qptest::MailDatabase& db, size_t from) {
    std::vector<std::string> all = calls(db.journal());
    return std::vector<std::string>(all.begin() + std::min(from, all.size()), all.end());
  }
  static size_t journalLength(const qptest::MailDatabase& db) { return calls(db.journal()).size(); }

  FolderExports folders_;
};

}  // namespace foldertest
