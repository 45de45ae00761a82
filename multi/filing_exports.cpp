// Putting a message into a folder of one member: QPIAddMailMessageToFolder stores a
// composed message with the first member that can take one, QPIFileMailMessageToFolder
// files a stored message within the member that holds it. Folder names are shared by
// all members, so a folder that only another member has is first created on the
// receiving one (EnsureMemberFolder).
#include <windows.h>

#include <cstring>

#include "hostapi/qpunique.h"
#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"
#include "multi/core/attachment_work.h"
#include "multi/export_guard.h"
#include "multi/folder_exports.h"
#include "multi/host_lists.h"
#include "multi/member_sessions.h"
#include "multi/message_exports.h"
#include "multi/tag_routing.h"

namespace qpmulti {

namespace {

// A member that reports this capability bit takes composed messages.
constexpr uint32_t kAddsMessages = 0x1;
constexpr size_t kFolderInfoSize = QP_TEXT_LARGE;
constexpr size_t kReferenceSize = 152;
// The qualified path shares its buffer size with the member user name.
constexpr size_t kPathSize = QP_TEXT_LARGE;
static_assert(kPathSize >= kAttachmentPathSize, "QPIQualifyAttachmentName's path buffer");

// True when member `member` has folder `folder` or has just created it. A folder that no
// member has is not created: folder names come from the members, so it would be new.
bool EnsureMemberFolder(QPSESSION host, const char* hostUser, QPSESSION member,
                        const char* memberUser, const char* folder) {
  char info[kFolderInfoSize] = "";
  int32_t count = 0;
  if (QPiGetMailMessageFolderInfo(member, memberUser, folder, &count, info) != 0) return true;
  char scratch[kFolderInfoSize] = "";
  int32_t anyCount = 0;
  if (QPIGetMailMessageFolderInfo(host, hostUser, folder, &anyCount, scratch) == 0) return false;
  // The member gets back the buffer its own query left, terminated whatever it wrote.
  info[kFolderInfoSize - 1] = '\0';
  return QPiCreateMailFolder(member, memberUser, folder, info) != 0;
}

// The member that receives composed messages: the lowest slot whose interface reports
// kAddsMessages, else the primary member; kEmptySlot when there is none.
QPSESSION chosenMember(const MemberSessionTable& table) {
  for (QPSESSION member : table.slots) {
    if (member != kEmptySlot && (QPiQueryCapabilities(member) & kAddsMessages) != 0) return member;
  }
  return table.slots[0];
}

// The three work arrays of an add: copies of the attachment files and names, and the
// temporary flag of every file position. Whatever happens, the member's temporary copies
// are deleted and every block goes back to the common library when the add ends.
class AttachmentWork {
 public:
  AttachmentWork()
      : files_(QPmalloc(kAttachmentSlots * sizeof(char*))),
        names_(QPmalloc(kAttachmentSlots * sizeof(char*))),
        flags_(QPmalloc(kAttachmentSlots * sizeof(int32_t))) {}
  ~AttachmentWork() {
    char** files = this->files();
    const int32_t* flags = qp::blockAs<int32_t>(flags_);
    for (size_t i = 0; files != nullptr && i < kMaxAttachments && files[i] != nullptr; ++i) {
      if (flags != nullptr && flags[i] != 0) ::DeleteFileA(files[i]);
    }
    releaseEntries(files);
    releaseEntries(names());
  }
  AttachmentWork(const AttachmentWork&) = delete;
  AttachmentWork& operator=(const AttachmentWork&) = delete;

  // Null when that array could not be allocated.
  char** files() const { return qp::blockAs<char*>(files_); }
  char** names() const { return qp::blockAs<char*>(names_); }
  int32_t* flags() const { return qp::blockAs<int32_t>(flags_); }

 private:
  static void releaseEntries(char** entries) {
    for (size_t i = 0; entries != nullptr && i < kMaxAttachments && entries[i] != nullptr; ++i)
      QPfree(entries[i]);
  }

  qp::UniqueQpBlock files_, names_, flags_;
};

// Turns every file entry that is no local file into the path QPIQualifyAttachmentName
// delivers for it. An entry keeps its text when no path comes back, when its reference
// does not fit, or when the new path cannot be allocated. Without a flag array nothing is
// qualified: a temporary copy could not be deleted afterwards.
void qualifyAttachments(QPSESSION host, const char* hostUser, const AttachmentWork& work) {
  char** files = work.files();
  char** names = work.names();
  int32_t* flags = work.flags();
  if (files == nullptr || flags == nullptr) return;
  const EntryMemory memory = hostEntryMemory();
  for (size_t i = 0; i < kMaxAttachments && files[i] != nullptr; ++i) {
    flags[i] = 0;
    if (Exist(files[i]) != 0) continue;
    // A name list that ended early (or none at all) gives an empty name.
    const char* name = names != nullptr ? names[i] : nullptr;
    char reference[kReferenceSize];
    if (!attachmentReference(files[i], name, reference, sizeof reference)) continue;
    // Cleared before every call: a call that delivers no path must not hand on the
    // previous attachment's path.
    char path[kPathSize] = "";
    char extension[kExtensionBufferSize] = "";
    QPIQualifyAttachmentName(host, hostUser, reference, path, extension, &flags[i]);
    // A path that does not end within the buffer would be a cut one, naming another file.
    const bool delivered = path[0] != '\0' && std::memchr(path, '\0', sizeof path) != nullptr;
    if (delivered && replaceEntryText(&files[i], path, memory)) continue;
    // The entry stays as it was, so no file of it is deleted later; a temporary copy made
    // for it goes now.
    if (delivered && flags[i] != 0) ::DeleteFileA(path);
    flags[i] = 0;
  }
}

// Copies a host attachment list (null: an empty one) whole into its work array; false
// when the array or the copy of any entry could not be allocated.
bool copyWhole(const char* const* source, char** copy) {
  if (copy == nullptr) return false;
  size_t entries = 0;
  while (source != nullptr && entries < kMaxAttachments && source[entries] != nullptr) ++entries;
  return copyEntryList(source, copy, kMaxAttachments, hostEntryMemory()) == entries;
}

int32_t addMessage(QPSESSION host, const char* hostUser, const char* folder, intptr_t arg4,
                   intptr_t arg5, intptr_t arg6, intptr_t arg7, intptr_t arg8, intptr_t arg9,
                   intptr_t arg10, char** attachmentFiles, char** attachmentNames, intptr_t arg13,
                   intptr_t arg14) {
  PropagateSessionOptions(host);
  const MemberSessionTable* table = findTable(host);
  if (table == nullptr) return 0;
  const QPSESSION member = chosenMember(*table);
  if (member == kEmptySlot) return 0;
  const MemberName memberUser(member);
  if (!EnsureMemberFolder(host, hostUser, member, memberUser.text, folder)) return 0;

  AttachmentWork work;
  if (!copyWhole(attachmentFiles, work.files()) || !copyWhole(attachmentNames, work.names())) {
    // A message stored without some of its attachments, reported as added, would lose
    // them: without memory for every copy nothing is added.
    WriteDebugLog(-1, "QPIAddMailMessageToFolder: no memory for the attachment lists");
    return 0;
  }
  qualifyAttachments(host, hostUser, work);
  return QPiAddMailMessageToFolder(member, memberUser.text, folder, arg4, arg5, arg6, arg7, arg8,
                                   arg9, arg10, work.files(), work.names(), arg13, arg14);
}

int32_t fileMessage(QPSESSION host, const char* hostUser, intptr_t arg3, const char* messageId,
                    const char* targetFolder, intptr_t arg6, intptr_t arg7) {
  PropagateSessionOptions(host);
  const MemberSessionTable* table = findTable(host);
  if (table == nullptr) return 0;
  RoutedMember routed;
  if (!routeTagged(*table, messageId, &routed)) return 0;
  const MemberName memberUser(routed.session);
  if (!EnsureMemberFolder(host, hostUser, routed.session, memberUser.text, targetFolder)) return 0;
  // Filed within the member that holds the message; it never moves to another member.
  return QPiFileMailMessageToFolder(routed.session, memberUser.text, arg3, routed.memberId,
                                    targetFolder, arg6, arg7);
}

}  // namespace

}  // namespace qpmulti

int32_t QPAPI QPIAddMailMessageToFolder(QPSESSION host, const char* userName,
                                        const char* folderName, intptr_t arg4, intptr_t arg5,
                                        intptr_t arg6, intptr_t arg7, intptr_t arg8, intptr_t arg9,
                                        intptr_t arg10, char** attachmentFiles,
                                        char** attachmentNames, intptr_t arg13, intptr_t arg14) {
  return qpmulti::guardExport<int32_t>(0, [&] {
    return qpmulti::addMessage(host, userName, folderName, arg4, arg5, arg6, arg7, arg8, arg9,
                               arg10, attachmentFiles, attachmentNames, arg13, arg14);
  });
}

int32_t QPAPI QPIFileMailMessageToFolder(QPSESSION host, const char* userName, intptr_t arg3,
                                         const char* messageId, const char* targetFolder,
                                         intptr_t arg6, intptr_t arg7) {
  return qpmulti::guardExport<int32_t>(0, [&] {
    return qpmulti::fileMessage(host, userName, arg3, messageId, targetFolder, arg6, arg7);
  });
}
