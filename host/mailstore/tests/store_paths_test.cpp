// Paths inside the mail database directory, and the interface type of a library file.
#include "host/mailstore/store_paths.h"

#include <gtest/gtest.h>

TEST(StorePaths, JoinsWithExactlyOneSeparator) {
  using qp::mailstore::joinPath;
  EXPECT_EQ(joinPath("C:\\mail", "JOURNAL.LOG"), "C:\\mail\\JOURNAL.LOG");
  EXPECT_EQ(joinPath("C:\\mail\\", "JOURNAL.LOG"), "C:\\mail\\JOURNAL.LOG");
  EXPECT_EQ(joinPath("Z:/tmp/", "ACCOUNT.INI"), "Z:/tmp/ACCOUNT.INI");
  EXPECT_EQ(joinPath("", "ACCOUNT.INI"), "");  // never a file of the current directory
}

TEST(StorePaths, InterfaceTypeComesFromTheLibraryFileName) {
  struct Case {
    const char* path;
    const char* type;
  };
  const Case cases[] = {
      {"C:\\server\\QPXPOP3.DLL", "POP3"},
      {"Z:/work/bin/qpximap.dll", "IMAP"},
      {"QPXSMTP.DLL", "SMTP"},
      {"C:\\a.b\\QPXSMTP", "SMTP"},
      {"C:\\server\\STORE.DLL", "STORE"},
      {"C:\\server\\QPX.DLL", "QPX"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(qp::mailstore::interfaceTypeFromModulePath(c.path), c.type);
  }
}
