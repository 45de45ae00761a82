// The sample library's own settings file: which keys of which section count, the
// defaults, and where the file lies beside the library.
#include "host/mailstore/library_settings.h"

#include <gtest/gtest.h>

using qp::mailstore::LibrarySettings;
using qp::mailstore::parseLibrarySettings;

TEST(LibrarySettings, DescriptionAndCapabilitiesComeFromTheInterfaceSection) {
  struct Case {
    const char* name;
    const char* text;
    const char* description;
    uint32_t capabilities;
  };
  const Case cases[] = {
      {"no file", "", "Sample mail store (POP3)", 0xC00},
      {"both keys", "[Interface]\r\nDescription=Test store\r\nCapabilities=0x800\r\n", "Test store",
       0x800},
      {"empty description stays empty", "[interface]\nDescription=\n", "", 0xC00},
      {"names without case, blanks dropped", "[ INTERFACE ]\n  description =  Spaced  \n", "Spaced",
       0xC00},
      {"first occurrence wins", "[Interface]\nCapabilities=1024\nCapabilities=0\n",
       "Sample mail store (POP3)", 1024},
      {"malformed number gives the default", "[Interface]\nCapabilities=0xZZ\n",
       "Sample mail store (POP3)", 0xC00},
      {"other sections and comments ignored",
       "[Account]\nDescription=wrong\n[Interface]\n; Description=comment\n# Capabilities=1\n",
       "Sample mail store (POP3)", 0xC00},
      {"byte order mark", "\xEF\xBB\xBF[Interface]\nCapabilities=0\n", "Sample mail store (POP3)",
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LibrarySettings settings = parseLibrarySettings(c.text, "POP3");
    EXPECT_EQ(settings.description, c.description);
    EXPECT_EQ(settings.capabilities, c.capabilities);
  }
}

TEST(LibrarySettings, TheFileLiesBesideTheLibrary) {
  EXPECT_EQ(qp::mailstore::librarySettingsPath("C:\\srv\\QPXPOP3.DLL"), "C:\\srv\\QPXPOP3.INI");
  EXPECT_EQ(qp::mailstore::librarySettingsPath("C:\\srv.d\\QPXPOP3"), "C:\\srv.d\\QPXPOP3.INI");
  EXPECT_EQ(qp::mailstore::librarySettingsPath("qpximap.dll"), "qpximap.INI");
}
