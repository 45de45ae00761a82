// Exports of the sample interface library for one stored message: loading it, changing
// its status flags, deleting it, opening its file, and extracting an attachment into a
// temporary file. Every call is journaled in the session's mail database.
#include <windows.h>

#include <cstring>
#include <string>

#include "common/text.h"
#include "common/win/unique.h"
#include "host/mailstore/message_store.h"
#include "host/mailstore/rfc822.h"
#include "host/mailstore/store_files.h"
#include "host/mailstore/store_paths.h"
#include "hostapi/qpi_ops.h"
#include "hostapi/qpxcomm.h"

extern "C" {
#define QP_DECLARE_EXPORT(Name, Result, Params, Args) Result QPAPI QPI##Name Params;
QP_FORWARDED_OPS(QP_DECLARE_EXPORT)
QP_OTHER_SHAPE_OPS(QP_DECLARE_EXPORT)
#undef QP_DECLARE_EXPORT
}

namespace {

using namespace qp::mailstore;

// The host's buffers for QPILoadMailMessage and QPIQualifyAttachmentName hold at least:
constexpr size_t kSubjectSize = QP_TEXT_LARGE;
constexpr size_t kDateSize = QP_TEXT_SMALL;
constexpr size_t kAddressSize = QP_TEXT_LARGE;
constexpr size_t kPathSize = MAX_PATH;
constexpr size_t kExtensionSize = 100;
// Capacities of the host's arrays (the null pointer that ends them not counted).
constexpr int32_t kAddressCapacity = 50000;
constexpr int32_t kAttachmentCapacity = 200;
// QPILoadMailMessage's flag (arg12): mark the message as seen.
constexpr intptr_t kLoadMarksSeen = 0x1;
// A temporary attachment file's name keeps this much of the attachment's name.
constexpr size_t kTempNameLength = 80;

std::string sessionType(QPSESSION session) {
  char type[QP_TEXT_SMALL] = "";
  GetUserMailboxType(session, type);
  return type;
}

// Appends a QPmalloc'd copy of `text` at the first free place of a null-terminated array
// of `capacity` + 1 pointers; false when it is full or memory ran out.
bool appendToArray(char** array, int32_t capacity, const std::string& text) {
  int32_t used = 0;
  while (used < capacity && array[used] != nullptr) ++used;
  if (used >= capacity) return false;
  char* entry = static_cast<char*>(QPmalloc(static_cast<uint32_t>(text.size() + 1)));
  if (entry == nullptr) return false;
  memcpy(entry, text.c_str(), text.size() + 1);
  array[used] = entry;
  return true;
}

char* copyToBlock(const std::string& text) {
  char* block = static_cast<char*>(QPmalloc(static_cast<uint32_t>(text.size() + 1)));
  if (block != nullptr) memcpy(block, text.c_str(), text.size() + 1);
  return block;
}

// Writes `bytes` into a new file of the temporary directory named after the attachment;
// its path, or "" when none could be written within kPathSize.
std::string writeTemporaryFile(const std::string& fileName, const std::string& bytes) {
  char temp[MAX_PATH];
  const DWORD length = ::GetTempPathA(sizeof temp, temp);
  if (length == 0 || length >= sizeof temp) return std::string();
  static LONG counter = 0;
  const std::string name = safeFileName(fileName, kTempNameLength);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = std::string(temp) + "QPA" + std::to_string(::GetCurrentProcessId()) +
                             "-" + std::to_string(::InterlockedIncrement(&counter)) + "-" + name;
    if (path.size() >= kPathSize) return std::string();
    qp::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      if (::GetLastError() == ERROR_FILE_EXISTS) continue;
      return std::string();
    }
    DWORD written = 0;
    if (bytes.size() > MAXDWORD ||
        !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size()) {
      file.reset();
      ::DeleteFileA(path.c_str());
      return std::string();
    }
    return path;
  }
  return std::string();
}

int32_t loadMessage(QPSESSION session, const char* messageId, char* subject, char* date,
                    char** toAddresses, char** ccAddresses, char* fromAddress, char** body,
                    int32_t* status, intptr_t flags, char** attachments) {
  const std::string mailDatabase = sessionMailDatabase(session);
  std::optional<MessageId> id = parseMessageId(messageId);
  if (!id) return 0;
  std::optional<std::string> text = readMessage(mailDatabase, *id);
  std::optional<uint32_t> flagsNow = messageStatus(mailDatabase, *id);
  if (!text || !flagsNow) return 0;
  const ParsedMessage message = parseMessage(*text);

  if (subject != nullptr)
    qp::copyText(subject, kSubjectSize, headerValue(message, "Subject").c_str());
  if (date != nullptr) qp::copyText(date, kDateSize, headerValue(message, "Date").c_str());
  if (fromAddress != nullptr)
    qp::copyText(fromAddress, kAddressSize, headerValue(message, "From").c_str());
  // A list that runs out of room or memory keeps what it got (-1 from the splitter).
  if (toAddresses != nullptr)
    AddressStringToArray(headerValue(message, "To").c_str(), toAddresses, kAddressCapacity);
  if (ccAddresses != nullptr)
    AddressStringToArray(headerValue(message, "Cc").c_str(), ccAddresses, kAddressCapacity);
  if (body != nullptr) *body = copyToBlock(message.text);

  if (attachments != nullptr) {
    const std::string type = sessionType(session);
    for (size_t i = 0; i < message.attachments.size(); ++i) {
      const std::string ref = formatAttachmentRef(type, *id, static_cast<uint32_t>(i + 1),
                                                  message.attachments[i].fileName);
      if (!appendToArray(attachments, kAttachmentCapacity, ref)) break;
    }
  }
  uint32_t now = *flagsNow;
  if ((flags & kLoadMarksSeen) != 0 && (now & kStatusSeen) == 0) {
    if (std::optional<uint32_t> updated = updateMessageStatus(mailDatabase, *id, kStatusSeen, 0))
      now = *updated;
  }
  if (status != nullptr) *status = static_cast<int32_t>(now);
  return 1;
}

void qualify(QPSESSION session, const char* reference, char* localPath, char* extension,
             int32_t* isTemporary) {
  if (reference == nullptr || localPath == nullptr) return;
  if (Exist(reference)) {
    // A local file stays where it is.
    if (strlen(reference) >= kPathSize) return;
    qp::copyText(localPath, kPathSize, reference);
    if (extension != nullptr)
      qp::copyText(extension, kExtensionSize, fileExtension(reference).c_str());
    if (isTemporary != nullptr) *isTemporary = 0;
    return;
  }
  std::string type = sessionType(session);
  std::optional<AttachmentRef> ref = parseAttachmentRef(reference, type);
  if (!ref) return;
  std::optional<std::string> text = readMessage(sessionMailDatabase(session), ref->message);
  if (!text) return;
  const ParsedMessage message = parseMessage(*text);
  if (ref->part > message.attachments.size()) return;
  const Attachment& attachment = message.attachments[ref->part - 1];
  const std::string path =
      writeTemporaryFile(attachment.fileName, decodeBody(attachment.raw, attachment.encoding));
  if (path.empty()) return;
  qp::copyText(localPath, kPathSize, path.c_str());
  if (extension != nullptr)
    qp::copyText(extension, kExtensionSize, fileExtension(attachment.fileName).c_str());
  if (isTemporary != nullptr) *isTemporary = 1;
}

}  // namespace

// arg4: subject buffer (500 bytes) or null; arg5: date buffer (150 bytes) or null;
// firstAddresses, secondAddresses: the To and Cc addresses are appended (arrays of
// 50,001 pointers); addressBuffer (500 bytes): the From address; arg10: char** that
// receives the readable text as a QPmalloc'd string (the caller frees it) or null;
// arg11: int32_t* that receives the status flags, or null; arg12: 1 marks the message
// as seen; attachmentList (201 pointers): one reference per attachment is appended.
// arg13 and arg15 to arg19 are not used. 1 when the message was loaded, else 0 (nothing
// written).
int32_t QPAPI QPILoadMailMessage(QPSESSION session, const char* userName, const char* messageId,
                                 intptr_t arg4, intptr_t arg5, char** firstAddresses,
                                 char** secondAddresses, void* reservedPointer, char* addressBuffer,
                                 intptr_t arg10, intptr_t arg11, intptr_t arg12, intptr_t arg13,
                                 char** attachmentList, intptr_t arg15, intptr_t arg16,
                                 intptr_t arg17, intptr_t arg18, intptr_t arg19) {
  (void)reservedPointer, (void)arg13, (void)arg15, (void)arg16, (void)arg17, (void)arg18,
      (void)arg19;
  try {
    journalForSession(session, JournalLine("LoadMailMessage")
                                   .number(session)
                                   .text(userName)
                                   .text(messageId)
                                   .number(arg12));
    return loadMessage(session, messageId, reinterpret_cast<char*>(arg4),
                       reinterpret_cast<char*>(arg5), firstAddresses, secondAddresses,
                       addressBuffer, reinterpret_cast<char**>(arg10),
                       reinterpret_cast<int32_t*>(arg11), arg12, attachmentList);
  } catch (...) {
    return 0;
  }
}

// arg4: status bits to set, arg5: bits to clear (message_store.h). 1 when the message
// exists, else 0.
int32_t QPAPI QPIUpdateMailMessageStatus(QPSESSION session, const char* userName,
                                         const char* messageId, intptr_t arg4, intptr_t arg5) {
  try {
    journalForSession(session, JournalLine("UpdateMailMessageStatus")
                                   .number(session)
                                   .text(userName)
                                   .text(messageId)
                                   .number(arg4)
                                   .number(arg5));
    std::optional<MessageId> id = parseMessageId(messageId);
    if (!id) return 0;
    return updateMessageStatus(sessionMailDatabase(session), *id, static_cast<uint32_t>(arg4),
                               static_cast<uint32_t>(arg5))
               ? 1
               : 0;
  } catch (...) {
    return 0;
  }
}

// arg3 is not used. 1 when the message was deleted, else 0.
int32_t QPAPI QPIDeleteMailMessage(QPSESSION session, const char* userName, intptr_t arg3,
                                   const char* messageId) {
  try {
    journalForSession(session, JournalLine("DeleteMailMessage")
                                   .number(session)
                                   .text(userName)
                                   .number(arg3)
                                   .text(messageId));
    std::optional<MessageId> id = parseMessageId(messageId);
    return id && deleteMessage(sessionMailDatabase(session), *id) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// A handle of the message's file opened for reading, which the caller closes with
// CloseHandle, or -1. Windows keeps kernel handles within 32 bits (HandleToLong and
// LongToHandle exist for that), so the handle survives the 32-bit result in 64-bit
// builds too.
int32_t QPAPI QPIOpenRFC822MessageFile(QPSESSION session, const char* userName,
                                       const char* messageId) {
  try {
    journalForSession(
        session,
        JournalLine("OpenRFC822MessageFile").number(session).text(userName).text(messageId));
    std::optional<MessageId> id = parseMessageId(messageId);
    if (!id) return -1;
    const std::string path = messagePath(sessionMailDatabase(session), *id);
    if (path.empty()) return -1;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? -1 : HandleToLong(file);
  } catch (...) {
    return -1;
  }
}

// attachmentRef: a reference as QPILoadMailMessage lists it ("<TYPE>:<id>/<n>/<name>"), or
// the path of a local file. localPath (260 bytes) receives the path of a new temporary
// file holding the attachment (temporary flag 1: the caller deletes it), or the local
// file's own path (flag 0); extension (100 bytes) its file name's extension. An unknown
// reference leaves all three as they were.
void QPAPI QPIQualifyAttachmentName(QPSESSION session, const char* userName,
                                    const char* attachmentRef, char* localPath, char* extension,
                                    int32_t* isTemporary) {
  try {
    journalForSession(
        session,
        JournalLine("QualifyAttachmentName").number(session).text(userName).text(attachmentRef));
    qualify(session, attachmentRef, localPath, extension, isTemporary);
  } catch (...) {
  }
}
