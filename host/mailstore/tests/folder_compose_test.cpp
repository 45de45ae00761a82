// A composed message with its attachments, as the sample store writes it into a folder:
// read back with the store's own RFC 822 reader, it gives the same header fields, text and
// attachment contents; the attachment names and the base64 lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/mailstore/message_compose.h"
#include "host/mailstore/rfc822.h"

namespace qp::mailstore {
namespace {

std::string allBytes() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  return bytes;
}

TEST(ComposeMessage, AttachmentsReadBackWithTheirNamesAndContents) {
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"plain text, CRLF", "From: a@x\r\nSubject: Report\r\n\r\nSee attached.\r\n"},
      {"LF line ends, no final line end", "From: a@x\nSubject: Report\n\nSee attached."},
      {"own content fields move to the first part",
       "From: a@x\r\nMIME-Version: 1.0\r\nContent-Type: text/plain;\r\n charset=us-ascii\r\n"
       "Subject: Report\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\nSee=20attached.\r\n"},
      {"body holds the first boundary", "Subject: Report\r\n\r\n--qpx-part\r\nSee attached.\r\n"},
  };
  const std::vector<AttachmentFile> files = {
      {"report.pdf", allBytes()}, {"empty.txt", ""}, {"a.bin", std::string(100, '\xFF')}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string stored = composeMessage(c.text, files);
    const ParsedMessage message = parseMessage(stored);
    EXPECT_EQ(headerValue(message, "Subject"), "Report");
    EXPECT_NE(message.text.find("See attached."), std::string::npos) << message.text;
    // A boundary-like line of the body stays text.
    EXPECT_EQ(message.text.find("qpx-part") != std::string::npos,
              c.text.find("qpx-part") != std::string::npos)
        << message.text;
    ASSERT_EQ(message.attachments.size(), files.size()) << stored;
    for (size_t i = 0; i < files.size(); ++i) {
      SCOPED_TRACE(files[i].name);
      EXPECT_EQ(message.attachments[i].fileName, files[i].name);
      EXPECT_EQ(decodeBody(message.attachments[i].raw, message.attachments[i].encoding),
                files[i].bytes);
    }
    // One MIME-Version and one top-level Content-Type: the text's own went to its part.
    size_t versions = 0, types = 0;
    for (const HeaderField& field : message.header) {
      versions += field.name == "MIME-Version";
      types += field.name == "Content-Type";
    }
    EXPECT_EQ(versions, 1u);
    EXPECT_EQ(types, 1u);
  }
}

TEST(ComposeMessage, WithoutAttachmentsTheTextIsStoredAsItIs) {
  const std::string text = "Subject: x\nContent-Type: text/html\n\n<p>hi</p>";
  EXPECT_EQ(composeMessage(text, {}), text);
}

TEST(AttachmentName, ComesFromTheNameEntryOrTheFilesOwnName) {
  struct Case {
    const char* path;
    const char* nameEntry;
    const char* expected;
  };
  const Case cases[] = {
      {"C:\\tmp\\qp123.tmp", "Report 2024.pdf", "Report 2024.pdf"},
      {"C:\\docs\\minutes.txt", nullptr, "minutes.txt"},
      {"C:\\docs\\minutes.txt", "", "minutes.txt"},
      {"Z:/a/b/photo.jpg", nullptr, "photo.jpg"},
      {"C:\\x", "say \"hi\".txt", "say _hi_.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(attachmentName(c.path, c.nameEntry), c.expected);
  }
}

TEST(EncodeBase64Lines, PadsAndBreaksLinesAtSeventySixCharacters) {
  struct Case {
    std::string bytes;
    std::string expected;
  };
  const Case cases[] = {
      {"", ""},
      {"f", "Zg==\r\n"},
      {"fo", "Zm8=\r\n"},
      {"foo", "Zm9v\r\n"},
      {std::string(57, '\0'), std::string(76, 'A') + "\r\n"},
      {std::string(58, '\0'), std::string(76, 'A') + "\r\nAA==\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.size());
    EXPECT_EQ(encodeBase64Lines(c.bytes), c.expected);
  }
}

}  // namespace
}  // namespace qp::mailstore
