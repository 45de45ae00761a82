// QPHOST's host commands for the folders of a logged-in host session: the merged folder
// list, folder information, create/rename/delete, new-mail state, the rules directory,
// and adding or filing a message into a folder, each through QPXMULTI's export.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/qphost/commands.h"
#include "host/qphost/host_script.h"
#include "hostapi/qpxcomm.h"
#include "multi/folder_exports.h"

namespace qphost {

namespace {

// The host's lists have room for this many entries, as the sample mail store expects.
constexpr size_t kListCapacity = 10000;
constexpr size_t kMaxAttachments = 200;

// A folder list owned by the host: entries from QPmalloc, freed when it goes.
struct HostList {
  std::vector<char*> entries = std::vector<char*>(kListCapacity + 1, nullptr);
  int32_t count = 0;
  // Copies `texts` into the first entries; false when memory ran out.
  bool fill(const std::vector<std::string>& texts) {
    for (size_t i = 0; i < texts.size() && i < kListCapacity; ++i) {
      entries[i] = static_cast<char*>(QPmalloc(static_cast<uint32_t>(texts[i].size() + 1)));
      if (entries[i] == nullptr) return false;
      texts[i].copy(entries[i], texts[i].size());  // the block is zero-filled: terminated
    }
    return true;
  }
  ~HostList() {
    for (char* entry : entries) QPfree(entry);
  }
};

int cmdFolders(Script& s, const Args& a) {
  const auto build = boundExport<decltype(&QPIBuildFolderList)>(s, "QPIBuildFolderList");
  if (build == nullptr) return kExitFailed;
  int32_t value = 0;
  if (!numberArg(a, 1, 0, value, "folders")) return kExitUsage;
  HostList list;
  const int32_t result =
      build(s.host.session(), hostUser(s), list.entries.data(), &list.count, value, 0, 0);
  std::printf("QPIBuildFolderList: %ld (%ld folder%s)\n", static_cast<long>(result),
              static_cast<long>(list.count), list.count == 1 ? "" : "s");
  for (int32_t i = 0; i < list.count && static_cast<size_t>(i) < kListCapacity; ++i)
    std::printf("  %3ld  %s\n", static_cast<long>(i),
                list.entries[i] ? shown(list.entries[i]).c_str() : "(null)");
  return kExitOk;
}

int cmdFolder(Script& s, const Args& a) {
  const auto info = boundExport<decltype(&QPIGetMailMessageFolderInfo)>(s, "QPIGetMailMessageFolderInfo");
  if (info == nullptr) return kExitFailed;
  int32_t count = 0;
  char text[QP_TEXT_LARGE] = "";
  const int32_t result = info(s.host.session(), hostUser(s), a[1].c_str(), &count, text);
  std::printf("QPIGetMailMessageFolderInfo %s: %ld, count %ld, %s\n", shown(a[1].c_str()).c_str(),
              static_cast<long>(result), static_cast<long>(count), shown(text).c_str());
  return kExitOk;
}

int cmdMakeFolder(Script& s, const Args& a) {
  const auto create = boundExport<decltype(&QPICreateMailFolder)>(s, "QPICreateMailFolder");
  if (create == nullptr) return kExitFailed;
  char info[QP_TEXT_LARGE] = "";
  std::printf("QPICreateMailFolder %s: %ld\n", shown(a[1].c_str()).c_str(),
              static_cast<long>(create(s.host.session(), hostUser(s), a[1].c_str(), info)));
  return kExitOk;
}

int cmdRename(Script& s, const Args& a) {
  const auto rename = boundExport<decltype(&QPIRenameMailFolder)>(s, "QPIRenameMailFolder");
  if (rename == nullptr) return kExitFailed;
  // The sample mail store reads the old and the new name; the third value is passed on.
  const int32_t result = rename(s.host.session(), hostUser(s), reinterpret_cast<intptr_t>(a[1].c_str()),
                                reinterpret_cast<intptr_t>(a[2].c_str()), 0);
  std::printf("QPIRenameMailFolder %s -> %s: %ld\n", shown(a[1].c_str()).c_str(),
              shown(a[2].c_str()).c_str(), static_cast<long>(result));
  return kExitOk;
}

int cmdRemoveFolder(Script& s, const Args& a) {
  const auto remove = boundExport<decltype(&QPIDeleteMailFolder)>(s, "QPIDeleteMailFolder");
  if (remove == nullptr) return kExitFailed;
  std::printf("QPIDeleteMailFolder %s: %ld\n", shown(a[1].c_str()).c_str(),
              static_cast<long>(remove(s.host.session(), hostUser(s), a[1].c_str())));
  return kExitOk;
}

// newmail [FOLDER [on|off]]: without FOLDER the folder name is null.
int cmdNewMail(Script& s, const Args& a) {
  const char* folder = a.size() > 1 ? a[1].c_str() : nullptr;
  const std::string named = folder ? shown(folder) : "(no folder)";
  if (a.size() > 2) {
    if (a[2] != "on" && a[2] != "off")
      return usageError("newmail: say on or off, not '%s'", a[2].c_str());
    const auto set = boundExport<decltype(&QPISetFolderNewMailStatus)>(s, "QPISetFolderNewMailStatus");
    if (set == nullptr) return kExitFailed;
    const int32_t state = a[2] == "on" ? 1 : 0;
    std::printf("QPISetFolderNewMailStatus %s %s: %ld\n", named.c_str(), a[2].c_str(),
                static_cast<long>(set(s.host.session(), hostUser(s), folder, state)));
    return kExitOk;
  }
  const auto has = boundExport<decltype(&QPIDoesFolderHaveNewMail)>(s, "QPIDoesFolderHaveNewMail");
  if (has == nullptr) return kExitFailed;
  std::printf("QPIDoesFolderHaveNewMail %s: %ld\n", named.c_str(),
              static_cast<long>(has(s.host.session(), hostUser(s), folder)));
  return kExitOk;
}

int cmdRules(Script& s, const Args&) {
  const auto rules = boundExport<decltype(&QPIGetRulesDir)>(s, "QPIGetRulesDir");
  if (rules == nullptr) return kExitFailed;
  char directory[MAX_PATH] = "";
  const int32_t result = rules(s.host.session(), hostUser(s), directory);
  std::printf("QPIGetRulesDir: %ld %s\n", static_cast<long>(result), shown(directory).c_str());
  return kExitOk;
}

// move ID FOLDER | copy ID FOLDER: the sample mail store keeps the original when the
// third argument is nonzero.
int cmdFile(Script& s, const Args& a) {
  const auto file = boundExport<decltype(&QPIFileMailMessageToFolder)>(s, "QPIFileMailMessageToFolder");
  if (file == nullptr) return kExitFailed;
  const bool copy = a[0] == "copy";
  const int32_t result =
      file(s.host.session(), hostUser(s), copy ? 1 : 0, a[1].c_str(), a[2].c_str(), 0, 0);
  std::printf("QPIFileMailMessageToFolder (%s) %s -> %s: %ld\n", a[0].c_str(),
              shown(a[1].c_str()).c_str(), shown(a[2].c_str()).c_str(), static_cast<long>(result));
  return kExitOk;
}

// add FOLDER TEXT [FILE[=NAME] ...]: TEXT is the message's RFC 822 text; each FILE is a
// local path or an attachment reference as a loaded message lists it.
int cmdAdd(Script& s, const Args& a) {
  const auto add = boundExport<decltype(&QPIAddMailMessageToFolder)>(s, "QPIAddMailMessageToFolder");
  if (add == nullptr) return kExitFailed;
  std::vector<std::string> files, names;
  for (size_t i = 3; i < a.size(); ++i) {
    const size_t leaf = a[i].find_last_of("\\/");
    const size_t equals = a[i].rfind('=');
    const bool named = equals != std::string::npos && (leaf == std::string::npos || equals > leaf);
    files.push_back(named ? a[i].substr(0, equals) : a[i]);
    names.push_back(named ? a[i].substr(equals + 1) : "");
  }
  // The host's lists: null-terminated arrays of QPmalloc'd strings.
  HostList fileList, nameList;
  if (!fileList.fill(files) || !nameList.fill(names)) return failure("add: out of memory");
  const int32_t result =
      add(s.host.session(), hostUser(s), a[1].c_str(), reinterpret_cast<intptr_t>(a[2].c_str()), 0, 0,
          0, 0, 0, 0, fileList.entries.data(), nameList.entries.data(), 0, 0);
  std::printf("QPIAddMailMessageToFolder %s (%lu attachment%s): %ld\n", shown(a[1].c_str()).c_str(),
              static_cast<unsigned long>(files.size()), files.size() == 1 ? "" : "s",
              static_cast<long>(result));
  for (size_t i = 0; i < files.size(); ++i) {
    std::printf("  attachment %lu: %s as %s\n", static_cast<unsigned long>(i + 1),
                shown(files[i].c_str()).c_str(),
                names[i].empty() ? "its own name" : shown(names[i].c_str()).c_str());
  }
  return kExitOk;
}

const HostCommand kFolderCommands[] = {
    {"folders", 0, 1, true, cmdFolders},
    {"folder", 1, 1, true, cmdFolder},
    {"mkfolder", 1, 1, true, cmdMakeFolder},
    {"rename", 2, 2, true, cmdRename},
    {"rmfolder", 1, 1, true, cmdRemoveFolder},
    {"newmail", 0, 2, true, cmdNewMail},
    {"rules", 0, 0, true, cmdRules},
    {"move", 2, 2, true, cmdFile},
    {"copy", 2, 2, true, cmdFile},
    {"add", 2, 2 + kMaxAttachments, true, cmdAdd},
};

}  // namespace

const HostCommandTable kFolderCommandTable = {kFolderCommands,
                                              sizeof kFolderCommands / sizeof kFolderCommands[0]};

}  // namespace qphost
