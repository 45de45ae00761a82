// The message layer of a sample mail store: how folders map to subdirectories of the mail
// database directory, how messages are stored in them (one RFC 822 file each, status
// flags in the folder's state file), the message ids the library hands out, and the file
// operations the exports build on. Names, ids and the state file's text are portable
// (message_names.cpp); the file operations are Win32 (message_files.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qp::mailstore {

// ---- Folders ------------------------------------------------------------------------------
// A folder is a subdirectory of the mail database directory named like the folder; names
// compare without regard to case, as the file system does. The folder an operation
// without a folder name (null or empty) means:
constexpr const char* kDefaultFolder = "Inbox";
constexpr size_t kMaxFolderName = 64;

// A folder name that stays one directory inside the mail database: 1..kMaxFolderName
// characters; none of \ / : * ? " < > |, control characters, 0x7F or 0xFF (the list
// separator); not "." or ".."; no blank at either end and no "." at the end (Windows
// drops those, so two names would share one directory); not a reserved device name
// (CON, PRN, AUX, NUL, COM1..9, LPT1..9, with or without an extension).
bool isValidFolderName(std::string_view name);

// The folder's directory, "<mail database>\<name>" without a trailing separator;
// "" for an empty mail database or a name isValidFolderName refuses. A null or empty
// name means kDefaultFolder (use folderNameOrDefault first).
std::string folderDirectory(std::string_view mailDatabase, std::string_view folderName);
// `name`, or kDefaultFolder when it is null or empty.
std::string_view folderNameOrDefault(const char* name);

// ---- Messages -----------------------------------------------------------------------------
// A message is a file "<message name>.MSG" in its folder's directory holding the message
// as RFC 822 text (header lines, an empty line, the body; CRLF or LF line ends). A
// message name is 1..kMaxMessageName letters, digits, '-' or '_'; the library names the
// messages it writes with eight decimal digits ("00000012") from the folder's counter.
// Files of other names (and subdirectories) are not messages.
constexpr const char* kMessageExtension = ".MSG";
constexpr size_t kMaxMessageName = 32;
bool isValidMessageName(std::string_view name);
std::string numberedMessageName(uint32_t number);  // "%08u"
// The number of a numbered name ("00000012" -> 12), or nothing for other names.
std::optional<uint32_t> messageNumber(std::string_view name);

// The message id the library hands out: "<folder>/<message name>", for a draft
// "DFT:<folder>/<message name>". Folder names hold no "/", so the first "/" splits.
// Ids are read without regard to the case of "DFT:", folder or name.
struct MessageId {
  std::string folder;
  std::string name;
  bool draft = false;  // written with "DFT:"; reading accepts either form for any message
};
std::string formatMessageId(const MessageId& id);
// Nothing for a null text, or a folder or name the rules above refuse.
std::optional<MessageId> parseMessageId(const char* text);

// An attachment reference, as a loaded message lists its attachments:
// "<TYPE>:<message id>/<part number>/<file name>" (TYPE the session's mailbox type; the
// part number is the attachment's place among the message's attachments, counted from 1,
// see rfc822.h). Reading needs
// only "<TYPE>:<message id>/<part number>"; everything after the next "/" is ignored,
// so a reference that had "/<name>" appended once more still resolves.
struct AttachmentRef {
  MessageId message;
  uint32_t part = 0;
};
std::string formatAttachmentRef(std::string_view type, const MessageId& id, uint32_t part,
                                std::string_view fileName);
// Nothing when the text does not begin with `type` and ":" (letter case aside) or the
// rest does not parse.
std::optional<AttachmentRef> parseAttachmentRef(const char* text, std::string_view type);

// ---- Status flags ---------------------------------------------------------------------------
constexpr uint32_t kStatusSeen = 0x1;
constexpr uint32_t kStatusAnswered = 0x2;
constexpr uint32_t kStatusFlagged = 0x4;
constexpr uint32_t kStatusDraft = 0x8;  // the index hands the message out with "DFT:"
constexpr uint32_t kStatusKnown = 0xF;  // other bits are dropped when flags are set

// ---- The folder's state file ----------------------------------------------------------------
// "FOLDER.DAT" in the folder's directory, lines "key=value":
//   next=<n>          the number the next new message gets (never reused)
//   indexed=<hex>     the folder's fingerprint when its index was last built
//   status.<NAME>=<flags in 0x hex>   one line per message with flags other than 0
// A missing file reads as the empty state; unknown or broken lines are ignored.
constexpr const char* kFolderStateFileName = "FOLDER.DAT";
struct FolderState {
  uint32_t next = 1;
  uint64_t indexed = 0;
  std::map<std::string, uint32_t> status;  // keys in capitals
  uint32_t statusOf(std::string_view name) const;
  void setStatus(std::string_view name, uint32_t flags);  // 0 removes the line
};
FolderState parseFolderState(std::string_view text);
std::string formatFolderState(const FolderState& state);

// ---- The folder's notice ---------------------------------------------------------------------
// "NOTICE.TXT" in the folder's directory: each non-blank line is listed at the head of the
// folder's index as a line of text without a message id (no separator), as a server
// shows a note about the folder.
constexpr const char* kFolderNoticeFileName = "NOTICE.TXT";

// ---- File operations (Win32) -------------------------------------------------------------------
// All take the mail database directory and return nothing / false when a folder name or
// id is invalid, the folder directory does not exist, or a file cannot be read or written.
// Updates of FOLDER.DAT take an exclusive lock on it, so sessions of several processes
// may change one folder at once.

struct StoredMessage {
  std::string name;  // as on disk, without ".MSG"
  uint32_t status = 0;
};
// The folders of the mail database: its subdirectories whose names isValidFolderName
// accepts, in the order of their names letter case aside.
std::vector<std::string> listFolders(std::string_view mailDatabase);
// The folder's messages, ordered by name (numbered names in number order).
std::optional<std::vector<StoredMessage>> listMessages(std::string_view mailDatabase,
                                                       std::string_view folder);
// The folder's fingerprint: changes whenever a message is added, removed or rewritten or
// its flags change. Nothing for a missing folder.
std::optional<uint64_t> folderFingerprint(std::string_view mailDatabase, std::string_view folder);
// Records the fingerprint as the one the last index was built from.
bool markFolderIndexed(std::string_view mailDatabase, std::string_view folder,
                       uint64_t fingerprint);
std::optional<FolderState> readFolderState(std::string_view mailDatabase, std::string_view folder);
// The notice lines of the folder (none when it has no NOTICE.TXT).
std::vector<std::string> readFolderNotice(std::string_view mailDatabase, std::string_view folder);

// The path of a message's file ("" for an invalid id); the file need not exist.
std::string messagePath(std::string_view mailDatabase, const MessageId& id);
// The message's text, at most kMaxMessageSize bytes (longer files are refused).
constexpr size_t kMaxMessageSize = 16 * 1024 * 1024;
std::optional<std::string> readMessage(std::string_view mailDatabase, const MessageId& id);
std::optional<uint32_t> messageStatus(std::string_view mailDatabase, const MessageId& id);

// Writes a new message into an existing folder with the given flags; its name comes from
// the folder's counter. Returns the new message's id.
std::optional<MessageId> addMessage(std::string_view mailDatabase, std::string_view folder,
                                    std::string_view text, uint32_t status);
// Moves (keepOriginal false) or copies a message, with its flags, to another existing
// folder of the same mail database, where it gets a new numbered name. Filing into the
// folder that holds it is refused. Returns the id in the target folder.
std::optional<MessageId> fileMessage(std::string_view mailDatabase, const MessageId& from,
                                     std::string_view targetFolder, bool keepOriginal);
// Removes the message's file and its flags.
bool deleteMessage(std::string_view mailDatabase, const MessageId& id);
// Sets the bits of `set`, then clears those of `clear` (kStatusKnown bits only).
// Returns the new flags.
std::optional<uint32_t> updateMessageStatus(std::string_view mailDatabase, const MessageId& id,
                                            uint32_t set, uint32_t clear);

}  // namespace qp::mailstore
