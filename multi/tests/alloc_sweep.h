// Shared by the allocation-failure sweep of QPXMULTI.DLL: one export call under the
// common library's failure control, what a run left, the case table's entry, the forms
// an entry may take when a rewrite found no memory, the comparison of a failing run with
// the good one, and the fixture: three sample mail stores as members of a logged-in host
// session, each with messages, books and lists of its own.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/mailstore/message_compose.h"
#include "host/mailstore/rfc822.h"
#include "multi/book_exports.h"
#include "multi/send_exports.h"
#include "multi/tests/folder_fixture.h"
#include "multi/tests/message_fixture.h"

namespace allocsweep {

using foldertest::fileExists;
using foldertest::messagesIn;
using foldertest::readFile;
using foldertest::writeFile;
using messagetest::HostList;
using Texts = std::vector<std::string>;

// Armed far beyond any call: the countdown left afterwards tells how many QPmalloc calls
// the call made.
constexpr int32_t kCounting = 1 << 30;

// One export call under the common library's failure control.
class Faults {
 public:
  explicit Faults(int32_t failing) : failing_(failing) {}
  template <typename Call>
  int32_t operator()(Call call) {
    QPSetAllocFailure(failing_);
    const int32_t result = call();
    pending_ = QPGetAllocFailurePending();
    QPSetAllocFailure(0);
    return result;
  }
  // How many allocations the call made (counting runs only).
  int32_t made() const { return failing_ - pending_; }
  bool reachedFailure() const { return pending_ == 0; }

 private:
  int32_t failing_;
  int32_t pending_ = 0;
};

// What a run left: the export's result, the host's lists (entries from before the call
// first) and the changes outside them.
struct Outcome {
  int32_t result = 0;
  std::vector<Texts> lists;
  Texts effects;
};

struct Case {
  const char* name;
  // Sets up fresh host state, makes the call under `faults`, frees what the call handed
  // over and undoes its changes.
  std::function<Outcome(Faults&)> run;
  std::vector<int32_t> failures;  // the results documented for a failure
  size_t kept = 0;                // entries each list held before the call
  // The member's own form of an entry the export rewrites; null: no entry is rewritten.
  std::function<std::string(const std::string&)> plain;
  // How the new entries of a failing run compare with the good run's.
  enum Order {
    kInOrder,  // the good run's entries in order; one a member could not append may lack
    kSubset,   // some of the good run's entries (by plain form), in any order
    kWhole,    // all of the good run's entries (by plain form), in any order
  } order;
};
constexpr Case::Order kInOrder = Case::kInOrder;
constexpr Case::Order kSubset = Case::kSubset;
constexpr Case::Order kWhole = Case::kWhole;

// An entry without the MULTI tag its identifier got ("text|MULTI:1:id" -> "text|id",
// the host lists show the separator as "|"), or an attachment reference without its tag.
inline std::string untag(const std::string& entry) {
  for (size_t at = entry.find("MULTI:"); at != std::string::npos;
       at = entry.find("MULTI:", at + 1)) {
    if (at != 0 && entry[at - 1] != '|') continue;
    const size_t colon = entry.find(':', at + 6);
    if (colon != std::string::npos) return entry.substr(0, at) + entry.substr(colon + 1);
  }
  return entry;
}

// A typed address or book name as the member wrote it: the type prefixes gone, and a
// bare address without its angle brackets.
inline std::string untype(std::string text) {
  for (const char* type : {"IMAP:", "SMTP:", "POP3:"}) {
    for (size_t at = 0; at + 5 <= text.size();) {
      if (_strnicmp(text.c_str() + at, type, 5) == 0) {
        text.erase(at, 5);
      } else {
        ++at;
      }
    }
  }
  if (text.size() > 2 && text.front() == '<' && text.back() == '>')
    text = text.substr(1, text.size() - 2);
  return text;
}

// A folder list entry's folder: the text before " - ".
inline std::string baseName(const std::string& entry) { return entry.substr(0, entry.find(" - ")); }

// A text with the temporary copies' names made alike ("QPA<process>-<n>-" -> "QPA-").
inline std::string sameTemporaries(std::string text) {
  for (size_t at = text.find("QPA"); at != std::string::npos; at = text.find("QPA", at + 3)) {
    size_t end = at + 3;
    for (int dashes = 0; end < text.size() && dashes < 2; ++end) {
      if (text[end] == '-') {
        ++dashes;
      } else if (!std::isdigit(static_cast<unsigned char>(text[end]))) {
        break;
      }
    }
    text.replace(at + 3, end - at - 3, "-");
  }
  return text;
}

inline std::string shown(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\xFF') {
      out += '|';
    } else if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

inline Texts shownAll(const Texts& texts) {
  Texts out;
  for (const std::string& text : texts) out.push_back(shown(text));
  return out;
}

// A null-terminated host array with room for `capacity` entries, holding `texts` first.
struct AddressArray : HostList {
  explicit AddressArray(const Texts& texts, size_t capacity = 50000) : HostList(capacity) {
    for (const std::string& text : texts) add(text);
  }
  // The entries up to the first null, however many the callee appended.
  Texts entries() {
    Texts out;
    for (char** entry = data(); *entry != nullptr; ++entry) out.push_back(*entry);
    return out;
  }
};

// The temporary copies of attachments ("QPA*") in the temporary directory.
inline Texts temporaryCopies() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  Texts names;
  WIN32_FIND_DATAA found;
  qp::UniqueFind search(FindFirstFileA((std::string(temp) + "QPA*").c_str(), &found));
  for (bool more = static_cast<bool>(search); more; more = FindNextFileA(search.get(), &found))
    names.push_back(found.cFileName);
  return names;
}

inline size_t entriesOf(const Outcome& outcome) {
  size_t n = 0;
  for (const Texts& list : outcome.lists) n += list.size();
  return n;
}

// Compares a failing run with the good one; see the file comment for the contract.
inline void expectLikeGood(const Case& c, const Outcome& good, const Outcome& got) {
  const bool documentedFailure =
      std::find(c.failures.begin(), c.failures.end(), got.result) != c.failures.end();
  // A member that could not append all its entries answers for what it appended.
  const bool memberCameShort = entriesOf(got) < entriesOf(good) && c.order != kWhole;
  EXPECT_TRUE(got.result == good.result || documentedFailure || memberCameShort)
      << "result " << got.result << ", good run " << good.result;
  const bool failed = documentedFailure && got.result != good.result;
  // Changes outside the lists: whole and as in the good run, or none after a failure.
  if (failed) {
    EXPECT_TRUE(got.effects.empty())
        << "a failed call changed " << got.effects.size() << " things, first: " << got.effects[0];
  } else {
    EXPECT_EQ(got.effects, good.effects) << "reported success, but did not do it all";
  }
  ASSERT_EQ(got.lists.size(), good.lists.size());
  auto plainOf = [&](const std::string& s) { return c.plain ? c.plain(s) : s; };
  for (size_t l = 0; l < got.lists.size(); ++l) {
    SCOPED_TRACE("list " + std::to_string(l));
    const Texts& want = good.lists[l];
    const Texts& have = got.lists[l];
    const std::string seen = ::testing::PrintToString(shownAll(have)) + ", good run " +
                             ::testing::PrintToString(shownAll(want));
    if (c.order == kWhole) {
      Texts a, b;
      for (const std::string& s : have) a.push_back(plainOf(s));
      for (const std::string& s : want) b.push_back(plainOf(s));
      std::sort(a.begin(), a.end());
      std::sort(b.begin(), b.end());
      EXPECT_EQ(a, b) << "entries lost or added: " << seen;
      continue;
    }
    ASSERT_GE(have.size(), std::min(c.kept, want.size())) << "entries from before lost: " << seen;
    for (size_t i = 0; i < c.kept && i < want.size(); ++i)
      EXPECT_EQ(have[i], want[i]) << "entry " << i << " from before the call: " << seen;
    if (c.order == kSubset) {
      Texts left;
      for (size_t i = c.kept; i < want.size(); ++i) left.push_back(plainOf(want[i]));
      for (size_t i = c.kept; i < have.size(); ++i) {
        auto found = std::find(left.begin(), left.end(), plainOf(have[i]));
        EXPECT_NE(found, left.end()) << "unexpected entry " << shown(have[i]) << ": " << seen;
        if (found != left.end()) left.erase(found);
      }
      continue;
    }
    // The good run's entries in order, each as written there or as the member wrote it.
    size_t next = c.kept;
    for (size_t i = c.kept; i < have.size(); ++i) {
      while (next < want.size() && have[i] != want[next] && have[i] != plainOf(want[next])) ++next;
      ASSERT_LT(next, want.size())
          << "unexpected or half-made entry " << shown(have[i]) << ": " << seen;
      ++next;
    }
  }
}

class AllocSweep : public foldertest::FolderTest {
 protected:
  void SetUp() override {
    FolderTest::SetUp();
    if (HasFatalFailure()) return;
    HMODULE m = library_.get();
    using membertest::bindExport;
    bindExport(m, "QPIBuildMailMessageIndex", buildIndex_);
    bindExport(m, "QPIDoMessageSearchFolder", search_);
    bindExport(m, "QPILoadMailMessage", load_);
    bindExport(m, "QPIQualifyAttachmentName", qualify_);
    bindExport(m, "QPISendMailMessage", send_);
    bindExport(m, "QPIValidateMessageRecipients", validate_);
    bindExport(m, "QPIBuildAddressBookList", bookList_);
    bindExport(m, "QPIBuildAvailableRecipsList", recips_);
    bindExport(m, "QPISearchAddressBooks", searchBooks_);
    bindExport(m, "QPIGetPublicAddressBookEntry", publicEntry_);
    bindExport(m, "QPIGetPersonalDList", personalDList_);
    bindExport(m, "QPIGetPublicDList", publicDList_);
    bindExport(m, "QPIBuildListOfPersonalDLists", personalDLists_);
    bindExport(m, "QPIBuildListOfPublicDLists", publicDLists_);
    bindExport(m, "QPIBuildPersonalAddressBookList", personalBook_);
  }
  void TearDown() override {
    QPSetAllocFailure(0);
    FolderTest::TearDown();
  }

  // Slot 0 POP3 (takes composed messages), slot 1 IMAP, slot 2 SMTP (the Internet
  // member), each with messages, books and lists of its own; the profile has a signature.
  void world() {
    pop_ = &member(1, "POP3", {"Inbox", "Drafts"}, "Capabilities=0xC01\r\n");
    imap_ = &member(2, "IMAP", {"Inbox", "Archive"}, "FullAddress=imap@x.org\r\n");
    smtp_ = &member(3, "SMTP", {"Inbox"});
    ASSERT_TRUE(qpmulti::WriteInternetInterface(profile_.c_str(), "SMTP"));
    putMessage(*pop_, "Inbox", "00000001",
               "From: Bob Baker <bob@example.com>\r\nSubject: Lunch\r\n\r\nHello.\r\n");
    putMessage(*imap_, "Inbox", "00000001",
               qp::mailstore::composeMessage(
                   "From: Dora <dora@imap.example>\r\nTo: Jane Doe <jane@imap.example>, "
                   "ed@imap.example\r\nCc: Team <team@imap.example>\r\nSubject: Lunch plans\r\n"
                   "\r\nSee attached.\r\n",
                   {{"report.pdf", "%PDF-1.4 report\r\n"}}));
    putMessage(*imap_, "Inbox", "00000002",
               "From: ed@imap.example\r\nSubject: Lunch again\r\n\r\nHi.\r\n");
    putMessage(*smtp_, "Inbox", "00000001",
               "From: Sam <sam@smtp.example>\r\nSubject: Invoice\r\n\r\nDue.\r\n");
    writeFile(pop_->path() + "\\Friends.ABK", "\"Lee, Fay\" <fay@example.com>\r\n");
    writeFile(pop_->path() + "\\PERSONAL.PAB", "Gus <gus@example.com>\r\nhal@example.com\r\n");
    writeFile(pop_->path() + "\\Team.PDL", "gus@example.com\r\nhal@example.com\r\n");
    writeFile(pop_->path() + "\\All.GDL", "fay@example.com\r\ngus@example.com\r\n");
    writeFile(imap_->path() + "\\Staff.ABK", "Carl Eng <carl@example.com>\r\ndora@example.com\r\n");
    writeFile(smtp_->path() + "\\Clients.ABK", "Ann Lee <ann@example.com>\r\n");
    writeFile(imap_->path() + "\\SIGNATURE.TXT", "Member sig\r\n");
    writeFile(hostUserDirectory() + "Signatur.QP", "Profile sig\r\n");
    report_ = localFile("notes.txt", "local notes");
    host_ = logIn(3);
  }

  std::string localFile(const std::string& name, const std::string& bytes) {
    const std::string path = pop_->path() + "\\" + name;
    writeFile(path, bytes);
    return path;
  }

  // A list case: `before` entries in a fresh host list, the call, the list afterwards.
  template <typename Call>
  Outcome listRun(Faults& faults, const Texts& before, Call call) {
    HostList list;
    for (const std::string& text : before) list.add(text);
    Outcome out;
    out.result = faults([&] { return call(list); });
    out.lists.push_back(list.texts());
    EXPECT_TRUE(list.nullAfterCount()) << "an entry beyond the count";
    return out;
  }
  // The same for the null-terminated lists of the address books.
  template <typename Call>
  Outcome arrayRun(Faults& faults, const Texts& before, Call call) {
    AddressArray list(before);
    Outcome out;
    out.result = faults([&] { return call(list.data()); });
    out.lists.push_back(list.entries());
    return out;
  }

  // The spool files every member wrote, deleted again.
  Texts takeSpools() {
    Texts files;
    for (const qptest::MailDatabase* db : {pop_, imap_, smtp_}) {
      for (unsigned n = 1;; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "\\SPOOL\\SENT%04u.EML", n);
        const std::string path = db->path() + name;
        if (!fileExists(path)) break;
        files.push_back(readFile(path));
        DeleteFileA(path.c_str());
      }
    }
    return files;
  }
  // The messages stored in a folder of a member (each as its attachments' names and
  // contents), deleted again.
  static Texts takeMessages(const qptest::MailDatabase& db, const std::string& folder) {
    Texts stored;
    for (const std::string& name : messagesIn(folderDir(db, folder))) {
      const std::string path = folderDir(db, folder) + "\\" + name + ".MSG";
      const qp::mailstore::ParsedMessage message = qp::mailstore::parseMessage(readFile(path));
      std::string shownMessage = "message";
      for (const auto& part : message.attachments)
        shownMessage +=
            " [" + part.fileName + ": " + qp::mailstore::decodeBody(part.raw, part.encoding) + "]";
      stored.push_back(sameTemporaries(shownMessage));
      DeleteFileA(path.c_str());
    }
    return stored;
  }

  std::vector<Case> cases();
  std::vector<Case> simpleCases();

  template <typename Proc>
  static Proc proc(HMODULE module, const char* name) {
    Proc bound = nullptr;
    membertest::bindExport(module, name, bound);
    return bound;
  }

  qptest::MailDatabase* pop_ = nullptr;
  qptest::MailDatabase* imap_ = nullptr;
  qptest::MailDatabase* smtp_ = nullptr;
  std::string report_;
  QPSESSION host_ = QP_NO_SESSION;
  char buffer_[QP_TEXT_LARGE] = "";

  decltype(&::QPIBuildMailMessageIndex) buildIndex_ = nullptr;
  decltype(&::QPIDoMessageSearchFolder) search_ = nullptr;
  decltype(&::QPILoadMailMessage) load_ = nullptr;
  decltype(&::QPIQualifyAttachmentName) qualify_ = nullptr;
  decltype(&::QPISendMailMessage) send_ = nullptr;
  decltype(&::QPIValidateMessageRecipients) validate_ = nullptr;
  decltype(&::QPIBuildAddressBookList) bookList_ = nullptr;
  decltype(&::QPIBuildAvailableRecipsList) recips_ = nullptr;
  decltype(&::QPISearchAddressBooks) searchBooks_ = nullptr;
  decltype(&::QPIGetPublicAddressBookEntry) publicEntry_ = nullptr;
  decltype(&::QPIGetPersonalDList) personalDList_ = nullptr;
  decltype(&::QPIGetPublicDList) publicDList_ = nullptr;
  decltype(&::QPIBuildListOfPersonalDLists) personalDLists_ = nullptr;
  decltype(&::QPIBuildListOfPublicDLists) publicDLists_ = nullptr;
  decltype(&::QPIBuildPersonalAddressBookList) personalBook_ = nullptr;
};

}  // namespace allocsweep
