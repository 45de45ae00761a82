// Reading stored messages (header fields, MIME attachments, transfer encodings) and what
// the lists show of them (index texts, header search).
#include "host/mailstore/rfc822.h"

#include <gtest/gtest.h>

#include "host/mailstore/message_store.h"
#include "host/mailstore/message_view.h"

namespace qp::mailstore {
namespace {

const char kMixed[] =
    "From: \"Doe, Jane\" <jane@example.com>\r\n"
    "To: bob@example.com,\r\n"
    "\tcarol@example.com\r\n"
    "Subject: Quarterly\r\n"
    " report\r\n"
    "Date: Fri, 5 Jan 2024 12:00:00 +0000\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"outer\"\r\n"
    "\r\n"
    "preamble\r\n"
    "--outer\r\n"
    "Content-Type: multipart/alternative; boundary=inner\r\n"
    "\r\n"
    "--inner\r\n"
    "Content-Type: text/plain; charset=us-ascii\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n"
    "\r\n"
    "Caf=E9 at noon,=\r\n"
    " see attached.\r\n"
    "--inner\r\n"
    "Content-Type: text/html\r\n"
    "\r\n"
    "<p>html</p>\r\n"
    "--inner--\r\n"
    "--outer\r\n"
    "Content-Type: application/pdf; name=\"old-name.pdf\"\r\n"
    "Content-Disposition: attachment; filename=\"report; Q1.pdf\"\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "SGVsbG8s\r\n"
    "IHdvcmxkIQ==\r\n"
    "--outer\r\n"
    "Content-Type: text/plain; name=notes.txt\r\n"
    "\r\n"
    "line one\r\n"
    "--outer\r\n"
    "Content-Type: image/png\r\n"
    "Content-Disposition: inline\r\n"
    "\r\n"
    "PNG\r\n"
    "--outer--\r\n"
    "epilogue\r\n";

TEST(Rfc822, HeaderFieldsAreUnfoldedAndFoundWithoutRegardToCase) {
  const ParsedMessage message = parseMessage(kMixed);
  EXPECT_EQ(headerValue(message, "subject"), "Quarterly report");
  EXPECT_EQ(headerValue(message, "TO"), "bob@example.com,\tcarol@example.com");
  EXPECT_EQ(headerValue(message, "From"), "\"Doe, Jane\" <jane@example.com>");
  EXPECT_EQ(headerValue(message, "X-Missing"), "");
}

TEST(Rfc822, NestedMultipartGivesTheFirstPlainTextAndEveryAttachment) {
  const ParsedMessage message = parseMessage(kMixed);
  EXPECT_EQ(message.text, "Caf\xE9 at noon, see attached.");
  ASSERT_EQ(message.attachments.size(), 3u);
  EXPECT_EQ(message.attachments[0].fileName, "report; Q1.pdf");  // disposition wins over name
  EXPECT_EQ(message.attachments[0].contentType, "application/pdf");
  EXPECT_EQ(decodeBody(message.attachments[0].raw, message.attachments[0].encoding),
            "Hello, world!");
  EXPECT_EQ(message.attachments[1].fileName, "notes.txt");  // a named text part is an attachment
  EXPECT_EQ(decodeBody(message.attachments[1].raw, message.attachments[1].encoding), "line one");
  EXPECT_EQ(message.attachments[2].fileName, "attachment3.dat");  // unnamed, not text
}

TEST(Rfc822, PlainAndOddMessages) {
  struct Case {
    const char* text;
    const char* subject;
    const char* body;
    size_t attachments;
  } cases[] = {
      {"Subject: hi\nFrom: a@b\n\nbody\nline 2\n", "hi", "body\nline 2\n", 0},
      {"Subject: only header\r\n", "only header", "", 0},
      {"", "", "", 0},
      {"\r\nno header at all", "", "no header at all", 0},
      // A boundary that never appears: the one part runs to the end.
      {"Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nx\n", "",
       "x\n", 0},
      // No boundary parameter: the body is opaque, not text.
      {"Content-Type: multipart/mixed\n\n--b\n", "", "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ParsedMessage message = parseMessage(c.text);
    EXPECT_EQ(headerValue(message, "Subject"), c.subject);
    EXPECT_EQ(message.text, c.body);
    EXPECT_EQ(message.attachments.size(), c.attachments);
  }
}

TEST(Rfc822, DeepNestingStopsAtTheLimit) {
  std::string text;
  for (int i = 0; i < 50; ++i)
    text += "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\n\n--b" +
            std::to_string(i) + "\n";
  text += "\nx\n";
  const ParsedMessage message = parseMessage(text);
  EXPECT_EQ(message.attachments.size(), 1u);  // the part beyond the limit is opaque
}

TEST(Rfc822, TransferEncodings) {
  struct Case {
    const char* body;
    const char* encoding;
    std::string decoded;
  } cases[] = {
      {"SGk=", "base64", "Hi"},
      {"SGVs\r\nbG8", "BASE64", "Hello"},
      {"S*G!k", "base64", "Hi"},  // stray characters are skipped
      {"a=3Db=\r\nc", "quoted-printable", "a=bc"},
      {"50=25 =ZZ end=", "quoted-printable", "50% =ZZ end="},
      {"as is=41", "7bit", "as is=41"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(decodeBody(c.body, c.encoding), c.decoded);
  }
}

TEST(Rfc822, SafeFileNamesStayOneComponentAndKeepTheirExtension) {
  struct Case {
    const char* name;
    size_t max;
    const char* safe;
  } cases[] = {
      {"report.pdf", 80, "report.pdf"}, {"..\\..\\evil.exe", 80, "_.._evil.exe"},
      {"a:b*c?.txt", 80, "a_b_c_.txt"}, {" . ", 80, "attachment"},
      {"", 80, "attachment"},           {"averyveryverylongname.pdf", 12, "averyver.pdf"},
      {"noextensionatall", 5, "noext"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string safe = safeFileName(c.name, c.max);
    EXPECT_EQ(safe, c.safe);
    EXPECT_LE(safe.size(), c.max);
  }
  EXPECT_EQ(fileExtension("C:\\tmp.d\\report.PDF"), "PDF");
  EXPECT_EQ(fileExtension("C:\\tmp.d\\report"), "");
}

TEST(MessageView, IndexTextShowsStatusSenderSubjectAndDateWithoutSeparators) {
  const ParsedMessage message = parseMessage(kMixed);
  EXPECT_EQ(indexText(message, 0),
            "N... Doe, Jane | Quarterly report | Fri, 5 Jan 2024 12:00:00 +0000");
  EXPECT_EQ(indexText(message, kStatusSeen | kStatusAnswered | kStatusFlagged | kStatusDraft)
                .substr(0, 5),
            ".AFD ");
  const ParsedMessage odd = parseMessage(
      "From: bob@example.com\nSubject: a\xFF"
      "b\tc\n\n");
  EXPECT_EQ(indexText(odd, kStatusSeen), ".... bob@example.com | a?b c | ");
}

TEST(MessageView, SearchLooksOnlyInTheChosenFields) {
  const ParsedMessage message = parseMessage(kMixed);
  struct Case {
    const char* needle;
    uint32_t fields;
    bool found;
  } cases[] = {
      {"JANE@", 0, true},
      {"carol", 0, true},
      {"quarterly", 0, true},
      {"noon", 0, false},
      {"noon", kSearchText, true},
      {"carol", kSearchFrom, false},
      {"carol", kSearchRecipients, true},
      {"Jan 2024", 0, false},
      {"", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.needle);
    EXPECT_EQ(matchesSearch(message, c.needle, c.fields), c.found);
  }
}

}  // namespace
}  // namespace qp::mailstore
