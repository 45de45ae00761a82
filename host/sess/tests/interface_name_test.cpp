// Interface names: which names are accepted, and the library file names they give.
#include "host/sess/interface_name.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(InterfaceName, AcceptsOnlyShortNamesOfLettersDigitsUnderscoreAndDash) {
  struct Case {
    const char* name;
    const char* library;  // null: refused
  };
  const std::string longest(40, 'x');
  const std::string tooLong(41, 'x');
  const std::string longestLibrary = "QPX" + std::string(40, 'X') + ".DLL";
  const Case cases[] = {
      {"pop3", "QPXPOP3.DLL"},
      {"Multi", "QPXMULTI.DLL"},
      {"my_store-2", "QPXMY_STORE-2.DLL"},
      {longest.c_str(), longestLibrary.c_str()},
      {tooLong.c_str(), nullptr},
      {"", nullptr},
      {nullptr, nullptr},
      {"..\\pop3", nullptr},
      {"pop3\\..", nullptr},
      {"../pop3", nullptr},
      {"c:pop3", nullptr},
      {"pop3.dll", nullptr},
      {"po p3", nullptr},
      {"pop3\n", nullptr},
      {"\xC4pop", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name ? c.name : "(null)");
    char out[64];
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(qp::sess::isValidInterfaceName(c.name), c.library != nullptr);
    EXPECT_EQ(qp::sess::interfaceLibraryName(c.name, out, sizeof out), c.library != nullptr);
    EXPECT_STREQ(out, c.library ? c.library : "");
  }
}

TEST(InterfaceName, RefusesAnOutputBufferThatIsTooSmall) {
  char out[12];  // "QPXPOP3.DLL" needs 12 bytes, "QPXIMAP4.DLL" 13
  std::memset(out, 'Z', sizeof out);
  EXPECT_TRUE(qp::sess::interfaceLibraryName("pop3", out, sizeof out));
  EXPECT_STREQ(out, "QPXPOP3.DLL");
  EXPECT_FALSE(qp::sess::interfaceLibraryName("imap4", out, sizeof out));
  EXPECT_STREQ(out, "");

  char upper[4];
  EXPECT_FALSE(qp::sess::upperInterfaceName("pop3", upper, sizeof upper));
  EXPECT_STREQ(upper, "");
  EXPECT_TRUE(qp::sess::upperInterfaceName("smt", upper, sizeof upper));
  EXPECT_STREQ(upper, "SMT");
}
