// The message layer's files: numbering new messages, filing them with their flags,
// deleting, status flags, the folder fingerprint, and what counts as a folder or a
// message in a mail database directory.
#include "host/mailstore/message_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "host/mailstore/tests/mail_database.h"

namespace qp::mailstore {
namespace {

class MessageStore : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"Inbox", "Archive"})
      CreateDirectoryA((db_.path() + "\\" + folder).c_str(), nullptr);
  }
  std::string path(const std::string& relative) const { return db_.path() + "\\" + relative; }
  void write(const std::string& relative, const std::string& text) const {
    std::ofstream(path(relative), std::ios::binary) << text;
  }
  bool exists(const std::string& relative) const {
    return GetFileAttributesA(path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  std::vector<std::string> names(const char* folder) const {
    std::vector<std::string> found;
    if (auto messages = listMessages(db_.path(), folder)) {
      for (const StoredMessage& m : *messages)
        found.push_back(m.name + "=" + std::to_string(m.status));
    }
    return found;
  }

  qptest::MailDatabase db_{"[Account]\r\nUserName=u\r\n"};
};

TEST_F(MessageStore, NewMessagesGetFreshNumbersThatAreNeverReused) {
  write("Inbox\\00000007.MSG", "Subject: by hand\r\n\r\n");
  std::optional<MessageId> first =
      addMessage(db_.path(), "inbox", "Subject: a\r\n\r\n", kStatusSeen);
  ASSERT_TRUE(first);
  EXPECT_EQ(formatMessageId(*first), "inbox/00000008");  // beyond the hand-written file
  ASSERT_TRUE(deleteMessage(db_.path(), *first));
  std::optional<MessageId> second =
      addMessage(db_.path(), "Inbox", "Subject: b\r\n\r\n", kStatusDraft);
  ASSERT_TRUE(second);
  EXPECT_EQ(formatMessageId(*second), "DFT:Inbox/00000009");  // 8 is not handed out again
  EXPECT_EQ(names("Inbox"), (std::vector<std::string>{"00000007=0", "00000009=8"}));
  EXPECT_EQ(readMessage(db_.path(), *second), "Subject: b\r\n\r\n");

  EXPECT_FALSE(addMessage(db_.path(), "Missing", "x", 0));
  EXPECT_FALSE(addMessage(db_.path(), "..", "x", 0));
}

TEST_F(MessageStore, FilingMovesOrCopiesWithTheFlags) {
  std::optional<MessageId> id =
      addMessage(db_.path(), "Inbox", "Subject: keep\r\n\r\n", kStatusSeen | kStatusFlagged);
  ASSERT_TRUE(id);
  std::optional<MessageId> copy = fileMessage(db_.path(), *id, "Archive", true);
  ASSERT_TRUE(copy);
  EXPECT_EQ(names("Inbox"), (std::vector<std::string>{"00000001=5"}));
  EXPECT_EQ(names("Archive"), (std::vector<std::string>{"00000001=5"}));
  std::optional<MessageId> moved = fileMessage(db_.path(), *id, "Archive", false);
  ASSERT_TRUE(moved);
  EXPECT_EQ(formatMessageId(*moved), "Archive/00000002");
  EXPECT_TRUE(names("Inbox").empty());
  EXPECT_EQ(names("Archive"), (std::vector<std::string>{"00000001=5", "00000002=5"}));

  EXPECT_FALSE(fileMessage(db_.path(), *moved, "ARCHIVE", false)) << "into its own folder";
  EXPECT_FALSE(fileMessage(db_.path(), *moved, "Missing", false));
  EXPECT_TRUE(exists("Archive\\00000002.MSG")) << "a refused move keeps the message";
  EXPECT_FALSE(fileMessage(db_.path(), *id, "Archive", false)) << "the moved original is gone";
}

TEST_F(MessageStore, StatusFlagsAndDeletion) {
  std::optional<MessageId> id = addMessage(db_.path(), "Inbox", "x", 0);
  ASSERT_TRUE(id);
  EXPECT_EQ(updateMessageStatus(db_.path(), *id, kStatusSeen | kStatusAnswered | 0x100, 0), 3u);
  EXPECT_EQ(updateMessageStatus(db_.path(), *id, kStatusFlagged, kStatusSeen), 6u);
  EXPECT_EQ(messageStatus(db_.path(), *id), 6u);
  EXPECT_TRUE(deleteMessage(db_.path(), *id));
  EXPECT_FALSE(deleteMessage(db_.path(), *id));
  EXPECT_FALSE(updateMessageStatus(db_.path(), *id, kStatusSeen, 0));
  EXPECT_FALSE(messageStatus(db_.path(), *id));
}

TEST_F(MessageStore, FingerprintChangesWithTheFolderOnly) {
  const std::optional<uint64_t> empty = folderFingerprint(db_.path(), "Inbox");
  ASSERT_TRUE(empty);
  std::optional<MessageId> id = addMessage(db_.path(), "Inbox", "x", 0);
  const std::optional<uint64_t> one = folderFingerprint(db_.path(), "Inbox");
  EXPECT_NE(one, empty);
  EXPECT_TRUE(markFolderIndexed(db_.path(), "Inbox", *one));
  EXPECT_EQ(folderFingerprint(db_.path(), "Inbox"), one) << "recording the index changes nothing";
  EXPECT_EQ(readFolderState(db_.path(), "Inbox")->indexed, *one);
  updateMessageStatus(db_.path(), *id, kStatusSeen, 0);
  EXPECT_NE(folderFingerprint(db_.path(), "Inbox"), one);
  EXPECT_FALSE(folderFingerprint(db_.path(), "Missing"));
}

TEST_F(MessageStore, OnlyWellNamedDirectoriesAndFilesCount) {
  CreateDirectoryA(path("Sent Items").c_str(), nullptr);
  CreateDirectoryA(path("Spool").c_str(), nullptr);  // the send spool is no folder
  CreateDirectoryA(path("Inbox\\sub.MSG").c_str(), nullptr);
  write("not a folder", "");
  write("Inbox\\00000001.MSG", "x");
  write("Inbox\\welcome.msg", "x");
  write("Inbox\\two words.MSG", "x");
  write("Inbox\\x.msgx", "x");
  write("Inbox\\notes.txt", "x");
  const std::vector<std::string> folders = listFolders(db_.path());
  EXPECT_EQ(folders, (std::vector<std::string>{"Archive", "Inbox", "Sent Items"}));
  EXPECT_EQ(names("Inbox"), (std::vector<std::string>{"00000001=0", "welcome=0"}));
  EXPECT_FALSE(listMessages(db_.path(), "Missing"));
  EXPECT_EQ(messagePath(db_.path(), MessageId{"..", "x", false}), "");
}

}  // namespace
}  // namespace qp::mailstore
