// Folder exports of the sample interface library: the folders are the subdirectories of
// the mail database directory (message_store.h). Listing, information, create, rename and
// delete, the new-mail mark, the rules directory, and adding or filing a message all act
// on those directories. Every call is journaled.
#include <windows.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "common/win/unique.h"
#include "host/mailstore/message_compose.h"
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

// The folder's new-mail mark: this file in its directory.
constexpr const char* kNewMailFileName = "NEWMAIL.FLG";
constexpr const char* kRulesDirectoryName = "RULES";
// Attachment files are read up to this size; a larger one refuses the add.
constexpr size_t kMaxAttachmentSize = 8 * 1024 * 1024;
// What the journal shows of a caller's buffer it was handed (a buffer, not a text).
constexpr size_t kJournaledBufferSize = QP_TEXT_LARGE;

const char* textArg(intptr_t arg) { return reinterpret_cast<const char*>(arg); }

bool isDirectory(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The directory of an existing folder (null or empty name: Inbox), or "".
std::string existingFolder(const std::string& mailDatabase, const char* folder) {
  const std::string dir = folderDirectory(mailDatabase, folderNameOrDefault(folder));
  return !dir.empty() && isDirectory(dir) ? dir : std::string();
}

std::string plural(size_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// A QPmalloc'd copy of `text` at list[*count] while the host's list has room.
bool appendEntry(char** list, int32_t* count, const std::string& text) {
  if (*count < 0 || *count >= kListCapacity) return false;
  char* entry = static_cast<char*>(QPmalloc(static_cast<uint32_t>(text.size() + 1)));
  if (entry == nullptr) return false;
  qp::copyText(entry, text.size() + 1, text.c_str());
  list[(*count)++] = entry;
  return true;
}

// A list the host handed in, journaled as its number of entries and the entries (null
// for a null list).
void journalList(JournalLine& line, char* const* list) {
  if (list == nullptr) {
    line.text(nullptr);
    return;
  }
  size_t count = 0;
  while (count < kListCapacity && list[count] != nullptr) ++count;
  line.number(static_cast<int64_t>(count));
  for (size_t i = 0; i < count; ++i) line.text(list[i]);
}

std::string bufferText(const char* buffer) {
  char copy[kJournaledBufferSize] = "";
  if (buffer != nullptr) qp::copyText(copy, buffer);
  return copy;
}

// Removes a folder's directory with the files in it; refused (nothing removed) when it
// holds a subdirectory.
bool removeFolderDirectory(const std::string& dir) {
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  {
    qp::UniqueFind find(::FindFirstFileA((dir + "\\*").c_str(), &found));
    if (!find) return false;
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
      files.push_back(dir + "\\" + name);
    } while (::FindNextFileA(find.get(), &found));
  }
  for (const std::string& file : files) ::DeleteFileA(file.c_str());
  return ::RemoveDirectoryA(dir.c_str()) != FALSE;
}

std::optional<std::string> readLocalFile(const char* path) {
  qp::UniqueFile file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size = {};
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > kMaxAttachmentSize) {
    return std::nullopt;
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t used = 0;
  while (used < bytes.size()) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), &bytes[used], static_cast<DWORD>(bytes.size() - used), &got,
                    nullptr)) {
      return std::nullopt;
    }
    if (got == 0) break;
    used += got;
  }
  bytes.resize(used);
  return bytes;
}

int32_t addMessageToFolder(QPSESSION session, const char* folder, const char* text, uint32_t status,
                           char** files, char** names) {
  const std::string mailDatabase = sessionMailDatabase(session);
  if (existingFolder(mailDatabase, folder).empty()) return 0;
  std::vector<AttachmentFile> attachments;
  bool namesLeft = names != nullptr;
  for (size_t i = 0; files != nullptr && i < kListCapacity && files[i] != nullptr; ++i) {
    const char* name = namesLeft ? names[i] : nullptr;
    namesLeft = name != nullptr;
    // An attachment that cannot be read refuses the message: it would be stored without it.
    std::optional<std::string> bytes = readLocalFile(files[i]);
    if (!bytes) return 0;
    attachments.push_back(AttachmentFile{attachmentName(files[i], name), std::move(*bytes)});
  }
  const std::string message = composeMessage(text != nullptr ? text : "", attachments);
  return addMessage(mailDatabase, folderNameOrDefault(folder), message, status & kStatusKnown) ? 1
                                                                                               : 0;
}

}  // namespace

// Appends "<folder>" for an empty folder and "<folder> - <n> message(s)" for one that
// holds messages, in the order of the names; arg5 is not used. Returns the number of
// entries appended.
int32_t QPAPI QPIBuildFolderList(QPSESSION session, const char* userName, char** folderList,
                                 int32_t* folderCount, intptr_t arg5) {
  try {
    journalForSession(session, JournalLine("BuildFolderList")
                                   .number(session)
                                   .text(userName)
                                   .number(folderCount ? *folderCount : -1)
                                   .number(arg5));
    if (folderList == nullptr || folderCount == nullptr) return 0;
    const std::string mailDatabase = sessionMailDatabase(session);
    int32_t appended = 0;
    for (const std::string& folder : listFolders(mailDatabase)) {
      std::optional<std::vector<StoredMessage>> messages = listMessages(mailDatabase, folder);
      const size_t held = messages ? messages->size() : 0;
      if (!appendEntry(folderList, folderCount,
                       held == 0 ? folder : folder + " - " + plural(held, "message"))) {
        break;
      }
      ++appended;
    }
    return appended;
  } catch (...) {
    return 0;
  }
}

// 1 when the folder (null or empty: Inbox) exists: the count is its number of messages,
// the text (at most 149 characters) "<TYPE> <folder>: <n> messages, <u> unread". 0, and
// nothing written, when there is no such folder.
int32_t QPAPI QPIGetMailMessageFolderInfo(QPSESSION session, const char* userName,
                                          const char* folderName, int32_t* folderInfoCount,
                                          char* folderInfoText) {
  try {
    journalForSession(
        session,
        JournalLine("GetMailMessageFolderInfo").number(session).text(userName).text(folderName));
    const std::string mailDatabase = sessionMailDatabase(session);
    const std::string folder(folderNameOrDefault(folderName));
    if (existingFolder(mailDatabase, folderName).empty()) return 0;
    std::optional<std::vector<StoredMessage>> messages = listMessages(mailDatabase, folder);
    if (!messages) return 0;
    size_t unread = 0;
    for (const StoredMessage& message : *messages) unread += (message.status & kStatusSeen) == 0;
    char type[QP_TEXT_SMALL] = "";
    GetUserMailboxType(session, type);
    if (folderInfoCount != nullptr) *folderInfoCount = static_cast<int32_t>(messages->size());
    if (folderInfoText != nullptr) {
      const std::string text = std::string(type) + " " + folder + ": " +
                               plural(messages->size(), "message") + ", " + std::to_string(unread) +
                               " unread";
      qp::copyText(folderInfoText, QP_TEXT_SMALL, text.c_str());
    }
    return 1;
  } catch (...) {
    return 0;
  }
}

// Makes the folder's directory. 1 when the folder exists afterwards (made now or there
// already), 0 for a name the store refuses or a directory that cannot be made. The
// information buffer is only journaled.
int32_t QPAPI QPICreateMailFolder(QPSESSION session, const char* userName, const char* folderName,
                                  char* folderInfoText) {
  try {
    journalForSession(session,
                      JournalLine("CreateMailFolder")
                          .number(session)
                          .text(userName)
                          .text(folderName)
                          .text(folderInfoText ? bufferText(folderInfoText).c_str() : nullptr));
    const std::string dir =
        folderDirectory(sessionMailDatabase(session), folderNameOrDefault(folderName));
    if (dir.empty()) return 0;
    return isDirectory(dir) || ::CreateDirectoryA(dir.c_str(), nullptr) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// arg3: the folder's name, arg4: its new name; arg5 is not used. 1 when renamed; 0 when
// the folder does not exist, the new name is refused or another folder has it.
int32_t QPAPI QPIRenameMailFolder(QPSESSION session, const char* userName, intptr_t arg3,
                                  intptr_t arg4, intptr_t arg5) {
  try {
    journalForSession(session, JournalLine("RenameMailFolder")
                                   .number(session)
                                   .text(userName)
                                   .text(textArg(arg3))
                                   .text(textArg(arg4))
                                   .number(arg5));
    const std::string mailDatabase = sessionMailDatabase(session);
    const char* from = textArg(arg3);
    const char* to = textArg(arg4);
    if (from == nullptr || from[0] == '\0' || to == nullptr) return 0;
    const std::string fromDir = existingFolder(mailDatabase, from);
    const std::string toDir = folderDirectory(mailDatabase, to);
    if (fromDir.empty() || toDir.empty()) return 0;
    // A change of letter case alone names the same directory.
    if (!qp::equalsNoCase(from, to) &&
        ::GetFileAttributesA(toDir.c_str()) != INVALID_FILE_ATTRIBUTES)
      return 0;
    return ::MoveFileA(fromDir.c_str(), toDir.c_str()) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// Removes the folder's directory with its messages. 1 when removed; 0 without a folder
// name, for a folder that does not exist, or one whose directory holds a subdirectory.
int32_t QPAPI QPIDeleteMailFolder(QPSESSION session, const char* userName, const char* folderName) {
  try {
    journalForSession(
        session, JournalLine("DeleteMailFolder").number(session).text(userName).text(folderName));
    if (folderName == nullptr || folderName[0] == '\0') return 0;
    const std::string dir = existingFolder(sessionMailDatabase(session), folderName);
    return !dir.empty() && removeFolderDirectory(dir) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// 1 when the folder (null or empty: Inbox) carries the new-mail mark, else 0.
int32_t QPAPI QPIDoesFolderHaveNewMail(QPSESSION session, const char* userName,
                                       const char* folderName) {
  try {
    journalForSession(
        session,
        JournalLine("DoesFolderHaveNewMail").number(session).text(userName).text(folderName));
    const std::string dir = existingFolder(sessionMailDatabase(session), folderName);
    return !dir.empty() && Exist((dir + "\\" + kNewMailFileName).c_str()) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// Sets (nonzero) or clears the folder's new-mail mark. 1 when the mark is as asked
// afterwards; 0 for a folder that does not exist or a mark file that cannot be changed.
int32_t QPAPI QPISetFolderNewMailStatus(QPSESSION session, const char* userName,
                                        const char* folderName, int32_t hasNewMail) {
  try {
    journalForSession(session, JournalLine("SetFolderNewMailStatus")
                                   .number(session)
                                   .text(userName)
                                   .text(folderName)
                                   .number(hasNewMail));
    const std::string dir = existingFolder(sessionMailDatabase(session), folderName);
    if (dir.empty()) return 0;
    const std::string mark = dir + "\\" + kNewMailFileName;
    if (hasNewMail == 0)
      return ::DeleteFileA(mark.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND ? 1 : 0;
    qp::UniqueFile file(::CreateFileA(mark.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// Writes "<mail database>\RULES\" into the buffer (MAX_PATH bytes; empty when it does not
// fit). 1 when that directory exists, else 0. The directory is not made.
int32_t QPAPI QPIGetRulesDir(QPSESSION session, const char* userName, char* rulesDir) {
  try {
    journalForSession(session, JournalLine("GetRulesDir").number(session).text(userName));
    if (rulesDir == nullptr) return 0;
    const std::string dir = joinPath(sessionMailDatabase(session), kRulesDirectoryName);
    if (dir.empty() || !qp::copyText(rulesDir, MAX_PATH, (dir + "\\").c_str())) {
      rulesDir[0] = '\0';
      return 0;
    }
    return isDirectory(dir) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// Stores a composed message in an existing folder (null or empty: Inbox). arg4: the
// message's RFC 822 text; arg5: its status flags (0x1 seen, 0x2 answered, 0x4 flagged,
// 0x8 draft); arg6 to arg10, arg13 and arg14 are not used. The attachment files (local
// paths) are stored with the message as MIME parts, named by the name list's entry of
// the same position or else by their file names. 1 when stored; 0 for a folder that does
// not exist, an attachment file that cannot be read, or a message that cannot be written.
int32_t QPAPI QPIAddMailMessageToFolder(QPSESSION session, const char* userName,
                                        const char* folderName, intptr_t arg4, intptr_t arg5,
                                        intptr_t arg6, intptr_t arg7, intptr_t arg8, intptr_t arg9,
                                        intptr_t arg10, char** attachmentFiles,
                                        char** attachmentNames, intptr_t arg13, intptr_t arg14) {
  try {
    JournalLine line("AddMailMessageToFolder");
    line.number(session).text(userName).text(folderName).text(textArg(arg4)).number(arg5);
    for (intptr_t unused : {arg6, arg7, arg8, arg9, arg10}) line.number(unused);
    journalList(line, attachmentFiles);
    journalList(line, attachmentNames);
    line.number(arg13).number(arg14);
    journalForSession(session, line);
    return addMessageToFolder(session, folderName, textArg(arg4), static_cast<uint32_t>(arg5),
                              attachmentFiles, attachmentNames);
  } catch (...) {
    return 0;
  }
}

// Moves (arg3 0) or copies (arg3 nonzero) the message to another existing folder of this
// mail database, with its flags; arg6 and arg7 are not used. 1 when filed; 0 for an
// unknown message or target folder, or the folder that holds the message.
int32_t QPAPI QPIFileMailMessageToFolder(QPSESSION session, const char* userName, intptr_t arg3,
                                         const char* messageId, const char* targetFolder,
                                         intptr_t arg6, intptr_t arg7) {
  try {
    journalForSession(session, JournalLine("FileMailMessageToFolder")
                                   .number(session)
                                   .text(userName)
                                   .number(arg3)
                                   .text(messageId)
                                   .text(targetFolder)
                                   .number(arg6)
                                   .number(arg7));
    std::optional<MessageId> id = parseMessageId(messageId);
    const std::string mailDatabase = sessionMailDatabase(session);
    if (!id || existingFolder(mailDatabase, targetFolder).empty()) return 0;
    return fileMessage(mailDatabase, *id, folderNameOrDefault(targetFolder), arg3 != 0) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}
