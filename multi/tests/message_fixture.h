// Shared by the message tests of QPXMULTI.DLL: the message exports bound by name, a
// host-owned list (QPmalloc'd entries, freed at the end), and helpers that put messages
// into a member's mail database directory the way the sample mail store keeps them.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "hostapi/qpxcomm.h"
#include "multi/message_exports.h"
#include "multi/tests/member_fixture.h"

namespace messagetest {

struct MessageExports {
  decltype(&::QPIBuildMailMessageIndex) buildIndex = nullptr;
  decltype(&::QPICheckMessageIndexUpdated) checkIndexUpdated = nullptr;
  decltype(&::QPIDoMessageSearchFolder) search = nullptr;
  decltype(&::QPILoadMailMessage) load = nullptr;
  decltype(&::QPIUpdateMailMessageStatus) updateStatus = nullptr;
  decltype(&::QPIDeleteMailMessage) deleteMessage = nullptr;
  decltype(&::QPIOpenRFC822MessageFile) openFile = nullptr;
  decltype(&::QPIQualifyAttachmentName) qualify = nullptr;
};

// Test texts write the entry separator 0xFF as "|".
inline std::string bars(std::string text) {
  for (char& c : text) {
    if (c == '|') c = '\xFF';
  }
  return text;
}
inline std::string unbars(std::string text) {
  for (char& c : text) {
    if (c == '\xFF') c = '|';
  }
  return text;
}

// A list as the host hands one over: an array with room for `capacity` entries and a
// null after them, its count, and QPmalloc'd entries that are freed at the end.
class HostList {
 public:
  explicit HostList(size_t capacity = 64) : entries_(capacity + 1, nullptr) {}
  ~HostList() {
    for (char* entry : entries_) QPfree(entry);
  }
  HostList(const HostList&) = delete;
  HostList& operator=(const HostList&) = delete;

  // Appends an entry ("|" for the separator) as if the host had it before the call.
  void add(const std::string& text) {
    const std::string real = bars(text);
    char* entry = static_cast<char*>(QPmalloc(static_cast<uint32_t>(real.size() + 1)));
    memcpy(entry, real.c_str(), real.size() + 1);
    entries_[count_++] = entry;
  }
  char** data() { return entries_.data(); }
  int32_t* count() { return &count_; }
  // The entries below the count, the separator shown as "|".
  std::vector<std::string> texts() const {
    std::vector<std::string> shown;
    for (int32_t i = 0; i < count_; ++i)
      shown.push_back(entries_[i] ? unbars(entries_[i]) : "(null)");
    return shown;
  }
  // True when every position from the count to the end holds null.
  bool nullAfterCount() const {
    for (size_t i = static_cast<size_t>(count_); i < entries_.size(); ++i) {
      if (entries_[i] != nullptr) return false;
    }
    return true;
  }

 private:
  std::vector<char*> entries_;
  int32_t count_ = 0;
};

// A message file in a folder of a member's mail database (the folder is created), and
// optionally its status flags in the folder's state file.
inline void putMessage(const qptest::MailDatabase& db, const std::string& folder,
                       const std::string& name, const std::string& text, unsigned flags = 0) {
  const std::string dir = db.path() + "\\" + folder;
  CreateDirectoryA(dir.c_str(), nullptr);
  std::ofstream(dir + "\\" + name + ".MSG", std::ios::binary) << text;
  if (flags != 0) {
    std::ofstream(dir + "\\FOLDER.DAT", std::ios::binary | std::ios::app)
        << "status." << name << "=0x" << std::hex << flags << "\r\n";
  }
}

inline std::string simpleMessage(const std::string& from, const std::string& subject,
                                 const std::string& more = "") {
  return "From: " + from + "\r\nSubject: " + subject +
         "\r\nDate: Mon, 8 Jan 2024 09:00:00 +0000\r\n" + more + "\r\nHello.\r\n";
}

// The journal lines of one operation.
inline std::vector<std::string> journalLines(const qptest::MailDatabase& db,
                                             const std::string& operation) {
  std::vector<std::string> lines;
  const std::string journal = db.journal();
  size_t pos = 0;
  while (pos < journal.size()) {
    size_t end = journal.find("\r\n", pos);
    if (end == std::string::npos) end = journal.size();
    std::string line = journal.substr(pos, end - pos);
    if (line.compare(0, operation.size() + 1, operation + " ") == 0) lines.push_back(line);
    pos = end + 2;
  }
  return lines;
}

class MessageTest : public membertest::MemberTest {
 protected:
  void SetUp() override {
    MemberTest::SetUp();
    if (HasFatalFailure()) return;
    HMODULE m = library_.get();
    membertest::bindExport(m, "QPIBuildMailMessageIndex", messages_.buildIndex);
    membertest::bindExport(m, "QPICheckMessageIndexUpdated", messages_.checkIndexUpdated);
    membertest::bindExport(m, "QPIDoMessageSearchFolder", messages_.search);
    membertest::bindExport(m, "QPILoadMailMessage", messages_.load);
    membertest::bindExport(m, "QPIUpdateMailMessageStatus", messages_.updateStatus);
    membertest::bindExport(m, "QPIDeleteMailMessage", messages_.deleteMessage);
    membertest::bindExport(m, "QPIOpenRFC822MessageFile", messages_.openFile);
    membertest::bindExport(m, "QPIQualifyAttachmentName", messages_.qualify);
  }
  void TearDown() override {
    QPSetAllocFailure(0);
    MemberTest::TearDown();
  }

  // A host session logged in to the profile with its members prepared.
  QPSESSION loggedIn() {
    const QPSESSION host = openHost();
    multi_.initUser(host, profile_.c_str());
    EXPECT_FALSE(table(host).empty()) << "no member logged in";
    return host;
  }

  // The account of member `login` again, under `user` and `iface` as spelt here: its mail
  // database and the password its account file accepts ("pw-<account's user>").
  void addSameAccount(unsigned login, const char* user, const char* iface, const char* password,
                      const qptest::MailDatabase& db) {
    EXPECT_TRUE(qpmulti::WriteProfileMember(profile_.c_str(), login, user, iface, password,
                                            db.path().c_str()));
  }

  int32_t buildIndex(QPSESSION host, HostList& list, const char* folder = "Inbox") {
    return messages_.buildIndex(host, profile_.c_str(), reinterpret_cast<intptr_t>(folder),
                                list.data(), list.count(), 0, 0);
  }
  int32_t search(QPSESSION host, HostList& list, const char* needle, const char* folder = "") {
    return messages_.search(host, profile_.c_str(), list.data(), list.count(), 0,
                            reinterpret_cast<intptr_t>(folder), reinterpret_cast<intptr_t>(needle),
                            0, 0, 0, 0, 0, 0, 0, 0);
  }

  MessageExports messages_;
};

}  // namespace messagetest
