// QPHOST's host commands for the messages of a logged-in host session: the merged index
// and its poll, the search, reading a message, its flags, deleting it, its raw file and
// its attachments, each through QPXMULTI's export. The arguments that QPXMULTI passes on
// mean what the sample mail store makes of them (host/mailstore/README.md).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/win/unique.h"
#include "host/qphost/commands.h"
#include "host/qphost/host_script.h"
#include "hostapi/qpunique.h"
#include "hostapi/qpxcomm.h"
#include "multi/message_exports.h"

namespace qphost {

namespace {

// The host's lists and arrays have room for this many entries (and a null after them).
constexpr size_t kListCapacity = 10000;
constexpr size_t kAddressCapacity = 50000;
constexpr size_t kAttachmentCapacity = 200;
// A raw message file is shown up to this many bytes.
constexpr DWORD kMaxRawShown = 64 * 1024;
constexpr int32_t kLoadMarksSeen = 1;

intptr_t textArg(const std::string& text) { return reinterpret_cast<intptr_t>(text.c_str()); }

// An array of texts owned by the host: QPmalloc'd entries, freed when it goes.
struct HostArray {
  std::vector<char*> entries;
  int32_t count = 0;
  explicit HostArray(size_t capacity) : entries(capacity + 1, nullptr) {}
  ~HostArray() {
    for (char* entry : entries) QPfree(entry);
  }
  HostArray(const HostArray&) = delete;
  HostArray& operator=(const HostArray&) = delete;
  // The entries up to the first null.
  std::vector<const char*> filled() const {
    std::vector<const char*> texts;
    for (char* entry : entries) {
      if (entry == nullptr) break;
      texts.push_back(entry);
    }
    return texts;
  }
};

// An entry as "<text>  [<identifier>]  (<more>)": the separators 0xFF split it.
void printEntry(int32_t position, const char* entry) {
  if (entry == nullptr) {
    std::printf("  %3ld  (null)\n", static_cast<long>(position));
    return;
  }
  const std::string text(entry);
  const size_t first = text.find('\xFF');
  std::printf("  %3ld  %s", static_cast<long>(position), text.substr(0, first).c_str());
  if (first != std::string::npos) {
    const size_t second = text.find('\xFF', first + 1);
    std::printf(
        "  [%s]",
        text.substr(first + 1, second == std::string::npos ? second : second - first - 1).c_str());
    if (second != std::string::npos) std::printf("  (%s)", text.substr(second + 1).c_str());
  }
  std::printf("\n");
}

void printList(const HostArray& list) {
  for (int32_t i = 0; i < list.count && static_cast<size_t>(i) < kListCapacity; ++i)
    printEntry(i, list.entries[static_cast<size_t>(i)]);
}

std::string statusNames(int32_t status) {
  static const char* const kNames[] = {"seen", "answered", "flagged", "draft"};
  std::string names;
  for (int bit = 0; bit < 4; ++bit) {
    if ((status & (1 << bit)) == 0) continue;
    if (!names.empty()) names += ", ";
    names += kNames[bit];
  }
  return names.empty() ? "new" : names;
}

int cmdIndex(Script& s, const Args& a) {
  const auto build = boundExport<decltype(&QPIBuildMailMessageIndex)>(s, "QPIBuildMailMessageIndex");
  if (build == nullptr) return kExitFailed;
  const std::string folder = a.size() > 1 ? a[1] : "";
  HostArray list(kListCapacity);
  const int32_t result =
      build(s.host.session(), hostUser(s), textArg(folder), list.entries.data(), &list.count, 0, 0);
  std::printf("QPIBuildMailMessageIndex %s: %ld (%ld entr%s)\n", shown(folder.c_str()).c_str(),
              static_cast<long>(result), static_cast<long>(list.count),
              list.count == 1 ? "y" : "ies");
  printList(list);
  return kExitOk;
}

int cmdChanged(Script& s, const Args& a) {
  const auto check =
      boundExport<decltype(&QPICheckMessageIndexUpdated)>(s, "QPICheckMessageIndexUpdated");
  if (check == nullptr) return kExitFailed;
  const std::string folder = a.size() > 1 ? a[1] : "";
  const int32_t result = check(s.host.session(), hostUser(s), textArg(folder), 0, 0, 0, 0);
  std::printf("QPICheckMessageIndexUpdated %s: %ld%s\n", shown(folder.c_str()).c_str(),
              static_cast<long>(result),
              result == 2   ? " (changed)"
              : result == 0 ? " (unchanged)"
                            : "");
  return kExitOk;
}

int cmdSearch(Script& s, const Args& a) {
  const auto search = boundExport<decltype(&QPIDoMessageSearchFolder)>(s, "QPIDoMessageSearchFolder");
  if (search == nullptr) return kExitFailed;
  const std::string folder = a.size() > 2 ? a[2] : "";
  int32_t fields = 0;
  if (!numberArg(a, 3, 0, fields, "search")) return kExitUsage;
  HostArray list(kListCapacity);
  const int32_t result = search(s.host.session(), hostUser(s), list.entries.data(), &list.count, 0,
                                textArg(folder), textArg(a[1]), fields, 0, 0, 0, 0, 0, 0, 0);
  std::printf("QPIDoMessageSearchFolder %s in %s: %ld\n", shown(a[1].c_str()).c_str(),
              folder.empty() ? "every folder" : shown(folder.c_str()).c_str(),
              static_cast<long>(result));
  printList(list);
  return kExitOk;
}

void printAddresses(const char* label, const HostArray& addresses) {
  const std::vector<const char*> texts = addresses.filled();
  if (texts.empty()) std::printf("  %-9s(none)\n", label);
  for (size_t i = 0; i < texts.size(); ++i)
    std::printf("  %-9s%s\n", i == 0 ? label : "", texts[i]);
}

int cmdRead(Script& s, const Args& a) {
  const auto load = boundExport<decltype(&QPILoadMailMessage)>(s, "QPILoadMailMessage");
  if (load == nullptr) return kExitFailed;
  if (a.size() > 2 && a[2] != "seen") return usageError("read: use 'read ID' or 'read ID seen'");
  HostArray to(kAddressCapacity), cc(kAddressCapacity), attachments(kAttachmentCapacity);
  char subject[QP_TEXT_LARGE] = "", date[QP_TEXT_SMALL] = "";
  char from[qpmulti::kLoadAddressBufferSize] = "";
  char* text = nullptr;
  int32_t status = 0;
  const int32_t result =
      load(s.host.session(), hostUser(s), a[1].c_str(), reinterpret_cast<intptr_t>(subject),
           reinterpret_cast<intptr_t>(date), to.entries.data(), cc.entries.data(), from,
           reinterpret_cast<intptr_t>(&text), reinterpret_cast<intptr_t>(&status),
           a.size() > 2 ? kLoadMarksSeen : 0, 0, attachments.entries.data(), 0, 0, 0, 0, 0, 0, 0);
  qp::UniqueQpBlock textOwner(text);
  std::printf("QPILoadMailMessage %s: %ld\n", a[1].c_str(), static_cast<long>(result));
  if (result == 0) return kExitOk;
  std::printf("  %-9s%s\n", "From:", from);
  printAddresses("To:", to);
  printAddresses("Cc:", cc);
  std::printf("  %-9s%s\n  %-9s%s\n  %-9s0x%lX (%s)\n", "Subject:", subject, "Date:", date,
              "Status:", static_cast<unsigned long>(status), statusNames(status).c_str());
  const std::vector<const char*> names = attachments.filled();
  for (size_t i = 0; i < names.size(); ++i)
    std::printf("  Attachment %u: %s\n", static_cast<unsigned>(i + 1), names[i]);
  std::printf("  Text:\n");
  std::string body = text != nullptr ? text : "";
  size_t pos = 0;
  while (pos < body.size()) {
    size_t end = body.find('\n', pos);
    if (end == std::string::npos) end = body.size();
    std::string line = body.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::printf("    %s\n", line.c_str());
    pos = end + 1;
  }
  return kExitOk;
}

int cmdRaw(Script& s, const Args& a) {
  const auto open = boundExport<decltype(&QPIOpenRFC822MessageFile)>(s, "QPIOpenRFC822MessageFile");
  if (open == nullptr) return kExitFailed;
  const int32_t handle = open(s.host.session(), hostUser(s), a[1].c_str());
  std::printf("QPIOpenRFC822MessageFile %s: %s\n", a[1].c_str(),
              handle == -1 ? "-1" : "a file handle");
  if (handle == -1) return kExitOk;
  qp::UniqueFile file(LongToHandle(handle));
  std::string bytes(kMaxRawShown, '\0');
  DWORD got = 0;
  if (!::ReadFile(file.get(), &bytes[0], kMaxRawShown, &got, nullptr))
    return failure("raw: the file cannot be read");
  bytes.resize(got);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  if (!bytes.empty() && bytes.back() != '\n') std::printf("\n");
  return kExitOk;
}

int cmdFlag(Script& s, const Args& a) {
  const auto update = boundExport<decltype(&QPIUpdateMailMessageStatus)>(s, "QPIUpdateMailMessageStatus");
  if (update == nullptr) return kExitFailed;
  int32_t set = 0, clear = 0;
  if (!numberArg(a, 2, 0, set, "flag") || !numberArg(a, 3, 0, clear, "flag")) return kExitUsage;
  const int32_t result = update(s.host.session(), hostUser(s), 0, 0, a[1].c_str(), set, clear, 0, 0);
  std::printf("QPIUpdateMailMessageStatus %s set 0x%lX clear 0x%lX: %ld\n", a[1].c_str(),
              static_cast<unsigned long>(set), static_cast<unsigned long>(clear),
              static_cast<long>(result));
  return kExitOk;
}

int cmdDelete(Script& s, const Args& a) {
  const auto remove = boundExport<decltype(&QPIDeleteMailMessage)>(s, "QPIDeleteMailMessage");
  if (remove == nullptr) return kExitFailed;
  const int32_t result = remove(s.host.session(), hostUser(s), 0, a[1].c_str());
  std::printf("QPIDeleteMailMessage %s: %ld\n", a[1].c_str(), static_cast<long>(result));
  return kExitOk;
}

// Qualifies an attachment name; with COPY the file is copied there. A temporary file is
// deleted afterwards, as the caller of the export must.
int cmdAttachment(Script& s, const Args& a) {
  const auto qualify = boundExport<decltype(&QPIQualifyAttachmentName)>(s, "QPIQualifyAttachmentName");
  if (qualify == nullptr) return kExitFailed;
  char path[qpmulti::kAttachmentPathSize] = "";
  char extension[qpmulti::kExtensionBufferSize] = "";
  int32_t temporary = -1;
  qualify(s.host.session(), hostUser(s), a[1].c_str(), path, extension, &temporary);
  std::printf("QPIQualifyAttachmentName %s:\n", a[1].c_str());
  if (path[0] == '\0') {
    std::printf("  no local file (extension %s)\n", shown(extension).c_str());
    return kExitOk;
  }
  WIN32_FILE_ATTRIBUTE_DATA facts = {};
  const bool found = ::GetFileAttributesExA(path, GetFileExInfoStandard, &facts) != FALSE;
  std::printf("  path %s, extension %s, temporary %ld, %s%lu bytes\n", path,
              shown(extension).c_str(), static_cast<long>(temporary), found ? "" : "missing, ",
              found ? facts.nFileSizeLow : 0UL);
  int rc = kExitOk;
  if (a.size() > 2) {
    if (::CopyFileA(path, a[2].c_str(), FALSE)) {
      std::printf("  copied to %s\n", a[2].c_str());
    } else {
      rc = failure("attachment: cannot copy %s to %s (error %lu)", path, a[2].c_str(),
                   ::GetLastError());
    }
  }
  if (temporary != 0 && ::DeleteFileA(path)) std::printf("  temporary file deleted\n");
  return rc;
}

const HostCommand kMessageCommands[] = {
    {"index", 0, 1, true, cmdIndex},   {"changed", 0, 1, true, cmdChanged},
    {"search", 1, 3, true, cmdSearch}, {"read", 1, 2, true, cmdRead},
    {"raw", 1, 1, true, cmdRaw},       {"flag", 2, 3, true, cmdFlag},
    {"delete", 1, 1, true, cmdDelete}, {"attachment", 1, 2, true, cmdAttachment},
};

}  // namespace

const HostCommandTable kMessageCommandTable = {
    kMessageCommands, sizeof kMessageCommands / sizeof kMessageCommands[0]};

}  // namespace qphost
