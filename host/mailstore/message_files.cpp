// Win32 file operations of the message layer: folder directories, message files and the
// folder's state file FOLDER.DAT (read and rewritten under an exclusive lock).
#include <windows.h>

#include <algorithm>

#include "common/text.h"
#include "common/win/unique.h"
#include "host/mailstore/message_store.h"

namespace qp::mailstore {

namespace {

constexpr size_t kMaxStateFileSize = 4 * 1024 * 1024;
constexpr size_t kMaxNoticeSize = 16 * 1024;
constexpr size_t kMaxNoticeLines = 20;
// A new message's number is tried this many times when another writer took it first.
constexpr int kNameAttempts = 100;

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

bool isDirectory(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The directory of an existing folder, or "".
std::string existingFolder(std::string_view mailDatabase, std::string_view folder) {
  std::string dir = folderDirectory(mailDatabase, folder);
  return !dir.empty() && isDirectory(dir) ? dir : std::string();
}

// Reads a whole open file of at most `limit` bytes; nothing when it is longer or unreadable.
std::optional<std::string> readOpenFile(HANDLE file, size_t limit) {
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > limit) {
    return std::nullopt;
  }
  std::string text(static_cast<size_t>(size.QuadPart), '\0');
  size_t used = 0;
  while (used < text.size()) {
    DWORD got = 0;
    if (!::ReadFile(file, &text[used], static_cast<DWORD>(text.size() - used), &got, nullptr))
      return std::nullopt;
    if (got == 0) break;
    used += got;
  }
  text.resize(used);
  return text;
}

std::optional<std::string> readWholeFile(const std::string& path, size_t limit) {
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  return readOpenFile(file.get(), limit);
}

bool writeAll(HANDLE file, std::string_view text) {
  while (!text.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size(), 1u << 20));
    if (!::WriteFile(file, text.data(), chunk, &written, nullptr) || written == 0) return false;
    text.remove_prefix(written);
  }
  return true;
}

// Runs `change` on the folder's state under an exclusive lock and writes the result back
// when it returns true. Writers of this and other processes take turns through a lock on
// one byte far past the file's end (so plain readers never meet it).
template <typename Change>
bool updateFolderState(const std::string& folderDir, Change change) {
  const std::string path = folderDir + "\\" + kFolderStateFileName;
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  OVERLAPPED turn = {};
  turn.OffsetHigh = 0x40000000;
  if (!::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn)) return false;
  ScopeExit unlock([&] { ::UnlockFileEx(file.get(), 0, 1, 0, &turn); });
  std::optional<std::string> text = readOpenFile(file.get(), kMaxStateFileSize);
  FolderState state = text ? parseFolderState(*text) : FolderState();
  if (!change(state)) return false;
  LARGE_INTEGER start = {};
  if (!::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)) return false;
  if (!writeAll(file.get(), formatFolderState(state))) return false;
  return ::SetEndOfFile(file.get()) != FALSE;
}

FolderState stateOf(const std::string& folderDir) {
  std::optional<std::string> text =
      readWholeFile(folderDir + "\\" + kFolderStateFileName, kMaxStateFileSize);
  return text ? parseFolderState(*text) : FolderState();
}

struct FileFacts {
  std::string name;
  uint64_t size = 0;
  uint64_t written = 0;
};

// The message files of a folder directory, ordered by name letter case aside.
std::vector<FileFacts> messageFiles(const std::string& folderDir) {
  std::vector<FileFacts> files;
  WIN32_FIND_DATAA found;
  UniqueFind find(::FindFirstFileA((folderDir + "\\*.MSG").c_str(), &found));
  if (!find) return files;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    // "*.MSG" also matches long names whose short 8.3 name ends in .MSG ("x.msgx"):
    // check the real ending.
    std::string_view name(found.cFileName);
    const size_t extension = std::char_traits<char>::length(kMessageExtension);
    if (name.size() <= extension ||
        !equalsNoCase(std::string(name.substr(name.size() - extension)).c_str(),
                      kMessageExtension)) {
      continue;
    }
    name.remove_suffix(extension);
    if (!isValidMessageName(name)) continue;
    FileFacts facts;
    facts.name = std::string(name);
    facts.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    facts.written = (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                    found.ftLastWriteTime.dwLowDateTime;
    files.push_back(facts);
  } while (::FindNextFileA(find.get(), &found));
  std::sort(files.begin(), files.end(),
            [](const FileFacts& a, const FileFacts& b) { return upper(a.name) < upper(b.name); });
  return files;
}

uint64_t mix(uint64_t hash, uint64_t value) {
  for (int i = 0; i < 8; ++i) {
    hash = (hash ^ (value & 0xFF)) * 1099511628211ull;
    value >>= 8;
  }
  return hash;
}

// Writes a new file; false when it exists already or cannot be written (a partial file
// is removed again).
bool writeNewFile(const std::string& path, std::string_view text) {
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  if (writeAll(file.get(), text)) return true;
  file.reset();
  ::DeleteFileA(path.c_str());
  return false;
}

}  // namespace

std::vector<std::string> listFolders(std::string_view mailDatabase) {
  std::vector<std::string> folders;
  if (mailDatabase.empty()) return folders;
  std::string pattern(mailDatabase);
  if (pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA found;
  UniqueFind find(::FindFirstFileA(pattern.c_str(), &found));
  if (!find) return folders;
  do {
    // SPOOL holds what was sent (SENTnnnn.EML), not a mail folder.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        isValidFolderName(found.cFileName) && upper(found.cFileName) != "SPOOL")
      folders.push_back(found.cFileName);
  } while (::FindNextFileA(find.get(), &found));
  std::sort(folders.begin(), folders.end(),
            [](const std::string& a, const std::string& b) { return upper(a) < upper(b); });
  return folders;
}

std::optional<std::vector<StoredMessage>> listMessages(std::string_view mailDatabase,
                                                       std::string_view folder) {
  const std::string dir = existingFolder(mailDatabase, folder);
  if (dir.empty()) return std::nullopt;
  const FolderState state = stateOf(dir);
  std::vector<StoredMessage> messages;
  for (const FileFacts& file : messageFiles(dir))
    messages.push_back({file.name, state.statusOf(file.name)});
  return messages;
}

std::optional<uint64_t> folderFingerprint(std::string_view mailDatabase, std::string_view folder) {
  const std::string dir = existingFolder(mailDatabase, folder);
  if (dir.empty()) return std::nullopt;
  const FolderState state = stateOf(dir);
  uint64_t hash = 14695981039346656037ull;
  for (const FileFacts& file : messageFiles(dir)) {
    for (char c : upper(file.name)) hash = mix(hash, static_cast<unsigned char>(c));
    hash = mix(mix(mix(hash, file.size), file.written), state.statusOf(file.name));
  }
  // 0 stands for "never indexed" in the state file.
  return hash == 0 ? 1 : hash;
}

bool markFolderIndexed(std::string_view mailDatabase, std::string_view folder,
                       uint64_t fingerprint) {
  const std::string dir = existingFolder(mailDatabase, folder);
  if (dir.empty()) return false;
  return updateFolderState(dir, [&](FolderState& state) {
    if (state.indexed == fingerprint) return false;  // nothing to write
    state.indexed = fingerprint;
    return true;
  });
}

std::optional<FolderState> readFolderState(std::string_view mailDatabase, std::string_view folder) {
  const std::string dir = existingFolder(mailDatabase, folder);
  if (dir.empty()) return std::nullopt;
  return stateOf(dir);
}

std::vector<std::string> readFolderNotice(std::string_view mailDatabase, std::string_view folder) {
  std::vector<std::string> lines;
  const std::string dir = existingFolder(mailDatabase, folder);
  if (dir.empty()) return lines;
  std::optional<std::string> text =
      readWholeFile(dir + "\\" + kFolderNoticeFileName, kMaxNoticeSize);
  if (!text) return lines;
  size_t pos = 0;
  while (pos < text->size() && lines.size() < kMaxNoticeLines) {
    size_t end = text->find('\n', pos);
    if (end == std::string::npos) end = text->size();
    std::string line = text->substr(pos, end - pos);
    pos = end + 1;
    for (char& c : line) {
      const unsigned char u = static_cast<unsigned char>(c);
      if (u < 0x20 || u == 0x7F || u == 0xFF) c = ' ';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (line.find_first_not_of(' ') != std::string::npos) lines.push_back(line);
  }
  return lines;
}

std::string messagePath(std::string_view mailDatabase, const MessageId& id) {
  if (!isValidMessageName(id.name)) return std::string();
  const std::string dir = folderDirectory(mailDatabase, id.folder);
  return dir.empty() ? std::string() : dir + "\\" + id.name + kMessageExtension;
}

std::optional<std::string> readMessage(std::string_view mailDatabase, const MessageId& id) {
  const std::string path = messagePath(mailDatabase, id);
  if (path.empty()) return std::nullopt;
  return readWholeFile(path, kMaxMessageSize);
}

namespace {

bool isMessageFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

std::optional<uint32_t> messageStatus(std::string_view mailDatabase, const MessageId& id) {
  const std::string path = messagePath(mailDatabase, id);
  if (path.empty() || !isMessageFile(path)) return std::nullopt;
  return stateOf(folderDirectory(mailDatabase, id.folder)).statusOf(id.name);
}

std::optional<MessageId> addMessage(std::string_view mailDatabase, std::string_view folder,
                                    std::string_view text, uint32_t status) {
  const std::string dir = existingFolder(mailDatabase, folder);
  if (dir.empty() || text.size() > kMaxMessageSize) return std::nullopt;
  std::optional<MessageId> added;
  updateFolderState(dir, [&](FolderState& state) {
    // Numbered files written by hand may lie beyond the counter.
    uint32_t number = state.next;
    for (const FileFacts& file : messageFiles(dir)) {
      if (std::optional<uint32_t> n = messageNumber(file.name); n && *n >= number && *n < 99999999u)
        number = *n + 1;
    }
    for (int attempt = 0; attempt < kNameAttempts && number <= 99999999u; ++attempt, ++number) {
      const std::string name = numberedMessageName(number);
      if (!writeNewFile(dir + "\\" + name + kMessageExtension, text)) {
        if (::GetLastError() == ERROR_FILE_EXISTS) continue;
        return false;
      }
      state.next = number + 1;
      state.setStatus(name, status);
      added = MessageId{std::string(folder), name, (status & kStatusDraft) != 0};
      return true;
    }
    return false;
  });
  return added;
}

std::optional<MessageId> fileMessage(std::string_view mailDatabase, const MessageId& from,
                                     std::string_view targetFolder, bool keepOriginal) {
  if (equalsNoCase(from.folder.c_str(), std::string(targetFolder).c_str())) return std::nullopt;
  std::optional<std::string> text = readMessage(mailDatabase, from);
  std::optional<uint32_t> status = messageStatus(mailDatabase, from);
  if (!text || !status) return std::nullopt;
  // The copy is written before the original goes, so a failure loses nothing.
  std::optional<MessageId> filed = addMessage(mailDatabase, targetFolder, *text, *status);
  if (filed && !keepOriginal) deleteMessage(mailDatabase, from);
  return filed;
}

bool deleteMessage(std::string_view mailDatabase, const MessageId& id) {
  const std::string path = messagePath(mailDatabase, id);
  if (path.empty() || !::DeleteFileA(path.c_str())) return false;
  updateFolderState(folderDirectory(mailDatabase, id.folder), [&](FolderState& state) {
    if (state.statusOf(id.name) == 0) return false;
    state.setStatus(id.name, 0);
    return true;
  });
  return true;
}

std::optional<uint32_t> updateMessageStatus(std::string_view mailDatabase, const MessageId& id,
                                            uint32_t set, uint32_t clear) {
  const std::string path = messagePath(mailDatabase, id);
  if (path.empty() || !isMessageFile(path)) return std::nullopt;
  std::optional<uint32_t> result;
  updateFolderState(folderDirectory(mailDatabase, id.folder), [&](FolderState& state) {
    const uint32_t flags = ((state.statusOf(id.name) | set) & ~clear) & kStatusKnown;
    result = flags;
    if (flags == state.statusOf(id.name)) return false;
    state.setStatus(id.name, flags);
    return true;
  });
  return result;
}

}  // namespace qp::mailstore
