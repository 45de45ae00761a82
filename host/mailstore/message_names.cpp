// Folder and message names, message ids, attachment references and the text of a
// folder's state file. Portable.
#include <cstdio>
#include <cstring>

#include "common/text.h"
#include "host/mailstore/account.h"
#include "host/mailstore/message_store.h"

namespace qp::mailstore {

namespace {

constexpr char kDraftPrefix[] = "DFT:";
constexpr size_t kDraftPrefixLength = sizeof kDraftPrefix - 1;
// A message's flags in the state file: "status.<NAME>=0x..".
constexpr char kStatusKey[] = "status.";
constexpr size_t kStatusKeyLength = sizeof kStatusKey - 1;

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

// CON, PRN, AUX, NUL, COM1..9 and LPT1..9 name devices whatever extension follows.
bool isDeviceName(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
    if (equalsNoCase(stem, device)) return true;
  }
  if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9' &&
      (equalsNoCase(stem.substr(0, 3), "COM") || equalsNoCase(stem.substr(0, 3), "LPT"))) {
    return true;
  }
  return false;
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

}  // namespace

bool isValidFolderName(std::string_view name) {
  if (name.empty() || name.size() > kMaxFolderName) return false;
  if (name == "." || name == "..") return false;
  if (name.front() == ' ' || name.back() == ' ' || name.back() == '.') return false;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || u == 0xFF) return false;
    if (std::strchr("\\/:*?\"<>|", c) != nullptr) return false;
  }
  return !isDeviceName(name);
}

std::string_view folderNameOrDefault(const char* name) {
  return name == nullptr || name[0] == '\0' ? std::string_view(kDefaultFolder)
                                            : std::string_view(name);
}

std::string folderDirectory(std::string_view mailDatabase, std::string_view folderName) {
  if (mailDatabase.empty() || !isValidFolderName(folderName)) return std::string();
  std::string path(mailDatabase);
  if (path.back() != '\\' && path.back() != '/') path += '\\';
  path += folderName;
  return path;
}

bool isValidMessageName(std::string_view name) {
  if (name.empty() || name.size() > kMaxMessageName) return false;
  for (char c : name) {
    const bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                    c == '-' || c == '_';
    if (!ok) return false;
  }
  return !isDeviceName(name);
}

std::string numberedMessageName(uint32_t number) {
  char name[16];
  std::snprintf(name, sizeof name, "%08u", static_cast<unsigned>(number));
  return name;
}

std::optional<uint32_t> messageNumber(std::string_view name) {
  if (name.size() != 8) return std::nullopt;
  uint32_t number = 0;
  for (char c : name) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<uint32_t>(c - '0');
  }
  return number;
}

std::string formatMessageId(const MessageId& id) {
  return (id.draft ? std::string(kDraftPrefix) : std::string()) + id.folder + "/" + id.name;
}

std::optional<MessageId> parseMessageId(const char* text) {
  if (text == nullptr) return std::nullopt;
  std::string_view rest(text);
  MessageId id;
  if (startsWithNoCase(text, kDraftPrefix)) {
    id.draft = true;
    rest.remove_prefix(kDraftPrefixLength);
  }
  const size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  id.folder = std::string(rest.substr(0, slash));
  id.name = std::string(rest.substr(slash + 1));
  if (!isValidFolderName(id.folder) || !isValidMessageName(id.name)) return std::nullopt;
  return id;
}

std::string formatAttachmentRef(std::string_view type, const MessageId& id, uint32_t part,
                                std::string_view fileName) {
  MessageId plain = id;
  plain.draft = false;
  return std::string(type) + ":" + formatMessageId(plain) + "/" + std::to_string(part) + "/" +
         std::string(fileName);
}

std::optional<AttachmentRef> parseAttachmentRef(const char* text, std::string_view type) {
  if (text == nullptr || type.empty()) return std::nullopt;
  std::string_view rest(text);
  if (rest.size() <= type.size() || !equalsNoCase(rest.substr(0, type.size()), type) ||
      rest[type.size()] != ':') {
    return std::nullopt;
  }
  rest.remove_prefix(type.size() + 1);
  if (rest.size() >= kDraftPrefixLength &&
      equalsNoCase(rest.substr(0, kDraftPrefixLength), kDraftPrefix))
    rest.remove_prefix(kDraftPrefixLength);
  // <folder>/<name>/<part>[/anything]
  const size_t first = rest.find('/');
  if (first == std::string_view::npos) return std::nullopt;
  const size_t second = rest.find('/', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  AttachmentRef ref;
  ref.message.folder = std::string(rest.substr(0, first));
  ref.message.name = std::string(rest.substr(first + 1, second - first - 1));
  if (!isValidFolderName(ref.message.folder) || !isValidMessageName(ref.message.name))
    return std::nullopt;
  std::string_view digits = rest.substr(second + 1);
  digits = digits.substr(0, digits.find('/'));
  if (digits.empty() || digits.size() > 4) return std::nullopt;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    ref.part = ref.part * 10 + static_cast<uint32_t>(c - '0');
  }
  if (ref.part == 0) return std::nullopt;
  return ref;
}

uint32_t FolderState::statusOf(std::string_view name) const {
  auto found = status.find(upper(name));
  return found == status.end() ? 0 : found->second;
}

void FolderState::setStatus(std::string_view name, uint32_t flags) {
  flags &= kStatusKnown;
  if (flags == 0) {
    status.erase(upper(name));
  } else {
    status[upper(name)] = flags;
  }
}

FolderState parseFolderState(std::string_view text) {
  FolderState state;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = trimBlanks(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = trimBlanks(line.substr(0, equals));
    const std::string_view value = trimBlanks(line.substr(equals + 1));
    if (equalsNoCase(key, "next")) {
      if (std::optional<uint32_t> n = parseNumber(value); n && *n > 0) state.next = *n;
    } else if (equalsNoCase(key, "indexed")) {
      uint64_t fingerprint = 0;
      bool ok = !value.empty() && value.size() <= 16;
      for (char c : value) {
        const char l = lowerAscii(c);
        if (l >= '0' && l <= '9')
          fingerprint = fingerprint * 16 + static_cast<uint64_t>(l - '0');
        else if (l >= 'a' && l <= 'f')
          fingerprint = fingerprint * 16 + static_cast<uint64_t>(l - 'a' + 10);
        else
          ok = false;
      }
      if (ok) state.indexed = fingerprint;
    } else if (key.size() > kStatusKeyLength &&
               equalsNoCase(key.substr(0, kStatusKeyLength), kStatusKey) &&
               isValidMessageName(key.substr(kStatusKeyLength))) {
      if (std::optional<uint32_t> flags = parseNumber(value))
        state.setStatus(key.substr(kStatusKeyLength), *flags);
    }
  }
  return state;
}

std::string formatFolderState(const FolderState& state) {
  char line[64];
  std::snprintf(line, sizeof line, "next=%u\r\nindexed=%016llx\r\n",
                static_cast<unsigned>(state.next), static_cast<unsigned long long>(state.indexed));
  std::string text = line;
  for (const auto& [name, flags] : state.status) {
    std::snprintf(line, sizeof line, "=0x%X\r\n", static_cast<unsigned>(flags));
    text += kStatusKey;
    text += name;
    text += line;
  }
  return text;
}

}  // namespace qp::mailstore
