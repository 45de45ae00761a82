// The operations of QPXMULTI on one message: the MULTI tag of the identifier picks the
// member, which gets the identifier without the tag. A loaded message's addresses from a
// member other than the primary one come back typed with the member's mailbox type, its
// attachment references tagged; attachment references are turned into local files by
// the member that holds them.
#include "multi/message_exports.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "common/text.h"
#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"
#include "multi/core/member_address.h"
#include "multi/export_guard.h"
#include "multi/member_sessions.h"
#include "multi/tag_routing.h"

namespace qpmulti {

namespace {

constexpr size_t kMailboxTypeSize = 152;
constexpr size_t kMemberAddressSize = 500;
constexpr size_t kReferenceSize = 500;
// Scans of the host's arrays stop here at the latest.
constexpr size_t kMaxAddresses = 50000;
constexpr size_t kMaxAttachments = 200;
// An array entry's typed address is formed in a buffer that holds any result: the parts
// are cut to their buffers before, so nothing is ever cut here.
constexpr size_t kTypedWorkSize = kFullNameSize + kMailboxTypeSize + kBareAddressSize + 8;
constexpr size_t kLogSize = 600;

struct MailboxType {
  char text[kMailboxTypeSize] = "";
  explicit MailboxType(QPSESSION member) { GetUserMailboxType(member, text); }
};

void encodeFullName(char* text, size_t size, void*) {
  EncodeFullName(text, static_cast<int32_t>(size));
}

bool isBlank(const char* text) { return *FindNonBlank(text) == '\0'; }

char* newBlock(const char* text) {
  const size_t length = std::strlen(text);
  char* block = static_cast<char*>(QPmalloc(static_cast<uint32_t>(length + 1)));
  if (block != nullptr) std::memcpy(block, text, length + 1);
  return block;
}

// Types the address a member wrote into the host's address buffer. A blank buffer gets
// the member's own identity. A buffer that stays blank, or a typed address that would
// not fit kLoadAddressBufferSize, leaves the member's text as it was.
void typeAddressBuffer(char* buffer, QPSESSION member, const char* memberUser, const char* type) {
  buffer[kLoadAddressBufferSize - 1] = '\0';  // whatever the member left there
  char fullName[kFullNameSize] = "";
  char bare[kBareAddressSize] = "";
  if (isBlank(buffer)) {
    char ownAddress[kMemberAddressSize] = "";
    QPiGetFullName(member, memberUser, fullName);
    QPiGetFullAddress(member, memberUser, ownAddress);
    fullName[kFullNameSize - 1] = ownAddress[kMemberAddressSize - 1] = '\0';
    // A full address may carry the name too; only the bare address goes behind the type.
    StripFullName(ownAddress, bare, sizeof bare);
  } else {
    ParseFullNameFromAddress(buffer, fullName, sizeof fullName);
    StripFullName(buffer, bare, sizeof bare);
  }
  if (isBlank(bare)) return;
  char typed[kLoadAddressBufferSize];
  if (TypeMemberAddress(fullName, bare, type, encodeFullName, nullptr, typed, sizeof typed)) {
    std::memcpy(buffer, typed, std::strlen(typed) + 1);
  } else {
    char line[kLogSize];
    std::snprintf(line, sizeof line, "Typed address of %s does not fit the address buffer: %.400s",
                  type, buffer);
    WriteDebugLog(-1, line);
  }
}

// Types every address of a null-terminated array in place (new block, old one freed).
// An entry whose block cannot be allocated, and a blank one, stay as they are.
void typeAddressArray(char** addresses, const char* type) {
  if (addresses == nullptr) return;
  for (size_t i = 0; i < kMaxAddresses && addresses[i] != nullptr; ++i) {
    if (isBlank(addresses[i])) continue;
    char fullName[kFullNameSize] = "";
    char bare[kBareAddressSize] = "";
    ParseFullNameFromAddress(addresses[i], fullName, sizeof fullName);
    StripFullName(addresses[i], bare, sizeof bare);
    char typed[kTypedWorkSize];
    TypeMemberAddress(fullName, bare, type, encodeFullName, nullptr, typed, sizeof typed);
    if (char* block = newBlock(typed)) {
      QPfree(addresses[i]);
      addresses[i] = block;
    }
  }
}

// Tags every attachment that is not a local file with the member's MULTI tag.
void tagAttachments(char** attachments, unsigned slot) {
  if (attachments == nullptr) return;
  for (size_t i = 0; i < kMaxAttachments && attachments[i] != nullptr; ++i) {
    if (Exist(attachments[i])) continue;
    const size_t length = std::strlen(attachments[i]) + 24;  // "MULTI:", index, ":", zero
    char* block = static_cast<char*>(QPmalloc(static_cast<uint32_t>(length)));
    if (block == nullptr) continue;
    std::snprintf(block, length, "MULTI:%u:%s", slot, attachments[i]);
    QPfree(attachments[i]);
    attachments[i] = block;
  }
}

// The routed member of a tagged identifier, after option propagation; false when there
// is no table or the identifier is not tagged for a member.
bool routeFor(QPSESSION host, const char* tagged, RoutedMember* routed,
              TagPrefixes prefixes = TagPrefixes::Single) {
  PropagateSessionOptions(host);
  const MemberSessionTable* table = findTable(host);
  return table != nullptr && routeTagged(*table, tagged, routed, prefixes);
}

int32_t loadMessage(QPSESSION host, const char* messageId, intptr_t arg4, intptr_t arg5,
                    char** firstAddresses, char** secondAddresses, char* addressBuffer,
                    const intptr_t (&middle)[4], char** attachments, const intptr_t (&last)[5]) {
  RoutedMember routed;
  if (!routeFor(host, messageId, &routed)) return 0;
  const MemberName name(routed.session);
  const MailboxType type(routed.session);
  const int32_t result =
      QPiLoadMailMessage(routed.session, name.text, routed.memberId, arg4, arg5, firstAddresses,
                         secondAddresses, nullptr, addressBuffer, middle[0], middle[1], middle[2],
                         middle[3], attachments, last[0], last[1], last[2], last[3], last[4]);
  if (result == 0) return result;
  // The primary member's addresses stay as it wrote them.
  if (routed.index != 0) {
    if (addressBuffer != nullptr)
      typeAddressBuffer(addressBuffer, routed.session, name.text, type.text);
    typeAddressArray(firstAddresses, type.text);
    typeAddressArray(secondAddresses, type.text);
  }
  tagAttachments(attachments, routed.index);
  return result;
}

// The text after the last '.' of the path's last component, into the extension buffer.
void extensionFromPath(const char* path, char* extension) {
  const char* end = static_cast<const char*>(std::memchr(path, '\0', kAttachmentPathSize));
  if (end == nullptr) return;  // not a text the member or host terminated
  const char* dot = nullptr;
  for (const char* p = path; p < end; ++p) {
    if (*p == '.') dot = p;
    if (*p == '\\' || *p == '/') dot = nullptr;
  }
  if (dot != nullptr) qp::copyText(extension, kExtensionBufferSize, dot + 1);
}

void qualifyAttachment(QPSESSION host, const char* name, char* path, char* extension,
                       int32_t* isTemporary) {
  if (extension != nullptr) extension[0] = '\0';
  PropagateSessionOptions(host);
  char line[kLogSize];
  std::snprintf(line, sizeof line, "Qualifying attachment %.500s",
                name != nullptr ? name : "(null)");
  WriteDebugLog(-1, line);
  const MemberSessionTable* table = findTable(host);
  if (table == nullptr || name == nullptr || path == nullptr) return;

  // Delivers a local file's own path. One that does not fit is not delivered (nothing is
  // written): a cut path would name another file.
  auto deliverLocal = [&](const char* local) {
    if (std::strlen(local) >= kAttachmentPathSize) return false;
    qp::copyText(path, kAttachmentPathSize, local);
    if (isTemporary != nullptr) *isTemporary = 0;
    return true;
  };
  if (Exist(name)) {
    if (!deliverLocal(name)) return;
  } else {
    RoutedMember routed;
    if (!routeTagged(*table, name, &routed, TagPrefixes::Repeated)) return;
    const MemberName memberName(routed.session);
    const MailboxType type(routed.session);
    if (Exist(routed.memberId)) {
      if (!deliverLocal(routed.memberId)) return;
    } else {
      // The member expects its own type prefix in front of its reference.
      char typed[kReferenceSize];
      const size_t typeLength = std::strlen(type.text);
      const bool hasPrefix =
          qp::startsWithNoCase(routed.memberId, type.text) && routed.memberId[typeLength] == ':';
      bool fits = hasPrefix ? qp::copyText(typed, routed.memberId)
                            : qp::copyText(typed, type.text) && qp::appendText(typed, ":") &&
                                  qp::appendText(typed, routed.memberId);
      if (!fits) return;  // a cut reference would name another attachment
      QPiQualifyAttachmentName(routed.session, memberName.text, typed, path, extension,
                               isTemporary);
    }
  }
  if (extension != nullptr && extension[0] == '\0') extensionFromPath(path, extension);
}

}  // namespace

}  // namespace qpmulti

int32_t QPAPI QPILoadMailMessage(QPSESSION host, const char* /*userName*/, const char* messageId,
                                 intptr_t arg4, intptr_t arg5, char** firstAddresses,
                                 char** secondAddresses, char* addressBuffer, intptr_t arg9,
                                 intptr_t arg10, intptr_t arg11, intptr_t arg12,
                                 char** attachmentList, intptr_t arg14, intptr_t arg15,
                                 intptr_t arg16, intptr_t arg17, intptr_t arg18, intptr_t /*arg19*/,
                                 intptr_t /*arg20*/) {
  const intptr_t middle[4] = {arg9, arg10, arg11, arg12};
  const intptr_t last[5] = {arg14, arg15, arg16, arg17, arg18};
  return qpmulti::guardExport(0, [&] {
    return qpmulti::loadMessage(host, messageId, arg4, arg5, firstAddresses, secondAddresses,
                                addressBuffer, middle, attachmentList, last);
  });
}

int32_t QPAPI QPIUpdateMailMessageStatus(QPSESSION host, const char* /*userName*/,
                                         intptr_t /*arg3*/, intptr_t /*arg4*/,
                                         const char* messageId, intptr_t arg6, intptr_t arg7,
                                         intptr_t /*arg8*/, intptr_t /*arg9*/) {
  return qpmulti::guardExport(0, [&] {
    qpmulti::RoutedMember routed;
    if (!qpmulti::routeFor(host, messageId, &routed)) return 0;
    const qpmulti::MemberName name(routed.session);
    return QPiUpdateMailMessageStatus(routed.session, name.text, routed.memberId, arg6, arg7);
  });
}

int32_t QPAPI QPIDeleteMailMessage(QPSESSION host, const char* /*userName*/, intptr_t arg3,
                                   const char* messageId) {
  return qpmulti::guardExport(0, [&] {
    qpmulti::RoutedMember routed;
    if (!qpmulti::routeFor(host, messageId, &routed)) return 0;
    const qpmulti::MemberName name(routed.session);
    return QPiDeleteMailMessage(routed.session, name.text, arg3, routed.memberId);
  });
}

int32_t QPAPI QPIOpenRFC822MessageFile(QPSESSION host, const char* /*userName*/,
                                       const char* messageId) {
  return qpmulti::guardExport(-1, [&] {
    qpmulti::RoutedMember routed;
    if (!qpmulti::routeFor(host, messageId, &routed)) return -1;
    const qpmulti::MemberName name(routed.session);
    return QPiOpenRFC822MessageFile(routed.session, name.text, routed.memberId);
  });
}

void QPAPI QPIQualifyAttachmentName(QPSESSION host, const char* /*userName*/,
                                    const char* attachmentName, char* path, char* extension,
                                    int32_t* isTemporary) {
  qpmulti::guardExport(
      [&] { qpmulti::qualifyAttachment(host, attachmentName, path, extension, isTemporary); });
}
