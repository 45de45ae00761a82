// Folder names and their directories, message ids, attachment references and the text
// of a folder's state file.
#include <gtest/gtest.h>

#include "host/mailstore/message_store.h"

namespace qp::mailstore {
namespace {

TEST(FolderNames, OnlyNamesThatStayOneDirectoryInsideTheMailDatabase) {
  struct Case {
    const char* name;
    bool valid;
  } cases[] = {
      {"Inbox", true},
      {"Sent Items", true},
      {"Project-2024_a", true},
      {"", false},
      {".", false},
      {"..", false},
      {"..\\x", false},
      {"a/b", false},
      {"C:", false},
      {"a*", false},
      {"a?", false},
      {"\"q\"", false},
      {"a<b", false},
      {"a|b", false},
      {"tab\there", false},
      {"sep\xFFhere", false},
      {" lead", false},
      {"trail ", false},
      {"dot.", false},
      {"CON", false},
      {"nul.txt", false},
      {"com1", false},
      {"LPT9.x", false},
      {"COM0", true},
      {"CONSOLE", true},
      {"a.b", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(isValidFolderName(c.name), c.valid);
    EXPECT_EQ(folderDirectory("C:\\mail\\jane", c.name).empty(), !c.valid);
  }
  EXPECT_FALSE(isValidFolderName(std::string(kMaxFolderName + 1, 'a')));
  EXPECT_TRUE(isValidFolderName(std::string(kMaxFolderName, 'a')));
}

TEST(FolderNames, DirectoryJoinsWithOneSeparatorAndDefaultsToInbox) {
  EXPECT_EQ(folderDirectory("C:\\mail\\jane", "Sent"), "C:\\mail\\jane\\Sent");
  EXPECT_EQ(folderDirectory("C:\\mail\\jane\\", "Sent"), "C:\\mail\\jane\\Sent");
  EXPECT_EQ(folderDirectory("", "Sent"), "");
  EXPECT_EQ(folderNameOrDefault(nullptr), kDefaultFolder);
  EXPECT_EQ(folderNameOrDefault(""), kDefaultFolder);
  EXPECT_EQ(folderNameOrDefault("Sent"), "Sent");
}

TEST(MessageIds, RoundTripAndRefuseWhatCouldLeaveTheFolder) {
  EXPECT_EQ(formatMessageId({"Inbox", "00000012", false}), "Inbox/00000012");
  EXPECT_EQ(formatMessageId({"Drafts", "00000001", true}), "DFT:Drafts/00000001");
  struct Case {
    const char* text;
    bool valid;
    const char* folder;
    const char* name;
    bool draft;
  } cases[] = {
      {"Inbox/00000012", true, "Inbox", "00000012", false},
      {"dft:Drafts/welcome", true, "Drafts", "welcome", true},
      {"Sent Items/a_b-c", true, "Sent Items", "a_b-c", false},
      {"Inbox", false, "", "", false},
      {"Inbox/", false, "", "", false},
      {"/00000001", false, "", "", false},
      {"../00000001", false, "", "", false},
      {"Inbox/../x", false, "", "", false},
      {"Inbox/a/b", false, "", "", false},
      {"Inbox/a.MSG", false, "", "", false},
      {"Inbox/CON", false, "", "", false},
      {"MULTI:1:Inbox/1", false, "", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<MessageId> id = parseMessageId(c.text);
    ASSERT_EQ(id.has_value(), c.valid);
    if (!id) continue;
    EXPECT_EQ(id->folder, c.folder);
    EXPECT_EQ(id->name, c.name);
    EXPECT_EQ(id->draft, c.draft);
  }
  EXPECT_FALSE(parseMessageId(nullptr));
}

TEST(MessageIds, NumberedNames) {
  EXPECT_EQ(numberedMessageName(12), "00000012");
  EXPECT_EQ(messageNumber("00000012"), 12u);
  EXPECT_FALSE(messageNumber("welcome"));
  EXPECT_FALSE(messageNumber("0000012"));
}

TEST(AttachmentRefs, ReadBackWithTheirTypeAndIgnoreWhatFollowsThePart) {
  const MessageId id{"Inbox", "00000003", true};
  const std::string ref = formatAttachmentRef("IMAP", id, 2, "report.pdf");
  EXPECT_EQ(ref, "IMAP:Inbox/00000003/2/report.pdf");
  struct Case {
    const char* text;
    bool valid;
    uint32_t part;
  } cases[] = {
      {"IMAP:Inbox/00000003/2/report.pdf", true, 2},
      {"imap:Inbox/00000003/2", true, 2},
      {"IMAP:DFT:Inbox/00000003/2/x", true, 2},
      {"IMAP:Inbox/00000003/2/report.pdf/report.pdf", true, 2},  // a name appended again
      {"POP3:Inbox/00000003/2/report.pdf", false, 0},
      {"IMAPX:Inbox/00000003/2", false, 0},
      {"IMAP:Inbox/00000003", false, 0},
      {"IMAP:Inbox/00000003/0", false, 0},
      {"IMAP:Inbox/00000003/x", false, 0},
      {"IMAP:../00000003/1", false, 0},
      {"IMAP", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<AttachmentRef> parsed = parseAttachmentRef(c.text, "IMAP");
    ASSERT_EQ(parsed.has_value(), c.valid);
    if (!parsed) continue;
    EXPECT_EQ(parsed->message.folder, "Inbox");
    EXPECT_EQ(parsed->message.name, "00000003");
    EXPECT_EQ(parsed->part, c.part);
  }
  EXPECT_FALSE(parseAttachmentRef(nullptr, "IMAP"));
  EXPECT_FALSE(parseAttachmentRef("IMAP:Inbox/1/1", ""));
}

TEST(FolderStateText, RoundTripsAndSkipsBrokenLines) {
  FolderState state;
  state.next = 17;
  state.indexed = 0x1234abcdULL;
  state.setStatus("00000003", kStatusSeen | kStatusAnswered);
  state.setStatus("welcome", kStatusFlagged | 0x100);  // unknown bits are dropped
  state.setStatus("gone", kStatusSeen);
  state.setStatus("GONE", 0);
  const FolderState back = parseFolderState(formatFolderState(state));
  EXPECT_EQ(back.next, 17u);
  EXPECT_EQ(back.indexed, 0x1234abcdULL);
  EXPECT_EQ(back.statusOf("00000003"), kStatusSeen | kStatusAnswered);
  EXPECT_EQ(back.statusOf("WELCOME"), kStatusFlagged);
  EXPECT_EQ(back.statusOf("gone"), 0u);
  EXPECT_EQ(back.status.size(), 2u);

  // A message may be called "next" without touching the counter.
  const FolderState odd = parseFolderState(
      "garbage\nnext=0\nindexed=zz\nstatus.next=0x4\nstatus.bad/name=1\nstatus.x=oops\n");
  EXPECT_EQ(odd.next, 1u);
  EXPECT_EQ(odd.indexed, 0u);
  EXPECT_EQ(odd.statusOf("next"), kStatusFlagged);
  EXPECT_EQ(odd.status.size(), 1u);
}

}  // namespace
}  // namespace qp::mailstore
