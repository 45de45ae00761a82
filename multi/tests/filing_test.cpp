// Adding and filing messages through a multi-session host session over real sample mail
// stores: the member that receives an added message, the folder created there first,
// attachments turned into local files (and a reference that gives no path), allocation
// failures, and filing within the member that holds the message.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host/mailstore/journal.h"
#include "host/mailstore/message_compose.h"
#include "host/mailstore/rfc822.h"
#include "multi/tests/folder_fixture.h"

namespace {

using foldertest::calls;
using foldertest::countOf;
using foldertest::fileExists;
using foldertest::isDirectory;
using foldertest::messagesIn;
using qp::mailstore::JournalLine;

constexpr char kText[] = "From: jane@example.com\r\nSubject: Minutes\r\n\r\nSee attached.\r\n";
constexpr char kReport[] = "%PDF-1.4 the report\r\n";
// Capabilities of a sample member: 0xC00, with bit 0 when it takes composed messages.
const std::string kAdds = "Capabilities=0xC01\r\n";

// The words of a journal line: texts unquoted and unescaped, numbers and null as written.
std::vector<std::string> journalWords(const std::string& line) {
  std::vector<std::string> words;
  for (size_t i = 0; i < line.size();) {
    if (line[i] == ' ' || line[i] == '\r' || line[i] == '\n') {
      ++i;
      continue;
    }
    std::string word;
    if (line[i] == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
          const char e = line[++i];
          word += e == 'r' ? '\r' : e == 'n' ? '\n' : e == 't' ? '\t' : e;
        } else {
          word += line[i];
        }
      }
      ++i;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\r') word += line[i++];
    }
    words.push_back(word);
  }
  return words;
}

// The attachment lists that the last AddMailMessageToFolder of a journal received:
// {"null"} for a null list, else its entries.
struct ReceivedLists {
  std::vector<std::string> files, names;
};
ReceivedLists receivedLists(const std::string& journal) {
  const size_t at = journal.rfind("AddMailMessageToFolder ");
  EXPECT_NE(at, std::string::npos) << journal;
  if (at == std::string::npos) return {};
  const std::vector<std::string> w = journalWords(journal.substr(at, journal.find('\n', at) - at));
  ReceivedLists lists;
  size_t i = 11;  // operation, session, user, folder, text, arguments 5 to 10
  for (std::vector<std::string>* list : {&lists.files, &lists.names}) {
    if (w.at(i) == "null") {
      list->push_back("null");
      ++i;
      continue;
    }
    const size_t n = std::stoul(w.at(i++));
    for (size_t k = 0; k < n; ++k) list->push_back(w.at(i++));
  }
  return lists;
}

// A null-terminated host list of QPmalloc'd copies, freed with the object.
struct HostArray {
  std::vector<char*> entries;
  explicit HostArray(const std::vector<std::string>& texts) : entries(texts.size() + 1, nullptr) {
    for (size_t i = 0; i < texts.size(); ++i) {
      entries[i] = static_cast<char*>(QPmalloc(static_cast<uint32_t>(texts[i].size() + 1)));
      texts[i].copy(entries[i], texts[i].size());
    }
  }
  ~HostArray() {
    for (char* entry : entries) QPfree(entry);
  }
  char** data() { return entries.data(); }
};

class Filing : public foldertest::FolderTest {
 protected:
  int32_t add(QPSESSION host, const char* folder, char** files, char** names, intptr_t status = 0) {
    return folders_.addMessage(host, profile_.c_str(), folder, reinterpret_cast<intptr_t>(kText),
                               status, 0, 0, 0, 0, 0, files, names, 0, 0);
  }
  // A local attachment file of the test's own.
  std::string localFile(const std::string& name, const std::string& bytes) {
    const std::string path = databases_.front()->path() + "\\" + name;
    foldertest::writeFile(path, bytes);
    return path;
  }
  // The stored message of a folder that holds exactly one.
  static qp::mailstore::ParsedMessage onlyMessage(const qptest::MailDatabase& db,
                                                  const std::string& folder, std::string& text) {
    const std::vector<std::string> names = messagesIn(folderDir(db, folder));
    EXPECT_EQ(names.size(), 1u) << folder;
    text =
        names.empty() ? "" : foldertest::readFile(folderDir(db, folder) + "\\" + names[0] + ".MSG");
    return qp::mailstore::parseMessage(text);
  }
};

TEST_F(Filing, AddGoesToTheFirstCapableMemberWhichGetsTheFolderFirst) {
  qptest::MailDatabase& pop = member(1, "POP3", {"Drafts"});
  qptest::MailDatabase& imap = member(2, "IMAP");
  qptest::MailDatabase& smtp = member(3, "SMTP", {}, kAdds);
  const QPSESSION host = logIn(3);
  const QPSESSION smtpSession = table(host)[2];

  // Null attachment lists reach the member as empty lists; the other arguments as given.
  EXPECT_EQ(folders_.addMessage(host, profile_.c_str(), "Drafts", reinterpret_cast<intptr_t>(kText),
                                0x8, 6, 7, 8, 9, 10, nullptr, nullptr, 13, 14),
            1);
  const std::vector<std::string> smtpCalls = calls(smtp.journal());
  // Its own query, the query of every member, the creation, the message.
  EXPECT_EQ(std::vector<std::string>(smtpCalls.end() - 4, smtpCalls.end()),
            (std::vector<std::string>{"GetMailMessageFolderInfo", "GetMailMessageFolderInfo",
                                      "CreateMailFolder", "AddMailMessageToFolder"}));
  const std::string line = JournalLine("AddMailMessageToFolder")
                               .number(smtpSession)
                               .text("user3")
                               .text("Drafts")
                               .text(kText)
                               .number(0x8)
                               .number(6)
                               .number(7)
                               .number(8)
                               .number(9)
                               .number(10)
                               .number(0)
                               .number(0)
                               .number(13)
                               .number(14)
                               .finished();
  EXPECT_NE(smtp.journal().find(line), std::string::npos) << smtp.journal();
  std::string stored;
  onlyMessage(smtp, "Drafts", stored);
  EXPECT_EQ(stored, kText);
  for (const qptest::MailDatabase* db : {&pop, &imap}) {
    EXPECT_EQ(countOf(calls(db->journal()), "AddMailMessageToFolder"), 0u) << db->path();
    EXPECT_EQ(countOf(calls(db->journal()), "CreateMailFolder"), 0u) << db->path();
  }

  // Without a capable member the primary member takes it, in its own folder.
  foldertest::writeFile(smtp.path() + "\\ACCOUNT.INI", membertest::account("user3", "pw-user3"));
  EXPECT_EQ(add(host, "Drafts", nullptr, nullptr), 1);
  EXPECT_EQ(messagesIn(folderDir(pop, "Drafts")).size(), 1u);
  EXPECT_EQ(countOf(calls(pop.journal()), "CreateMailFolder"), 0u);

  // A folder that no member has is created nowhere and nothing is added.
  const int32_t live = QPGetLiveBlockCount();
  EXPECT_EQ(add(host, "Nowhere", nullptr, nullptr), 0);
  EXPECT_EQ(QPGetLiveBlockCount(), live);
  for (const qptest::MailDatabase* db : {&pop, &imap, &smtp}) {
    EXPECT_FALSE(isDirectory(folderDir(*db, "Nowhere"))) << db->path();
    EXPECT_EQ(countOf(calls(db->journal()), "AddMailMessageToFolder"), db == &imap ? 0u : 1u);
  }
}

class FilingAttachments : public Filing {
 protected:
  void SetUp() override {
    Filing::SetUp();
    if (HasFatalFailure()) return;
    pop_ = &member(1, "POP3", {"Drafts"}, kAdds);
    imap_ = &member(2, "IMAP", {"Inbox"});
    // The IMAP member holds a message with one attachment, report.pdf.
    putMessage(*imap_, "Inbox", "00000001",
               qp::mailstore::composeMessage(kText, {{"report.pdf", kReport}}));
    local_ = localFile("notes.txt", "local notes");
    host_ = logIn(2);
  }

  qptest::MailDatabase* pop_ = nullptr;
  qptest::MailDatabase* imap_ = nullptr;
  std::string local_;
  QPSESSION host_ = QP_NO_SESSION;
  // The report as a loaded message lists it, behind the IMAP member's tag.
  const std::string reference_ = "MULTI:1:IMAP:Inbox/00000001/1/report.pdf";
};

TEST_F(FilingAttachments, ReferencesBecomeTemporaryFilesThatGoAfterTheCall) {
  HostArray files({local_, reference_});
  HostArray names({"", "report.pdf"});
  EXPECT_EQ(add(host_, "Drafts", files.data(), names.data()), 1);

  // The stored message carries both attachments with their contents.
  std::string stored;
  const qp::mailstore::ParsedMessage message = onlyMessage(*pop_, "Drafts", stored);
  ASSERT_EQ(message.attachments.size(), 2u) << stored;
  EXPECT_EQ(message.attachments[0].fileName, "notes.txt");
  EXPECT_EQ(qp::mailstore::decodeBody(message.attachments[0].raw, message.attachments[0].encoding),
            "local notes");
  EXPECT_EQ(message.attachments[1].fileName, "report.pdf");
  EXPECT_EQ(qp::mailstore::decodeBody(message.attachments[1].raw, message.attachments[1].encoding),
            kReport);

  // The member got the local path as it was and the path of a temporary copy, which is
  // gone again; the local file stays.
  const ReceivedLists got = receivedLists(pop_->journal());
  ASSERT_EQ(got.files.size(), 2u);
  EXPECT_EQ(got.files[0], local_);
  EXPECT_NE(got.files[1], reference_);
  EXPECT_FALSE(fileExists(got.files[1])) << got.files[1];
  EXPECT_TRUE(fileExists(local_));
  EXPECT_EQ(got.names, (std::vector<std::string>{"", "report.pdf"}));
  // The holding member was asked about the reference under its own type, once.
  EXPECT_NE(imap_->journal().find("QualifyAttachmentName"), std::string::npos);
  EXPECT_NE(imap_->journal().find("\"IMAP:Inbox/00000001/1/report.pdf/report.pdf\""),
            std::string::npos)
      << imap_->journal();
  // The host's own lists are untouched.
  EXPECT_STREQ(files.data()[1], reference_.c_str());
}

TEST_F(FilingAttachments, AnEntryWithoutAPathOrTooLongForItsReferenceIsHandedOnAsItWas) {
  // The reference that qualifies comes first, so a stale path buffer would show.
  const std::string unknownPart = "MULTI:1:IMAP:Inbox/00000001/9/gone.pdf";
  // "MULTI:" + file + "/" + name exceeds the 152-byte reference: not asked about at all.
  const std::string tooLong = "MULTI:1:IMAP:Inbox/00000001/1/" + std::string(130, 'r') + ".pdf";
  HostArray files({reference_, unknownPart, tooLong});
  HostArray names({"report.pdf", "gone.pdf", "long.pdf"});
  const int32_t live = QPGetLiveBlockCount();

  // The member cannot read what it was handed for the second attachment: it refuses.
  EXPECT_EQ(add(host_, "Drafts", files.data(), names.data()), 0);

  const ReceivedLists got = receivedLists(pop_->journal());
  ASSERT_EQ(got.files.size(), 3u);
  EXPECT_NE(got.files[0], reference_);
  EXPECT_FALSE(fileExists(got.files[0])) << "the temporary copy goes whatever the result";
  EXPECT_EQ(got.files[1], unknownPart);
  EXPECT_EQ(got.files[2], tooLong);
  const std::vector<std::string> asked = calls(imap_->journal());
  EXPECT_EQ(countOf(asked, "QualifyAttachmentName"), 2u);
  EXPECT_EQ(QPGetLiveBlockCount(), live);
}

TEST_F(FilingAttachments, FailedAllocationsLeaveEntriesAsTheyWere) {
  const std::vector<std::string> both = {local_, reference_};
  struct Case {
    const char* name;
    int32_t failing;                 // the QPmalloc of the add that fails, counted from 1
    bool added;                      // false: the member is not called, the add gives 0
    std::vector<std::string> files;  // "*" for the qualified temporary path
    std::vector<std::string> names;
  };
  // The add allocates the file array, the name array, the flags, the file copies, the name
  // copies, then the qualified path. Without a whole copy of both lists nothing is added:
  // the message would lose attachments.
  const Case cases[] = {
      {"file array", 1, false, {}, {}},
      {"name array", 2, false, {}, {}},
      {"flags: nothing is qualified", 3, true, both, {"a.txt", "report.pdf"}},
      {"first file copy", 4, false, {}, {}},
      {"second file copy", 5, false, {}, {}},
      {"second name copy", 7, false, {}, {}},
      {"qualified path", 8, true, both, {"a.txt", "report.pdf"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostArray files(both);
    HostArray names({"a.txt", "report.pdf"});
    const int32_t live = QPGetLiveBlockCount();
    const size_t addsBefore = countOf(calls(pop_->journal()), "AddMailMessageToFolder");
    QPSetAllocFailure(c.failing);
    const int32_t result = add(host_, "Drafts", files.data(), names.data());
    QPSetAllocFailure(0);
    EXPECT_EQ(QPGetLiveBlockCount(), live) << "every block went back";
    EXPECT_EQ(countOf(calls(pop_->journal()), "AddMailMessageToFolder"), addsBefore + c.added);
    if (!c.added) {
      EXPECT_EQ(result, 0);
      continue;
    }
    const ReceivedLists got = receivedLists(pop_->journal());
    ASSERT_EQ(got.files.size(), c.files.size());
    for (size_t i = 0; i < c.files.size(); ++i) {
      if (c.files[i] == "*") {
        EXPECT_NE(got.files[i], reference_);
        EXPECT_FALSE(fileExists(got.files[i])) << got.files[i];
      } else {
        EXPECT_EQ(got.files[i], c.files[i]) << i;
      }
    }
    EXPECT_EQ(got.names, c.names);
  }
  // No temporary copy of the report was left behind by any case.
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  WIN32_FIND_DATAA found;
  qp::UniqueFind left(FindFirstFileA((std::string(temp) + "QPA*report.pdf").c_str(), &found));
  EXPECT_FALSE(left) << found.cFileName;
}

TEST_F(Filing, FilingStaysWithinTheMemberThatHoldsTheMessage) {
  qptest::MailDatabase& pop = member(1, "POP3", {"Archive"});
  qptest::MailDatabase& imap = member(2, "IMAP", {"Inbox"});
  putMessage(imap, "Inbox", "00000001", kText);
  putMessage(imap, "Inbox", "00000002", kText);
  const QPSESSION host = logIn(2);
  struct Case {
    const char* name;
    const char* id;
    const char* folder;
    intptr_t copy;  // the sample store keeps the original when nonzero
    int32_t result;
    std::vector<std::string> inbox, archive;  // the IMAP member's folders afterwards
  };
  const Case cases[] = {
      {"untagged", "Inbox/00000001", "Archive", 0, 0, {"00000001", "00000002"}, {}},
      {"tag of an empty slot",
       "MULTI:7:Inbox/00000001",
       "Archive",
       0,
       0,
       {"00000001", "00000002"},
       {}},
      {"folder on no member",
       "MULTI:1:Inbox/00000001",
       "Nowhere",
       0,
       0,
       {"00000001", "00000002"},
       {}},
      {"move: the folder is made first",
       "MULTI:1:Inbox/00000001",
       "Archive",
       0,
       1,
       {"00000002"},
       {"00000001"}},
      {"copy", "multi:1:Inbox/00000002", "archive", 1, 1, {"00000002"}, {"00000001", "00000002"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t popBefore = journalLength(pop);
    const size_t imapBefore = journalLength(imap);
    EXPECT_EQ(folders_.fileMessage(host, profile_.c_str(), c.copy, c.id, c.folder, 0, 0), c.result);
    EXPECT_EQ(messagesIn(folderDir(imap, "Inbox")), c.inbox);
    EXPECT_EQ(messagesIn(folderDir(imap, "Archive")), c.archive);
    EXPECT_TRUE(messagesIn(folderDir(pop, "Archive")).empty());
    EXPECT_EQ(countOf(callsSince(pop, popBefore), "FileMailMessageToFolder"), 0u);
    const std::vector<std::string> imapCalls = callsSince(imap, imapBefore);
    EXPECT_EQ(countOf(imapCalls, "FileMailMessageToFolder"), c.result != 0 ? 1u : 0u);
    if (c.result != 0) {
      const std::string memberId = std::string(c.id).substr(8);
      EXPECT_NE(imap.journal().find("\"" + memberId + "\""), std::string::npos) << imap.journal();
    }
  }
  EXPECT_EQ(countOf(calls(imap.journal()), "CreateMailFolder"), 1u);
}

}  // namespace
