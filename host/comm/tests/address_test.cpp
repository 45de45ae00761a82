// Address forms: bare address and full name of every form the components pass, quoting
// of full names and the typed-address round trip, and the list splitters.
#include "host/comm/address.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace qpcomm;
using Strings = std::vector<std::string>;

// A heap copy of exactly the text's bytes and its terminator, so that ASan reports any
// read past the end.
std::unique_ptr<char[]> exactCopy(const std::string& text) {
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  return copy;
}

std::string bareOf(const std::string& address) {
  char out[500];
  std::memset(out, '#', sizeof out);
  stripFullName(exactCopy(address).get(), out, sizeof out);
  return out;
}

std::string nameOf(const std::string& address) {
  char out[500];
  std::memset(out, '#', sizeof out);
  parseFullNameFromAddress(exactCopy(address).get(), out, sizeof out);
  return out;
}

TEST(AddressForms, BareAddressAndFullName) {
  struct Case {
    const char* address;
    const char* bare;
    const char* name;
  } const cases[] = {
      {"Full Name <box@host>", "box@host", "Full Name"},
      {"\"Doe, Jane\" <jane@x.org>", "jane@x.org", "Doe, Jane"},
      {"jane@x.org (Jane Doe)", "jane@x.org", "Jane Doe"},
      {"jane@x.org", "jane@x.org", "jane@x.org"},
      {"<box@host>", "box@host", "box@host"},
      {"  box@host \t", "box@host", "box@host"},
      // Typed addresses of the multi-session library: the prefix belongs to the address.
      {"IMAP:box@host", "IMAP:box@host", "IMAP:box@host"},
      {"Jane <IMAP:box@host>", "IMAP:box@host", "Jane"},
      {"\"Doe, Jane\" <IMAP:jane@x.org>", "IMAP:jane@x.org", "Doe, Jane"},
      {"<IMAP:box@host>", "IMAP:box@host", "IMAP:box@host"},
      // Specials inside quotes and comments do not count.
      {"\"Jane <old@x>\" <new@y>", "new@y", "Jane <old@x>"},
      {"\"a \\\"b\\\" c\\\\\" <x@y>", "x@y", "a \"b\" c\\"},
      {"Jane (a<b) <x@y>", "x@y", "Jane (a<b)"},
      {"jane@x.org (Jane (JD) Doe)", "jane@x.org", "Jane (JD) Doe"},
      {"<x@y> (Jane)", "x@y", "Jane"},
      {"\"\" <x@y>", "x@y", "x@y"},
      // Empty, blank and unbalanced texts.
      {"", "", ""},
      {"  \t ", "", ""},
      {"Jane <", "", "Jane"},
      {"Jane <box@host", "box@host", "Jane"},
      {"\"Jane <box@host>", "\"Jane <box@host>", "\"Jane <box@host>"},
      {"\"Jane\\", "\"Jane\\", "\"Jane\\"},
      {"jane@x.org (Jane", "jane@x.org", "Jane"},
      {"x@y (a\\", "x@y", "a\\"},
      {"Jane <\"x", "\"x", "Jane"},
      {"Jane <\"x\\", "\"x\\", "Jane"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_EQ(c.bare, bareOf(c.address));
    EXPECT_EQ(c.name, nameOf(c.address));
  }
}

TEST(AddressForms, OutputIsCutAtTheBuffer) {
  struct Case {
    size_t size;
    const char* bare;
    const char* name;
  } const cases[] = {
      {0, "", ""}, {1, "", ""}, {5, "IMAP", "Doe,"}, {100, "IMAP:box@host", "Doe, Jane"},
  };
  const char* address = "\"Doe, Jane\" <IMAP:box@host>";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    char out[128];
    std::memset(out, '#', sizeof out);
    stripFullName(address, out, c.size);
    if (c.size > 0) {
      EXPECT_STREQ(c.bare, out);
    }
    for (size_t i = c.size; i < sizeof out; ++i) ASSERT_EQ('#', out[i]) << "written at " << i;

    std::memset(out, '#', sizeof out);
    parseFullNameFromAddress(address, out, c.size);
    if (c.size > 0) {
      EXPECT_STREQ(c.name, out);
    }
    for (size_t i = c.size; i < sizeof out; ++i) ASSERT_EQ('#', out[i]) << "written at " << i;
  }
  char out[8] = "poison";
  stripFullName(nullptr, out, sizeof out);
  EXPECT_STREQ("", out);
}

TEST(EncodeFullName, QuotesOnlyWhatNeedsIt) {
  struct Case {
    const char* text;
    size_t size;
    bool ok;
    const char* expected;
  } const cases[] = {
      {"Jane Doe", 50, true, "Jane Doe"},
      // Bare addresses, typed ones and domain literals included, pass unchanged.
      {"box@host.org", 50, true, "box@host.org"},
      {"SMTP:box@host", 50, true, "SMTP:box@host"},
      {"box@[10.0.0.1]", 50, true, "box@[10.0.0.1]"},
      {"a,b@x", 50, true, "\"a,b@x\""},
      {"Doe: jane@x", 50, true, "\"Doe: jane@x\""},
      {"", 50, true, ""},
      {"Doe, Jane", 50, true, "\"Doe, Jane\""},
      {"IMAP:Jane", 50, true, "\"IMAP:Jane\""},
      {"a;b", 50, true, "\"a;b\""},
      {"Jane <x>", 50, true, "\"Jane <x>\""},
      {"Jane (x)", 50, true, "\"Jane (x)\""},
      {"a\"b", 50, true, "\"a\\\"b\""},
      {"a\\b", 50, true, "\"a\\\\b\""},
      {"\"Doe, Jane\"", 50, true, "\"Doe, Jane\""},  // already quoted
      {"\"a\\\"b\"", 50, true, "\"a\\\"b\""},        // already quoted, with an escape
      {"\"Doe\" Jane", 50, true, "\"\\\"Doe\\\" Jane\""},
      {"\"open", 50, true, "\"\\\"open\""},
      {"\"a\\\"", 50, true, "\"\\\"a\\\\\\\"\""},  // the final quote is escaped: not quoted
      {"a,b", 6, true, "\"a,b\""},                 // exactly fits
      {"a,b", 5, false, "a,b"},                    // one byte short: unchanged
      {"a\"b", 6, false, "a\"b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " in " << c.size);
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    std::strcpy(buffer, c.text);
    EXPECT_EQ(c.ok, encodeFullName(buffer, c.size));
    EXPECT_STREQ(c.expected, buffer);
    for (size_t i = c.size; i < sizeof buffer; ++i) ASSERT_EQ('#', buffer[i]) << "written at " << i;
  }
}

// The multi-session library types an address as "%s <%s%s>" from the encoded full name,
// the type prefix and the bare address, and later splits it again.
TEST(EncodeFullName, TypedAddressRoundTrip) {
  const char* names[] = {
      "Jane Doe",    "Doe, Jane", "IMAP:Jane",  "Jane \"JJ\" Doe", "back\\slash", "<angle>",
      "(open",       "close)",    "semi;colon", "trailing\\",     "\"half",      "a@b.c x",
      "[brackets]",  "x\\\"y",    "M\xFCller, J\xF6rg", "IMAP:jane@x.org", "Doe: jane@x",
  };
  for (const char* name : names) {
    SCOPED_TRACE(name);
    char encoded[252];
    std::strcpy(encoded, name);
    ASSERT_TRUE(encodeFullName(encoded, sizeof encoded));
    const std::string typed = std::string(encoded) + " <IMAP:box@host>";
    EXPECT_EQ(name, nameOf(typed)) << typed;
    EXPECT_EQ("IMAP:box@host", bareOf(typed)) << typed;
  }
}

TEST(SplitAddressList, SeparatorsOutsideQuotesBracketsAndComments) {
  struct Case {
    const char* text;
    Strings expected;
  } const cases[] = {
      {"a@x, b@y; c@z", {"a@x", "b@y", "c@z"}},
      {"\"Doe, Jane\" <j@x>, b@y", {"\"Doe, Jane\" <j@x>", "b@y"}},
      {"j@x (Doe; Jane), b@y", {"j@x (Doe; Jane)", "b@y"}},
      {"Jane <IMAP:j@x,y>; b@y", {"Jane <IMAP:j@x,y>", "b@y"}},
      {"\"a\\\",b\" <x@y>,c@z", {"\"a\\\",b\" <x@y>", "c@z"}},
      {" , ;a@x,, \r\n", {"a@x"}},
      {"", {}},
      {"  ", {}},
      {"\"unbalanced, a@x", {"\"unbalanced, a@x"}},
      {"<a@x, b@y", {"<a@x, b@y"}},
      {"(a@x, b@y", {"(a@x, b@y"}},
      {"a@x,\\", {"a@x", "\\"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.expected, splitAddressList(exactCopy(c.text).get(), 50000));
  }
  EXPECT_EQ(Strings{}, splitAddressList(nullptr, 50000));
}

TEST(SplitAddressList, StopsAtTheEntryLimit) {
  std::string text;
  for (int i = 0; i < 50010; ++i) text += "user" + std::to_string(i) + "@x.org, ";
  Strings entries = splitAddressList(text.c_str(), 50000);
  ASSERT_EQ(50000u, entries.size());
  EXPECT_EQ("user0@x.org", entries.front());
  EXPECT_EQ("user49999@x.org", entries.back());

  EXPECT_EQ(Strings{"a@x"}, splitAddressList("a@x, b@y", 1));
  EXPECT_EQ(Strings{}, splitAddressList("a@x", 0));
}

TEST(SplitAttachmentList, SemicolonsAndLineEnds) {
  struct Case {
    const char* text;
    Strings expected;
  } const cases[] = {
      {"a.txt;b.doc\r\nc.pdf\nd, e.txt", {"a.txt", "b.doc", "c.pdf", "d, e.txt"}},
      {"C:\\My Files\\report 1.doc", {"C:\\My Files\\report 1.doc"}},
      {" a.txt ; ;\r\n\r\n b.txt\t", {"a.txt", "b.txt"}},
      {"", {}},
      {";;\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.expected, splitAttachmentList(exactCopy(c.text).get(), 200));
  }

  std::string many;
  for (int i = 0; i < 205; ++i) many += "f" + std::to_string(i) + ".txt;";
  Strings entries = splitAttachmentList(many.c_str(), 200);
  ASSERT_EQ(200u, entries.size());
  EXPECT_EQ("f199.txt", entries.back());
}

TEST(SplitLines, LineEndsAndEmptyLines) {
  struct Case {
    const char* text;
    Strings expected;
  } const cases[] = {
      {"a\r\nb\nc", {"a", "b", "c"}},
      {"a\r\n", {"a"}},
      {"a\r\n\r\nb\n", {"a", "", "b"}},
      {"\n\n", {"", ""}},
      {"\r\n", {""}},
      {"  a  \r\n\tb ", {"  a  ", "\tb "}},
      {"x\ry\n", {"x\ry"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.expected, splitLines(exactCopy(c.text).get(), 20000));
  }
  EXPECT_EQ(Strings{}, splitLines(nullptr, 20000));

  std::string text;
  for (int i = 0; i < 20005; ++i) text += std::to_string(i) + "\r\n";
  Strings lines = splitLines(text.c_str(), 20000);
  ASSERT_EQ(20000u, lines.size());
  EXPECT_EQ("19999", lines.back());
}

}  // namespace
