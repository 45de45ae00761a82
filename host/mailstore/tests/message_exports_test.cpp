// The sample interface library's message exports as a member session receives them:
// the index with its notice, the poll, the search, loading a message into the host's
// buffers and arrays, extracting an attachment, and opening the message file.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/win/unique.h"
#include "host/mailstore/tests/mail_database.h"
#include "hostapi/qpi_ops.h"
#include "hostapi/qpunique.h"
#include "hostapi/qpxcomm.h"

namespace {

#define QP_PROC_TYPE(Name, Result, Params, Args) using Name##Proc = Result(QPAPI*) Params;
QP_FORWARDED_OPS(QP_PROC_TYPE)
QP_OTHER_SHAPE_OPS(QP_PROC_TYPE)
#undef QP_PROC_TYPE

template <typename Proc>
Proc exportOf(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

std::string unbars(std::string text) {
  for (char& c : text) {
    if (c == '\xFF') c = '|';
  }
  return text;
}

// Entries of a host list or null-terminated array, freed at the end.
struct Entries {
  std::vector<char*> slots;
  int32_t count = 0;
  explicit Entries(size_t size) : slots(size + 1, nullptr) {}
  ~Entries() {
    for (char* entry : slots) QPfree(entry);
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> shown;
    for (char* entry : slots) {
      if (entry != nullptr) shown.push_back(unbars(entry));
    }
    return shown;
  }
};

const char kReport[] =
    "From: Jane Doe <jane@example.com>\r\n"
    "To: bob@example.com, ann@example.com\r\n"
    "Cc: carl@example.com\r\n"
    "Subject: Report\r\n"
    "Date: Tue, 9 Jan 2024 10:00:00 +0000\r\n"
    "Content-Type: multipart/mixed; boundary=b\r\n"
    "\r\n"
    "--b\r\n"
    "\r\n"
    "Figures attached.\r\n"
    "--b\r\n"
    "Content-Disposition: attachment; filename=\"q1 figures.csv\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "YSxiCjEsMgo=\r\n"
    "--b--\r\n";

class MessageExports : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.reset(::LoadLibraryA("QPXIMAP.DLL"));
    ASSERT_TRUE(library_) << "error " << ::GetLastError();
    for (const char* folder : {"\\Inbox", "\\Archive"})
      CreateDirectoryA((db_.path() + folder).c_str(), nullptr);
    put("Inbox\\00000001.MSG", kReport);
    put("Inbox\\00000002.MSG", "From: ann@example.com\r\nSubject: lunch?\r\n\r\nx\r\n");
    put("Inbox\\FOLDER.DAT", "status.00000002=0x9\r\n");
    put("Archive\\00000001.MSG", "From: old@example.com\r\nSubject: Lunch 2019\r\n\r\nx\r\n");
    session_ = QPOpenSession("u", "p", db_.path().c_str(), "IMAP", nullptr, nullptr);
    ASSERT_NE(session_, QP_NO_SESSION);
  }
  void TearDown() override { QPCloseSession(session_); }

  void put(const std::string& relative, const std::string& text) {
    std::ofstream(db_.path() + "\\" + relative, std::ios::binary) << text;
  }
  template <typename Proc>
  Proc op(const char* name) {
    Proc proc = exportOf<Proc>(library_.get(), name);
    EXPECT_NE(proc, nullptr) << name;
    return proc;
  }
  int32_t index(Entries& list, const char* folder) {
    return op<BuildMailMessageIndexProc>("QPIBuildMailMessageIndex")(
        session_, "u", reinterpret_cast<intptr_t>(folder), list.slots.data(), &list.count);
  }

  qp::UniqueModule library_;
  qptest::MailDatabase db_{"[Account]\r\nUserName=u\r\n"};
  QPSESSION session_ = QP_NO_SESSION;
};

TEST_F(MessageExports, IndexListsTheNoticeAndEveryMessageAndThePollSeesChanges) {
  put("Inbox\\NOTICE.TXT", "Quota 90% used\r\n\r\n");
  auto poll = [&](const char* folder) {
    return op<CheckMessageIndexUpdatedProc>("QPICheckMessageIndexUpdated")(
        session_, "u", reinterpret_cast<intptr_t>(folder), 0);
  };
  EXPECT_EQ(poll(""), 2) << "never indexed";
  Entries list(8);
  list.count = 0;
  EXPECT_EQ(index(list, nullptr), 3);  // no folder: the Inbox
  EXPECT_EQ(list.texts(),
            (std::vector<std::string>{
                "Quota 90% used",
                "N... Jane Doe | Report | Tue, 9 Jan 2024 10:00:00 +0000|Inbox/00000001",
                "...D ann@example.com | lunch? | |DFT:Inbox/00000002"}));
  EXPECT_EQ(list.count, 3);
  EXPECT_EQ(poll("Inbox"), 0);
  put("Inbox\\00000003.MSG", "Subject: new\r\n\r\n");
  EXPECT_EQ(poll("Inbox"), 2);
  EXPECT_EQ(poll("Missing"), -1);
  Entries none(2);
  EXPECT_EQ(index(none, "Missing"), -1);
  EXPECT_EQ(none.count, 0);
  EXPECT_NE(
      db_.journal().find("BuildMailMessageIndex " + std::to_string(session_) + " \"u\" null 0\r\n"),
      std::string::npos);
}

TEST_F(MessageExports, SearchLooksInOneFolderOrAllAndNamesTheFolder) {
  auto search = [&](Entries& list, const char* folder, const char* needle, intptr_t fields) {
    return op<DoMessageSearchFolderProc>("QPIDoMessageSearchFolder")(
        session_, list.slots.data(), &list.count, "u", reinterpret_cast<intptr_t>(folder),
        reinterpret_cast<intptr_t>(needle), fields, 0, 0, 0, 0, 0, 0, 0);
  };
  Entries all(8);
  EXPECT_EQ(search(all, "", "LUNCH", 0), 2);
  EXPECT_EQ(all.texts(), (std::vector<std::string>{
                             "N... old@example.com | Lunch 2019 | |Archive/00000001|Archive",
                             "...D ann@example.com | lunch? | |DFT:Inbox/00000002|Inbox"}));
  Entries inbox(8);
  EXPECT_EQ(search(inbox, "Inbox", "figures", 0x8), 1);  // the text, not the headers
  Entries headersOnly(8);
  EXPECT_EQ(search(headersOnly, "Inbox", "figures", 0), 0);
  Entries missing(8);
  EXPECT_EQ(search(missing, "Missing", "x", 0), -1);
}

TEST_F(MessageExports, LoadFillsTheHostsBuffersAndArrays) {
  auto load = op<LoadMailMessageProc>("QPILoadMailMessage");
  Entries to(50000), cc(50000), attachments(200);
  char subject[500] = "", date[150] = "", from[500] = "";
  char* body = nullptr;
  int32_t status = -1;
  ASSERT_EQ(load(session_, "u", "Inbox/00000001", reinterpret_cast<intptr_t>(subject),
                 reinterpret_cast<intptr_t>(date), to.slots.data(), cc.slots.data(), nullptr, from,
                 reinterpret_cast<intptr_t>(&body), reinterpret_cast<intptr_t>(&status), 1, 0,
                 attachments.slots.data(), 0, 0, 0, 0, 0),
            1);
  qp::UniqueQpBlock bodyOwner(body);
  EXPECT_STREQ(subject, "Report");
  EXPECT_STREQ(date, "Tue, 9 Jan 2024 10:00:00 +0000");
  EXPECT_STREQ(from, "Jane Doe <jane@example.com>");
  EXPECT_EQ(to.texts(), (std::vector<std::string>{"bob@example.com", "ann@example.com"}));
  EXPECT_EQ(cc.texts(), (std::vector<std::string>{"carl@example.com"}));
  ASSERT_NE(body, nullptr);
  EXPECT_STREQ(body, "Figures attached.");
  EXPECT_EQ(status, 1) << "loading with flag 1 marks the message seen";
  EXPECT_EQ(attachments.texts(),
            (std::vector<std::string>{"IMAP:Inbox/00000001/1/q1 figures.csv"}));

  char untouched[500] = "poison";
  EXPECT_EQ(load(session_, "u", "Inbox/00000009", 0, 0, nullptr, nullptr, nullptr, untouched, 0, 0,
                 0, 0, nullptr, 0, 0, 0, 0, 0),
            0);
  EXPECT_STREQ(untouched, "poison");
}

TEST_F(MessageExports, QualifyExtractsTheAttachmentIntoATemporaryFile) {
  auto qualify = op<QualifyAttachmentNameProc>("QPIQualifyAttachmentName");
  char path[MAX_PATH] = "", extension[100] = "";
  int32_t temporary = -1;
  qualify(session_, "u", "IMAP:Inbox/00000001/1/q1 figures.csv", path, extension, &temporary);
  EXPECT_EQ(temporary, 1);
  EXPECT_STREQ(extension, "csv");
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
            "a,b\n1,2\n")
      << path;
  in.close();
  EXPECT_TRUE(DeleteFileA(path));

  for (const char* unknown :
       {"POP3:Inbox/00000001/1", "IMAP:Inbox/00000001/2", "IMAP:Inbox/00000009/1", "junk"}) {
    SCOPED_TRACE(unknown);
    char untouched[MAX_PATH] = "poison";
    int32_t flag = -7;
    qualify(session_, "u", unknown, untouched, extension, &flag);
    EXPECT_STREQ(untouched, "poison");
    EXPECT_EQ(flag, -7);
  }
}

TEST_F(MessageExports, OpenGivesAReadableHandleOfTheMessageFile) {
  auto open = op<OpenRFC822MessageFileProc>("QPIOpenRFC822MessageFile");
  const int32_t handle = open(session_, "u", "DFT:Inbox/00000002");
  ASSERT_NE(handle, -1);
  qp::UniqueFile file(LongToHandle(handle));
  char bytes[64] = "";
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(file.get(), bytes, 13, &got, nullptr));
  EXPECT_EQ(std::string(bytes, got), "From: ann@exa");
  EXPECT_EQ(open(session_, "u", "Inbox/00000009"), -1);
  EXPECT_EQ(open(session_, "u", "..\\Inbox/00000001"), -1);
}

}  // namespace
