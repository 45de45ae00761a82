// The sample interface library's folder exports as a member session receives them: the
// folder list and folder information, create, rename and delete on the directories, the
// new-mail mark, the rules directory, and adding or filing a message.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "common/win/unique.h"
#include "host/mailstore/message_view.h"
#include "host/mailstore/rfc822.h"
#include "host/mailstore/tests/mail_database.h"
#include "hostapi/qpi_ops.h"
#include "hostapi/qpxcomm.h"

namespace {

#define QP_PROC_TYPE(Name, Result, Params, Args) using Name##Proc = Result(QPAPI*) Params;
QP_FORWARDED_OPS(QP_PROC_TYPE)
#undef QP_PROC_TYPE

template <typename Proc>
Proc exportOf(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

constexpr char kText[] = "From: a@example.com\r\nSubject: Hi\r\n\r\nHello\r\n";

intptr_t arg(const char* text) { return reinterpret_cast<intptr_t>(text); }

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool isDirectory(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::string> messagesIn(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 4 && name.substr(name.size() - 4) == ".MSG") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class FolderExports : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.reset(::LoadLibraryA("QPXPOP3.DLL"));
    ASSERT_TRUE(library_) << "error " << ::GetLastError();
    session_ = QPOpenSession("jane", "pw", db_.path().c_str(), "POP3", nullptr, nullptr);
    ASSERT_NE(session_, QP_NO_SESSION);
  }
  void TearDown() override { QPCloseSession(session_); }

  template <typename Proc>
  Proc bind(const char* name) {
    Proc proc = exportOf<Proc>(library_.get(), name);
    EXPECT_NE(proc, nullptr) << name;
    return proc;
  }
  std::string dir(const std::string& folder) const { return db_.path() + "\\" + folder; }
  void makeFolder(const std::string& folder, unsigned messages = 0) {
    ASSERT_TRUE(::CreateDirectoryA(dir(folder).c_str(), nullptr)) << folder;
    for (unsigned i = 1; i <= messages; ++i) {
      std::ofstream(dir(folder) + "\\0000000" + std::to_string(i) + ".MSG", std::ios::binary)
          << kText;
    }
  }

  qp::UniqueModule library_;
  qptest::MailDatabase db_{"[Account]\r\nUserName=jane\r\nPassword=pw\r\n"};
  QPSESSION session_ = QP_NO_SESSION;
};

TEST_F(FolderExports, ListAndInformationDescribeTheSubdirectories) {
  makeFolder("Inbox", 2);
  makeFolder("archive");
  makeFolder("Sent", 1);
  makeFolder(std::string(70, 'x'));  // longer than a folder name may be: not a folder
  const auto build = bind<BuildFolderListProc>("QPIBuildFolderList");
  const auto info = bind<GetMailMessageFolderInfoProc>("QPIGetMailMessageFolderInfo");

  std::vector<char*> list(8, nullptr);
  int32_t count = 1;  // an entry of the host's before the call
  EXPECT_EQ(build(session_, "jane", list.data(), &count, 5), 3);
  ASSERT_EQ(count, 4);
  EXPECT_STREQ(list[1], "archive");
  EXPECT_STREQ(list[2], "Inbox - 2 messages");
  EXPECT_STREQ(list[3], "Sent - 1 message");
  for (char* entry : list) QPfree(entry);

  // A full list takes nothing more.
  std::vector<char*> full(qp::mailstore::kListCapacity + 1, nullptr);
  count = qp::mailstore::kListCapacity - 1;
  EXPECT_EQ(build(session_, "jane", full.data(), &count, 0), 1);
  EXPECT_EQ(count, qp::mailstore::kListCapacity);
  EXPECT_STREQ(full[count - 1], "archive");
  QPfree(full[count - 1]);

  struct Case {
    const char* folder;
    int32_t result, count;
    const char* text;
  };
  const Case cases[] = {
      {"INBOX", 1, 2, "POP3 INBOX: 2 messages, 2 unread"},
      {nullptr, 1, 2, "POP3 Inbox: 2 messages, 2 unread"},
      {"archive", 1, 0, "POP3 archive: 0 messages, 0 unread"},
      {"Nowhere", 0, -3, "untouched"},
      {"..", 0, -3, "untouched"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder ? c.folder : "(null)");
    int32_t n = -3;
    char text[QP_TEXT_LARGE] = "untouched";
    EXPECT_EQ(info(session_, "jane", c.folder, &n, text), c.result);
    EXPECT_EQ(n, c.count);
    EXPECT_STREQ(text, c.text);
  }
}

TEST_F(FolderExports, CreateRenameAndDeleteActOnTheDirectories) {
  makeFolder("Inbox", 1);
  makeFolder("Old", 2);
  makeFolder("Taken");
  makeFolder("Nested");
  ASSERT_TRUE(::CreateDirectoryA((dir("Nested") + "\\sub").c_str(), nullptr));
  const auto create = bind<CreateMailFolderProc>("QPICreateMailFolder");
  const auto rename = bind<RenameMailFolderProc>("QPIRenameMailFolder");
  const auto remove = bind<DeleteMailFolderProc>("QPIDeleteMailFolder");
  char info[QP_TEXT_LARGE] = "";
  struct Case {
    const char* name;
    std::function<int32_t()> call;
    int32_t result;
    std::vector<std::string> present, absent;  // directories afterwards
  };
  const Case cases[] = {
      {"create", [&] { return create(session_, "jane", "Projects", info); }, 1, {"Projects"}, {}},
      {"create one that exists",
       [&] { return create(session_, "jane", "projects", info); },
       1,
       {"Projects"},
       {}},
      {"create a name the store refuses",
       [&] { return create(session_, "jane", "a/b", info); },
       0,
       {},
       {"a"}},
      {"create a device name", [&] { return create(session_, "jane", "CON", info); }, 0, {}, {}},
      {"rename onto another folder",
       [&] { return rename(session_, "jane", arg("Old"), arg("Taken"), 0); },
       0,
       {"Old", "Taken"},
       {}},
      {"rename a missing folder",
       [&] { return rename(session_, "jane", arg("Gone"), arg("New"), 0); },
       0,
       {},
       {"New"}},
      {"rename",
       [&] { return rename(session_, "jane", arg("Old"), arg("New"), 0); },
       1,
       {"New"},
       {"Old"}},
      {"delete without a name",
       [&] { return remove(session_, "jane", nullptr); },
       0,
       {"Inbox"},
       {}},
      {"delete one with a subdirectory",
       [&] { return remove(session_, "jane", "Nested"); },
       0,
       {"Nested\\sub"},
       {}},
      {"delete with its messages", [&] { return remove(session_, "jane", "new"); }, 1, {}, {"New"}},
      {"delete a missing folder", [&] { return remove(session_, "jane", "New"); }, 0, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.call(), c.result);
    for (const std::string& d : c.present) EXPECT_TRUE(isDirectory(dir(d))) << d;
    for (const std::string& d : c.absent) EXPECT_FALSE(isDirectory(dir(d))) << d;
  }
  EXPECT_EQ(messagesIn(dir("Inbox")).size(), 1u);
}

TEST_F(FolderExports, NewMailMarkAndRulesDirectory) {
  makeFolder("Inbox");
  const auto has = bind<DoesFolderHaveNewMailProc>("QPIDoesFolderHaveNewMail");
  const auto set = bind<SetFolderNewMailStatusProc>("QPISetFolderNewMailStatus");
  const auto rules = bind<GetRulesDirProc>("QPIGetRulesDir");

  EXPECT_EQ(has(session_, "jane", ""), 0);
  EXPECT_EQ(set(session_, "jane", nullptr, 1), 1);  // no name: Inbox
  EXPECT_EQ(has(session_, "jane", "inbox"), 1);
  EXPECT_EQ(set(session_, "jane", "Inbox", 0), 1);
  EXPECT_EQ(has(session_, "jane", nullptr), 0);
  EXPECT_EQ(set(session_, "jane", "Inbox", 0), 1) << "clearing a clear mark";
  EXPECT_EQ(set(session_, "jane", "Nowhere", 1), 0);
  EXPECT_FALSE(isDirectory(dir("Nowhere")));

  char buffer[MAX_PATH] = "";
  EXPECT_EQ(rules(session_, "jane", buffer), 0) << "no RULES directory yet";
  EXPECT_EQ(std::string(buffer), dir("RULES") + "\\");
  EXPECT_FALSE(isDirectory(dir("RULES"))) << "the member does not make it";
  ASSERT_TRUE(::CreateDirectoryA(dir("RULES").c_str(), nullptr));
  EXPECT_EQ(rules(session_, "jane", buffer), 1);
}

TEST_F(FolderExports, AddAndFileWriteMessagesIntoFolders) {
  makeFolder("Inbox");
  makeFolder("Drafts");
  const auto add = bind<AddMailMessageToFolderProc>("QPIAddMailMessageToFolder");
  const auto file = bind<FileMailMessageToFolderProc>("QPIFileMailMessageToFolder");
  const std::string attachment = db_.path() + "\\notes.txt";
  std::ofstream(attachment, std::ios::binary) << "my notes";
  char* files[] = {const_cast<char*>(attachment.c_str()), nullptr};
  char* names[] = {const_cast<char*>("minutes.txt"), nullptr};
  char* missing[] = {const_cast<char*>("C:\\no\\such\\file.txt"), nullptr};

  // A draft with an attachment, stored with its flag.
  EXPECT_EQ(add(session_, "jane", "Drafts", arg(kText), 0x8, 0, 0, 0, 0, 0, files, names, 0, 0), 1);
  ASSERT_EQ(messagesIn(dir("Drafts")), std::vector<std::string>{"00000001.MSG"});
  const std::string stored = readFile(dir("Drafts") + "\\00000001.MSG");
  const qp::mailstore::ParsedMessage message = qp::mailstore::parseMessage(stored);
  ASSERT_EQ(message.attachments.size(), 1u) << stored;
  EXPECT_EQ(message.attachments[0].fileName, "minutes.txt");
  EXPECT_NE(readFile(dir("Drafts") + "\\FOLDER.DAT").find("status.00000001=0x8"),
            std::string::npos);
  // An attachment that cannot be read refuses the message; a missing folder too.
  EXPECT_EQ(add(session_, "jane", "Drafts", arg(kText), 0, 0, 0, 0, 0, 0, missing, nullptr, 0, 0),
            0);
  EXPECT_EQ(add(session_, "jane", "Nowhere", arg(kText), 0, 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0),
            0);
  // No folder name: Inbox.
  EXPECT_EQ(add(session_, "jane", nullptr, arg(kText), 0, 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0),
            1);
  EXPECT_EQ(messagesIn(dir("Drafts")).size(), 1u);
  EXPECT_EQ(readFile(dir("Inbox") + "\\00000001.MSG"), kText);

  struct Case {
    const char* name;
    intptr_t copy;
    const char* id;
    const char* target;
    int32_t result;
    size_t inbox, drafts;
  };
  const Case cases[] = {
      {"into the folder that holds it", 0, "Inbox/00000001", "Inbox", 0, 1, 1},
      {"into a missing folder", 0, "Inbox/00000001", "Nowhere", 0, 1, 1},
      {"a missing message", 0, "Inbox/00000009", "Drafts", 0, 1, 1},
      {"copy", 1, "Inbox/00000001", "Drafts", 1, 1, 2},
      {"move", 0, "inbox/00000001", "drafts", 1, 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(file(session_, "jane", c.copy, c.id, c.target, 0, 0), c.result);
    EXPECT_EQ(messagesIn(dir("Inbox")).size(), c.inbox);
    EXPECT_EQ(messagesIn(dir("Drafts")).size(), c.drafts);
  }
}

}  // namespace
