// Outgoing mail of QPXMULTI.DLL: QPISendMailMessage splits the recipients over the
// member sessions (one copy of the message per member that has recipients),
// QPIValidateMessageRecipients lets each member validate its own recipients, and
// QPICompareAddress decides whether two addresses name the same mailbox.
#include "multi/send_exports.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "common/text.h"
#include "common/win/unique.h"
#include "hostapi/qpunique.h"
#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"
#include "multi/core/recipient_routing.h"
#include "multi/export_guard.h"
#include "multi/host_lists.h"
#include "multi/member_sessions.h"
#include "multi/message_exports.h"
#include "multi/profile_store.h"

namespace qpmulti {
namespace {

constexpr uint32_t kNoInterfaceMessage = 3615;
constexpr size_t kAttachmentEntries = 200;
constexpr size_t kMessageLines = 20000;

void logLine(const char* format, const char* value) {
  char text[QP_TEXT_LARGE];
  std::snprintf(text, sizeof text, format, value);
  WriteDebugLog(-1, text);
}

void hostBare(const char* address, char* out, size_t size, void*) {
  StripFullName(address, out, static_cast<int32_t>(size));
}
void hostFullName(const char* address, char* out, size_t size, void*) {
  ParseFullNameFromAddress(address, out, static_cast<int32_t>(size));
}
void hostEncode(char* text, size_t size, void*) {
  EncodeFullName(text, static_cast<int32_t>(size));
}
const AddressText kHostText{hostBare, hostFullName, hostEncode, nullptr};

// A QPmalloc'd array of `entries` + 1 pointers whose entries are QPmalloc'd texts; frees
// them and itself.
class HostArray {
 public:
  explicit HostArray(size_t entries)
      : entries_(
            static_cast<char**>(QPmalloc(static_cast<uint32_t>((entries + 1) * sizeof(char*))))),
        size_(entries) {}
  ~HostArray() {
    clear();
    QPfree(entries_);
  }
  HostArray(const HostArray&) = delete;
  HostArray& operator=(const HostArray&) = delete;
  char** get() const { return entries_; }
  explicit operator bool() const { return entries_ != nullptr; }
  void clear() {
    if (entries_ == nullptr) return;
    for (size_t i = 0; i < size_ && entries_[i] != nullptr; ++i) {
      QPfree(entries_[i]);
      entries_[i] = nullptr;
    }
  }

 private:
  char** entries_;
  size_t size_;
};

// The allocator of the host's entries, remembering whether an allocation failed: a send
// goes out whole or not at all, since a recipient whose rewrite found no memory would
// reach no member or the wrong one.
struct TrackedMemory {
  bool failed = false;
  EntryMemory memory() { return EntryMemory{&allocate, &release, this}; }
  static char* allocate(size_t size, void* context) {
    const uint32_t blockSize = static_cast<uint32_t>(size);
    char* block = blockSize == size ? static_cast<char*>(QPmalloc(blockSize)) : nullptr;
    if (block == nullptr) static_cast<TrackedMemory*>(context)->failed = true;
    return block;
  }
  static void release(char* entry, void*) { QPfree(entry); }
};

// One member's recipients of a send, taken out of the host's lists before anyone sends.
struct MemberShare {
  QPSESSION member;
  std::unique_ptr<HostArray> lists[3];
};

// The mailbox types of the table's slots ("" for an empty slot).
struct SlotTypes {
  char text[kMemberSlots][kTypePrefixSize] = {};
  const char* pointers[kMemberSlots] = {};
  explicit SlotTypes(const MemberSessionTable& table) {
    for (size_t k = 0; k < kMemberSlots; ++k) {
      if (table.slots[k] != kEmptySlot) {
        char type[QP_TEXT_LARGE] = "";
        GetUserMailboxType(table.slots[k], type);
        qp::copyText(text[k], type);
      }
      pointers[k] = text[k];
    }
  }
  MemberTypes types() const { return MemberTypes{pointers, kMemberSlots}; }
};

// Types the three arrays for routing.
void assignRecipientTypes(const SlotTypes& slots, const char* profileName, char** a1, char** a2,
                          char** a3, const EntryMemory& memory) {
  char value[QP_TEXT_SMALL] = "";
  ReadInternetInterface(profileName, value, sizeof value);
  const char* none = GetString(kNoInterfaceMessage, QP_TEXT_SMALL);
  MemberTypes types = slots.types();
  const char* internet = internetType(value, none, types);
  for (char** a : {a1, a2, a3}) typeRecipients(a, internet, types, kHostText, memory);
}

// Slots 1..49 whose type differs from the primary member's, in order.
template <typename Visit>
void forEachOtherMember(const MemberSessionTable& table, const SlotTypes& slots, Visit visit) {
  for (size_t k = 1; k < kMemberSlots; ++k) {
    if (table.slots[k] == kEmptySlot) continue;
    if (qp::equalsNoCase(slots.text[k], slots.text[0])) continue;
    visit(table.slots[k], slots.text[k]);
  }
}

// Takes one member's recipients of the three arrays into m[0..2].
size_t takeRecipients(char** const a[3], char** const m[3], const char* type, RecipientForm form,
                      const EntryMemory& memory) {
  size_t n = 0;
  for (int x = 0; x < 3; ++x) {
    size_t taken = countAddresses(m[x]);
    size_t before = taken;
    takeMemberRecipients(a[x], countAddresses(a[x]), type, form, m[x], taken, kHostText, memory);
    n += taken - before;
  }
  return n;
}

// Replaces every attachment that is no local file with the local file that the host
// session's own interface library makes of it.
bool qualifyAttachments(QPSESSION host, const char* userName, char** files, char** names,
                        int32_t* flags) {
  char type[QP_TEXT_LARGE] = "";
  GetUserMailboxType(host, type);
  char library[51];
  std::snprintf(library, sizeof library, "QPX%s.DLL", type);
  for (size_t i = 0; i < kAttachmentEntries && files[i] != nullptr; ++i) {
    flags[i] = 0;
    if (Exist(files[i])) continue;
    char reference[151];
    std::snprintf(reference, sizeof reference, "%s:%s/%s", type, files[i],
                  names[i] != nullptr ? names[i] : "");
    qp::UniqueModule module(LoadLibraryA(library));
    auto qualify =
        module ? reinterpret_cast<decltype(&QPIQualifyAttachmentName)>(reinterpret_cast<void (*)()>(
                     GetProcAddress(module.get(), "QPIQualifyAttachmentName")))
               : nullptr;
    if (qualify == nullptr) {
      // Without the qualifying library the entry stays as it was.
      logLine("QPISendMailMessage: %s cannot qualify attachments; kept unchanged", library);
      continue;
    }
    char path[kAttachmentPathSize] = "";
    char extension[100] = "";
    qualify(host, userName, reference, path, extension, &flags[i]);
    size_t length = std::strlen(path);
    char* copy = static_cast<char*>(QPmalloc(static_cast<uint32_t>(length + 1)));
    if (copy == nullptr) {
      if (flags[i] != 0) DeleteFileA(path);  // the entry keeps its text: its copy goes now
      flags[i] = 0;
      return false;
    }
    std::memcpy(copy, path, length + 1);
    QPfree(files[i]);
    files[i] = copy;
  }
  return true;
}

int32_t sendMessage(QPSESSION host, const char* userName, const char* to, const char* cc,
                    const char* bcc, intptr_t arg6, intptr_t arg7, intptr_t arg8, const char* text,
                    const char* fileText, const char* nameText, intptr_t arg12, intptr_t arg13,
                    intptr_t arg14) {
  PropagateSessionOptions(host);
  MemberSessionTable* table = findTable(host);
  if (table == nullptr) return -1;

  HostArray lines(kMessageLines), a1(kAddressArrayEntries), a2(kAddressArrayEntries),
      a3(kAddressArrayEntries);
  HostArray files(kAttachmentEntries), names(kAttachmentEntries);
  qp::UniqueQpBlock flagBlock(QPmalloc((kAttachmentEntries + 1) * sizeof(int32_t)));
  auto* flags = static_cast<int32_t*>(flagBlock.get());
  // Temporary copies go once every member has sent, or when nothing is sent.
  qp::ScopeExit deleteCopies([&] {
    for (size_t i = 0; files && flags != nullptr && i < kAttachmentEntries && files.get()[i]; ++i) {
      if (flags[i] != 0) DeleteFileA(files.get()[i]);
    }
  });
  if (!lines || !a1 || !a2 || !a3 || !files || !names || flags == nullptr) {
    WriteDebugLog(-1, "QPISendMailMessage: out of memory for the working arrays");
    return -1;
  }
  char** const a[3] = {a1.get(), a2.get(), a3.get()};
  // A list that could not be split whole would lose recipients, attachments or text.
  if (AddressStringToArray(to, a1.get(), kAddressArrayEntries) < 0 ||
      AddressStringToArray(cc, a2.get(), kAddressArrayEntries) < 0 ||
      AddressStringToArray(bcc, a3.get(), kAddressArrayEntries) < 0 ||
      AttachmentStringToArray(fileText, files.get(), kAttachmentEntries) < 0 ||
      AttachmentStringToArray(nameText, names.get(), kAttachmentEntries) < 0 ||
      !qualifyAttachments(host, userName, files.get(), names.get(), flags) ||
      ParseMessageToStrings(text, lines.get(), kMessageLines) < 0) {
    WriteDebugLog(-1, "QPISendMailMessage: out of memory for the message; nothing sent");
    return -1;
  }

  const SlotTypes slots(*table);
  TrackedMemory tracked;
  assignRecipientTypes(slots, userName, a1.get(), a2.get(), a3.get(), tracked.memory());
  // Every member's share is taken before anyone sends, each list with room for all the
  // recipients it could take.
  std::vector<MemberShare> shares;
  forEachOtherMember(*table, slots, [&](QPSESSION member, const char* type) {
    if (tracked.failed) return;
    MemberShare share{member, {}};
    char** m[3];
    for (int x = 0; x < 3; ++x) {
      share.lists[x] = std::make_unique<HostArray>(countAddresses(a[x]));
      m[x] = share.lists[x]->get();
      if (m[x] == nullptr) tracked.failed = true;
    }
    if (tracked.failed) return;
    if (takeRecipients(a, m, type, RecipientForm::kSend, tracked.memory()) > 0)
      shares.push_back(std::move(share));
  });
  size_t left = 0;
  for (char** x : a) {
    size_t count = countAddresses(x);
    untypeRemaining(x, count, slots.text[0], RecipientForm::kSend, kHostText, tracked.memory());
    left += count;
  }
  if (tracked.failed) {
    WriteDebugLog(-1, "QPISendMailMessage: out of memory while routing recipients; nothing sent");
    return -1;
  }

  int32_t result = -1;
  auto send = [&](QPSESSION member, char** r1, char** r2, char** r3) {
    const MemberName name(member);
    int32_t sent = QPiSendMailMessage2(member, name.text, r1, r2, r3, arg6, arg7, arg8, lines.get(),
                                       files.get(), names.get(), arg12, arg13, arg14);
    if (sent > result) result = sent;
  };
  for (const MemberShare& share : shares)
    send(share.member, share.lists[0]->get(), share.lists[1]->get(), share.lists[2]->get());
  if (left > 0) send(table->slots[0], a1.get(), a2.get(), a3.get());
  return result;
}

int32_t validateRecipients(QPSESSION host, const char* userName, char** a1, char** a2, char** a3,
                           intptr_t arg6) {
  PropagateSessionOptions(host);
  MemberSessionTable* table = findTable(host);
  if (table == nullptr) return 1;
  HostArray c1(kAddressArrayEntries), c2(kAddressArrayEntries), c3(kAddressArrayEntries),
      m1(kAddressArrayEntries), m2(kAddressArrayEntries), m3(kAddressArrayEntries);
  if (!c1 || !c2 || !c3 || !m1 || !m2 || !m3) {
    WriteDebugLog(-1, "QPIValidateMessageRecipients: out of memory for the working arrays");
    return 1;
  }
  const SlotTypes slots(*table);
  EntryMemory memory = hostEntryMemory();
  assignRecipientTypes(slots, userName, a1, a2, a3, memory);
  char** const a[3] = {a1, a2, a3};
  char** const c[3] = {c1.get(), c2.get(), c3.get()};
  char** const m[3] = {m1.get(), m2.get(), m3.get()};
  size_t collected[3] = {0, 0, 0};
  forEachOtherMember(*table, slots, [&](QPSESSION member, const char* type) {
    if (takeRecipients(a, m, type, RecipientForm::kValidate, memory) > 0) {
      const MemberName name(member);
      QPiValidateMessageRecipients(member, name.text, m[0], m[1], m[2], arg6);
    }
    for (int x = 0; x < 3; ++x) {
      retypeValidated(m[x], type, c[x], collected[x], kHostText, memory);
    }
  });
  size_t left = 0;
  for (char** x : a) {
    size_t count = countAddresses(x);
    untypeRemaining(x, count, slots.text[0], RecipientForm::kValidate, kHostText, memory);
    left += count;
  }
  if (left > 0) {
    const MemberName name(table->slots[0]);
    QPiValidateMessageRecipients(table->slots[0], name.text, a1, a2, a3, arg6);
  }
  // The other members' recipients follow, typed, in each host array.
  for (int x = 0; x < 3; ++x) {
    size_t count = countAddresses(a[x]);
    for (size_t i = 0; i < collected[x]; ++i) {
      if (count < kAddressArrayEntries) {
        a[x][count++] = c[x][i];
      } else {
        QPfree(c[x][i]);
      }
      c[x][i] = nullptr;
    }
  }
  return 0;
}

// One address for comparison: its bare address and recognised type.
struct Compared {
  char bare[QP_TEXT_LARGE] = "";
  char type[kTypePrefixSize] = "";
  // False when the bare address does not fit its buffer: a cut address could match one
  // that differs only beyond the cut, so it is the same as no other address.
  bool fits = true;
  explicit Compared(const char* address) {
    char whole[QP_TEXT_LARGE + 1] = "";  // one more byte shows a cut
    StripFullName(address != nullptr ? address : "", whole, sizeof whole);
    fits = std::strlen(whole) < QP_TEXT_LARGE;
    whole[QP_TEXT_LARGE - 1] = '\0';
    qp::copyText(bare, splitRecognisedType(whole, type, sizeof type));
  }
  // An address of the user's own on `member` becomes the primary member's full address.
  void resolveOwn(QPSESSION member, const char* memberType, QPSESSION primary) {
    if (type[0] == '\0' || !qp::equalsNoCase(type, memberType)) return;
    const MemberName name(member);
    char own[QP_TEXT_LARGE] = "";
    QPiGetFullAddress(member, name.text, own);
    if (QPiCompareAddress(member, own, bare) == 0) return;
    char primaryAddress[QP_TEXT_LARGE] = "";
    QPiGetFullAddress(primary, name.text, primaryAddress);
    qp::copyText(bare, primaryAddress);
    type[0] = '\0';
  }
};

int32_t compareAddress(QPSESSION host, const char* first, const char* second) {
  Compared one(first), two(second);
  MemberSessionTable* table = findTable(host);
  if (table == nullptr || !one.fits || !two.fits) return 0;
  const SlotTypes slots(*table);
  for (size_t k = 0; k < kMemberSlots; ++k) {
    if (table->slots[k] == kEmptySlot) continue;
    one.resolveOwn(table->slots[k], slots.text[k], table->slots[0]);
    two.resolveOwn(table->slots[k], slots.text[k], table->slots[0]);
  }
  if (!qp::equalsNoCase(one.type, two.type)) return 0;
  if (one.type[0] == '\0') return QPiCompareAddress(table->slots[0], one.bare, two.bare);
  for (size_t k = 0; k < kMemberSlots; ++k) {
    if (table->slots[k] != kEmptySlot && qp::equalsNoCase(slots.text[k], one.type)) {
      return QPiCompareAddress(table->slots[k], one.bare, two.bare);
    }
  }
  return 0;
}

}  // namespace
}  // namespace qpmulti

extern "C" {

int32_t QPAPI QPISendMailMessage(QPSESSION host, const char* userName, const char* to,
                                 const char* cc, const char* bcc, intptr_t arg6, intptr_t arg7,
                                 intptr_t arg8, const char* text, const char* files,
                                 const char* names, intptr_t arg12, intptr_t arg13, intptr_t arg14,
                                 intptr_t /*arg15*/, intptr_t /*arg16*/) {
  return qpmulti::guardExport<int32_t>(-1, [&] {
    return qpmulti::sendMessage(host, userName, to, cc, bcc, arg6, arg7, arg8, text, files, names,
                                arg12, arg13, arg14);
  });
}

int32_t QPAPI QPIValidateMessageRecipients(QPSESSION host, const char* userName, char** first,
                                           char** second, char** third, intptr_t arg6) {
  return qpmulti::guardExport<int32_t>(
      1, [&] { return qpmulti::validateRecipients(host, userName, first, second, third, arg6); });
}

int32_t QPAPI QPICompareAddress(QPSESSION host, const char* first, const char* second) {
  return qpmulti::guardExport<int32_t>(
      0, [&] { return qpmulti::compareAddress(host, first, second); });
}

}  // extern "C"
