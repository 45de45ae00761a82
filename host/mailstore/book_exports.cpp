// Address-book and distribution-list exports of the sample interface library. They are
// text files in the mail database directory, one address per line: "<book>.ABK" is a
// public address book, "<list>.PDL" a personal and "<list>.GDL" a public distribution
// list, "PERSONAL.PAB" the personal address book. Every call is journaled.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/text.h"
#include "common/win/unique.h"
#include "host/mailstore/message_store.h"
#include "host/mailstore/message_view.h"
#include "host/mailstore/store_files.h"
#include "host/mailstore/store_paths.h"
#include "hostapi/qpi_ops.h"
#include "hostapi/qpxcomm.h"

extern "C" {
#define QP_DECLARE_EXPORT(Name, Result, Params, Args) Result QPAPI QPI##Name Params;
QP_FORWARDED_OPS(QP_DECLARE_EXPORT)
#undef QP_DECLARE_EXPORT
}

namespace {

using namespace qp::mailstore;

constexpr const char* kBookExtension = ".ABK";
constexpr const char* kPersonalListExtension = ".PDL";
constexpr const char* kPublicListExtension = ".GDL";
constexpr const char* kPersonalBookFile = "PERSONAL.PAB";
constexpr size_t kMaxListFileSize = 1024 * 1024;

const char* textArg(intptr_t arg) { return reinterpret_cast<const char*>(arg); }
char* bufferArg(intptr_t arg) { return reinterpret_cast<char*>(arg); }
char** listArg(intptr_t arg) { return reinterpret_cast<char**>(arg); }

// The file of a named book or list, "" for a name that cannot be one file of the directory.
std::string namedFile(const std::string& mailDatabase, const char* name, const char* extension) {
  if (name == nullptr || mailDatabase.empty() || !isValidFolderName(name)) return std::string();
  return mailDatabase + "\\" + name + extension;
}

// The lines of a file (blank lines and surrounding blanks dropped), nothing when absent.
std::optional<std::vector<std::string>> readLines(const std::string& path) {
  if (path.empty()) return std::nullopt;
  qp::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes(kMaxListFileSize, '\0');
  DWORD got = 0;
  if (!::ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr)) {
    return std::nullopt;
  }
  bytes.resize(got);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    const size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string::npos) {
      line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
      lines.push_back(line);
    }
    start = end + 1;
  }
  return lines;
}

bool writeLines(const std::string& path, const std::vector<std::string>& lines) {
  if (path.empty()) return false;
  qp::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  DWORD written = 0;
  return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
         written == bytes.size();
}

// The names of the files with `extension`, without it, in name order (letter case aside).
std::vector<std::string> namesWith(const std::string& mailDatabase, const char* extension) {
  std::vector<std::string> names;
  if (mailDatabase.empty()) return names;
  const size_t extensionLength = std::char_traits<char>::length(extension);
  WIN32_FIND_DATAA found;
  qp::UniqueFind find(::FindFirstFileA((mailDatabase + "\\*" + extension).c_str(), &found));
  if (!find) return names;
  do {
    const std::string name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    if (name.size() <= extensionLength ||
        !qp::equalsNoCase(name.c_str() + name.size() - extensionLength, extension)) {
      continue;  // the 8.3 alias of a longer extension
    }
    names.push_back(name.substr(0, name.size() - extensionLength));
  } while (::FindNextFileA(find.get(), &found));
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return qp::compareNoCase(a.c_str(), b.c_str()) < 0;
  });
  return names;
}

// The address of a line: what stands in angle brackets, else the whole line.
std::string bareOf(const std::string& line) {
  const size_t open = line.rfind('<');
  const size_t close = line.find('>', open == std::string::npos ? 0 : open);
  if (open == std::string::npos || close == std::string::npos) return line;
  return line.substr(open + 1, close - open - 1);
}

bool sameAddress(const std::string& line, const char* address) {
  return address != nullptr && qp::equalsNoCase(bareOf(line).c_str(), address);
}

// Appends QPmalloc'd copies behind the last entry of a null-terminated list while it has
// room; returns the number appended.
int32_t appendBehind(char** list, const std::vector<std::string>& texts) {
  if (list == nullptr) return 0;
  size_t end = 0;
  while (end < kListCapacity && list[end] != nullptr) ++end;
  int32_t appended = 0;
  for (const std::string& text : texts) {
    if (end + 1 >= kListCapacity) break;
    char* entry = static_cast<char*>(QPmalloc(static_cast<uint32_t>(text.size() + 1)));
    if (entry == nullptr) break;
    qp::copyText(entry, text.size() + 1, text.c_str());
    list[end++] = entry;
    ++appended;
  }
  return appended;
}

void journal(QPSESSION session, const char* operation, const char* userName,
             std::initializer_list<const char*> texts) {
  JournalLine line(operation);
  line.number(session).text(userName);
  for (const char* text : texts) line.text(text);
  journalForSession(session, line);
}

// The members of a distribution list appended to `list`; -1 when there is no such list.
int32_t getList(QPSESSION session, const char* name, char** list, const char* extension) {
  const auto lines = readLines(namedFile(sessionMailDatabase(session), name, extension));
  return lines ? appendBehind(list, *lines) : -1;
}

template <typename Body>
int32_t guarded(int32_t failure, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

}  // namespace

// Appends the names of the public books at index *nameCount; the number appended.
int32_t QPAPI QPIBuildAddressBookList(QPSESSION session, const char* userName, char** bookNames,
                                      int32_t* nameCount) {
  return guarded(0, [&] {
    journal(session, "BuildAddressBookList", userName, {});
    if (bookNames == nullptr || nameCount == nullptr) return 0;
    int32_t appended = 0;
    for (const std::string& name : namesWith(sessionMailDatabase(session), kBookExtension)) {
      if (*nameCount < 0 || *nameCount >= kListCapacity) break;
      char* entry = static_cast<char*>(QPmalloc(static_cast<uint32_t>(name.size() + 1)));
      if (entry == nullptr) break;
      qp::copyText(entry, name.size() + 1, name.c_str());
      bookNames[(*nameCount)++] = entry;
      ++appended;
    }
    return appended;
  });
}

// Appends the entries of one public book; the number appended, -1 for no such book.
int32_t QPAPI QPIBuildAvailableRecipsList(QPSESSION session, const char* userName,
                                          const char* bookName, char** recipientList, intptr_t,
                                          intptr_t, intptr_t) {
  return guarded(-1, [&] {
    journal(session, "BuildAvailableRecipsList", userName, {bookName});
    return getList(session, bookName, recipientList, kBookExtension);
  });
}

// arg3: a buffer of QP_TEXT_SMALL bytes for the first book's name. 1, or 0 without books.
int32_t QPAPI QPIGetDefaultAddressBook(QPSESSION session, const char* userName, intptr_t arg3) {
  return guarded(0, [&] {
    journal(session, "GetDefaultAddressBook", userName, {});
    const auto names = namesWith(sessionMailDatabase(session), kBookExtension);
    if (names.empty() || bufferArg(arg3) == nullptr) return 0;
    qp::copyText(bufferArg(arg3), QP_TEXT_SMALL, names.front().c_str());
    return 1;
  });
}

// arg3: the text searched for (letter case aside; null or empty finds every entry). Appends
// the entries of all public books that contain it; the number appended.
int32_t QPAPI QPISearchAddressBooks(QPSESSION session, const char* userName, intptr_t arg3,
                                    char** recipientList, intptr_t, intptr_t) {
  return guarded(0, [&] {
    const char* wanted = textArg(arg3) != nullptr ? textArg(arg3) : "";
    journal(session, "SearchAddressBooks", userName, {wanted});
    const std::string mailDatabase = sessionMailDatabase(session);
    std::string lowerWanted(wanted);
    for (char& c : lowerWanted) c = qp::lowerAscii(c);
    std::vector<std::string> found;
    for (const std::string& book : namesWith(mailDatabase, kBookExtension)) {
      const auto lines = readLines(namedFile(mailDatabase, book.c_str(), kBookExtension));
      if (!lines) continue;
      for (const std::string& line : *lines) {
        std::string lower(line);
        for (char& c : lower) c = qp::lowerAscii(c);
        if (lower.find(lowerWanted) != std::string::npos) found.push_back(line);
      }
    }
    return appendBehind(recipientList, found);
  });
}

// The line of book `nameA` whose address is `nameB`, into `entryAddress` (QP_TEXT_LARGE
// bytes, cut to fit): 1, or 0 when there is none.
int32_t QPAPI QPIGetPublicAddressBookEntry(QPSESSION session, const char* userName,
                                           const char* nameA, const char* nameB,
                                           char* entryAddress, intptr_t, intptr_t, intptr_t,
                                           intptr_t) {
  return guarded(0, [&] {
    journal(session, "GetPublicAddressBookEntry", userName, {nameA, nameB});
    const auto lines = readLines(namedFile(sessionMailDatabase(session), nameA, kBookExtension));
    if (!lines || entryAddress == nullptr) return 0;
    for (const std::string& line : *lines) {
      if (!sameAddress(line, nameB)) continue;
      qp::copyText(entryAddress, QP_TEXT_LARGE, line.c_str());
      return 1;
    }
    return 0;
  });
}

// arg3: list name; arg4: a null-terminated list the members are appended to. The number
// appended, -1 for no such list.
int32_t QPAPI QPIGetPersonalDList(QPSESSION session, const char* userName, intptr_t arg3,
                                  intptr_t arg4, intptr_t, intptr_t, intptr_t, intptr_t,
                                  intptr_t) {
  return guarded(-1, [&] {
    journal(session, "GetPersonalDList", userName, {textArg(arg3)});
    return getList(session, textArg(arg3), listArg(arg4), kPersonalListExtension);
  });
}

int32_t QPAPI QPIGetPublicDList(QPSESSION session, const char* userName, intptr_t arg3,
                                intptr_t arg4, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t) {
  return guarded(-1, [&] {
    journal(session, "GetPublicDList", userName, {textArg(arg3)});
    return getList(session, textArg(arg3), listArg(arg4), kPublicListExtension);
  });
}

// arg3: list name; arg4: its members, a null-terminated list. 1 when written, else 0.
int32_t QPAPI QPISavePersonalDList(QPSESSION session, const char* userName, intptr_t arg3,
                                   intptr_t arg4, intptr_t, intptr_t, intptr_t, intptr_t,
                                   intptr_t, intptr_t) {
  return guarded(0, [&] {
    journal(session, "SavePersonalDList", userName, {textArg(arg3)});
    std::vector<std::string> members;
    char** list = listArg(arg4);
    for (size_t i = 0; list != nullptr && i < kListCapacity && list[i] != nullptr; ++i) {
      members.push_back(list[i]);
    }
    return writeLines(namedFile(sessionMailDatabase(session), textArg(arg3),
                                kPersonalListExtension),
                      members)
               ? 1
               : 0;
  });
}

// arg3: list name. 1 when the list was removed, else 0.
int32_t QPAPI QPIDeletePersonalDList(QPSESSION session, const char* userName, intptr_t arg3,
                                     intptr_t, intptr_t, intptr_t) {
  return guarded(0, [&] {
    journal(session, "DeletePersonalDList", userName, {textArg(arg3)});
    const std::string path =
        namedFile(sessionMailDatabase(session), textArg(arg3), kPersonalListExtension);
    return !path.empty() && ::DeleteFileA(path.c_str()) ? 1 : 0;
  });
}

// arg3: an address; arg4: a buffer of QP_TEXT_LARGE bytes for its personal entry. 1 when
// found, else 0.
int32_t QPAPI QPIGetPersonalAddressBookEntry(QPSESSION session, const char* userName,
                                             intptr_t arg3, intptr_t arg4, intptr_t, intptr_t,
                                             intptr_t, intptr_t, intptr_t) {
  return guarded(0, [&] {
    journal(session, "GetPersonalAddressBookEntry", userName, {textArg(arg3)});
    const auto lines = readLines(joinPath(sessionMailDatabase(session), kPersonalBookFile));
    if (!lines || bufferArg(arg4) == nullptr) return 0;
    for (const std::string& line : *lines) {
      if (!sameAddress(line, textArg(arg3))) continue;
      qp::copyText(bufferArg(arg4), QP_TEXT_LARGE, line.c_str());
      return 1;
    }
    return 0;
  });
}

// arg3: an entry; it replaces the entry with its address or is added. 1 when written.
int32_t QPAPI QPISavePersonalAddressBookEntry(QPSESSION session, const char* userName,
                                              intptr_t arg3, intptr_t, intptr_t, intptr_t,
                                              intptr_t, intptr_t, intptr_t, intptr_t) {
  return guarded(0, [&] {
    journal(session, "SavePersonalAddressBookEntry", userName, {textArg(arg3)});
    if (textArg(arg3) == nullptr || textArg(arg3)[0] == '\0') return 0;
    const std::string path = joinPath(sessionMailDatabase(session), kPersonalBookFile);
    const std::string entry = textArg(arg3);
    std::vector<std::string> lines = readLines(path).value_or(std::vector<std::string>());
    const std::string address = bareOf(entry);
    const auto same = [&](const std::string& l) { return sameAddress(l, address.c_str()); };
    lines.erase(std::remove_if(lines.begin(), lines.end(), same), lines.end());
    lines.push_back(entry);
    return writeLines(path, lines) ? 1 : 0;
  });
}

// arg3: an address. 1 when its entry was removed, else 0.
int32_t QPAPI QPIDeletePersonalAddressBookEntry(QPSESSION session, const char* userName,
                                                intptr_t arg3, intptr_t, intptr_t, intptr_t) {
  return guarded(0, [&] {
    journal(session, "DeletePersonalAddressBookEntry", userName, {textArg(arg3)});
    const std::string path = joinPath(sessionMailDatabase(session), kPersonalBookFile);
    std::optional<std::vector<std::string>> lines = readLines(path);
    if (!lines) return 0;
    const size_t before = lines->size();
    const auto same = [&](const std::string& l) { return sameAddress(l, textArg(arg3)); };
    lines->erase(std::remove_if(lines->begin(), lines->end(), same), lines->end());
    return lines->size() != before && writeLines(path, *lines) ? 1 : 0;
  });
}

// arg3: a null-terminated list the names are appended to; the number appended.
int32_t QPAPI QPIBuildListOfPersonalDLists(QPSESSION session, const char* userName,
                                           intptr_t arg3) {
  return guarded(0, [&] {
    journal(session, "BuildListOfPersonalDLists", userName, {});
    return appendBehind(listArg(arg3),
                        namesWith(sessionMailDatabase(session), kPersonalListExtension));
  });
}

int32_t QPAPI QPIBuildListOfPublicDLists(QPSESSION session, const char* userName, intptr_t arg3) {
  return guarded(0, [&] {
    journal(session, "BuildListOfPublicDLists", userName, {});
    return appendBehind(listArg(arg3),
                        namesWith(sessionMailDatabase(session), kPublicListExtension));
  });
}

// arg3: a null-terminated list the personal entries are appended to; the number appended.
int32_t QPAPI QPIBuildPersonalAddressBookList(QPSESSION session, const char* userName,
                                              intptr_t arg3) {
  return guarded(0, [&] {
    journal(session, "BuildPersonalAddressBookList", userName, {});
    const auto lines = readLines(joinPath(sessionMailDatabase(session), kPersonalBookFile));
    return lines ? appendBehind(listArg(arg3), *lines) : 0;
  });
}
