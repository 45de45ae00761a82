// The export tables the mail server, the installer and callers bind to: every export of
// QPXMULTI.DLL, QPXRAS.DLL and TRN32CHK.DLL is found by its ordinal and by its name, both
// giving the same function, and each module-definition file lists exactly these exports.
// (The 32-bit DLLs' own tables are compared with the .def files by the export checks.)
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/win/unique.h"

namespace {

struct Library {
  const char* file;
  const char* def;  // path of its module-definition file
  std::vector<const char*> names;  // in ordinal order from 1
};

// The published order of QPXMULTI's exports (1 is the library entry point).
const Library kLibraries[] = {
    {"QPXMULTI.DLL", QP_SOURCE_DIR "/multi/qpxmulti.def",
     {"DllEntryPoint", "QPIAuthenticateUser", "QPIInitUser", "QPICleanUpAfterUser",
      "QPIClientConfigure", "QPICheckInterfaceStatus", "QPIBuildMailMessageIndex",
      "QPIBuildFolderList", "QPIGetFullName", "QPIGetFullAddress", "QPILoadMailMessage",
      "QPICompareAddress", "QPIUpdateMailMessageStatus", "QPIDeleteMailMessage",
      "QPICheckMessageIndexUpdated", "QPIQualifyAttachmentName", "QPISendMailMessage",
      "QPIGetMessageSignature", "QPIUpdateMessageSignature", "QPIAddMailMessageToFolder",
      "QPIGetMailMessageFolderInfo", "QPIFileMailMessageToFolder", "QPICreateMailFolder",
      "QPIRenameMailFolder", "QPIDeleteMailFolder", "QPIBuildAddressBookList",
      "QPIBuildAvailableRecipsList", "QPIDoMessageSearchFolder", "QPIForcePollForNewMail",
      "QPIGetDefaultAddressBook", "QPIQueryCapabilities", "QPISearchAddressBooks",
      "QPIOpenRFC822MessageFile", "QPIGetPersonalDList", "QPISavePersonalDList",
      "QPIGetPersonalAddressBookEntry", "QPISavePersonalAddressBookEntry",
      "QPIDeletePersonalDList", "QPIDeletePersonalAddressBookEntry", "QPIGetPublicDList",
      "QPIGetPublicAddressBookEntry", "QPIBuildListOfPersonalDLists",
      "QPIBuildListOfPublicDLists", "QPIBuildPersonalAddressBookList",
      "QPIValidateMessageRecipients", "QPIDoesFolderHaveNewMail", "QPIGetRulesDir",
      "QPISetFolderNewMailStatus", "QPIQueryLoginPrompt"}},
    {"QPXRAS.DLL", QP_SOURCE_DIR "/dialup/qpxras.def",
     {"DllEntryPoint", "StartDialUpNetworking", "TestDialUpNetworking"}},
    {"TRN32CHK.DLL", QP_SOURCE_DIR "/clientcheck/trn32chk.def", {"CheckTrn32Running"}},
};

// "Name @N" and "Name = Internal @N" lines of a .def file, by ordinal.
std::map<int, std::string> defExports(const char* path) {
  std::map<int, std::string> exports;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string name, word;
    if (!(words >> name) || name[0] == ';' || name == "LIBRARY" || name == "EXPORTS") continue;
    while (words >> word) {
      if (word.size() > 1 && word[0] == '@') exports[std::stoi(word.substr(1))] = name;
    }
  }
  return exports;
}

TEST(ExportTables, EveryExportIsFoundByOrdinalAndNameAsPublished) {
  for (const Library& library : kLibraries) {
    SCOPED_TRACE(library.file);
    std::map<int, std::string> expected;
    for (size_t i = 0; i < library.names.size(); ++i) expected[static_cast<int>(i + 1)] = library.names[i];
    EXPECT_EQ(expected, defExports(library.def)) << library.def;

    // Loaded the way a host loads it: its entry point runs, nothing else.
    qp::UniqueModule module(::LoadLibraryA(library.file));
    ASSERT_TRUE(module) << "error " << ::GetLastError();
    for (size_t i = 0; i < library.names.size(); ++i) {
      const WORD ordinal = static_cast<WORD>(i + 1);
      SCOPED_TRACE(library.names[i]);
      FARPROC byOrdinal = ::GetProcAddress(module.get(), MAKEINTRESOURCEA(ordinal));
      FARPROC byName = ::GetProcAddress(module.get(), library.names[i]);
      EXPECT_NE(nullptr, byOrdinal) << "ordinal " << ordinal;
      EXPECT_EQ(byOrdinal, byName) << "ordinal " << ordinal;
    }
    // Nothing beyond the published ordinals.
    EXPECT_EQ(nullptr, ::GetProcAddress(module.get(), MAKEINTRESOURCEA(library.names.size() + 1)));
  }
}

}  // namespace
