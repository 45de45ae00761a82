// Option bits of member sessions.
#include "multi/core/member_options.h"

#include "common/text.h"

namespace qpmulti {

uint32_t withHostBit(uint32_t memberOptions, uint32_t hostOptions, uint32_t bit) {
  return (hostOptions & bit) != 0 ? memberOptions | bit : memberOptions & ~bit;
}

uint32_t mailboxTypeOptions(const char* mailboxType) {
  struct TypeBits {
    const char* type;
    uint32_t bits;
  };
  static constexpr TypeBits kTypes[] = {{"TRN", 0x3}, {"POP3", 0xC}, {"IMAP", 0x98}, {"SMTP", 0x8}};
  for (const TypeBits& t : kTypes) {
    if (qp::equalsNoCase(mailboxType, t.type)) return t.bits;
  }
  return 0;
}

uint32_t initialisedMemberOptions(uint32_t hostOptions, const char* mailboxType) {
  return hostOptions | kInitialisedMemberOptions | mailboxTypeOptions(mailboxType);
}

bool skipsPoll(int32_t pollFlags, uint32_t memberOptions) {
  return (pollFlags & kPollOnlyPollable) != 0 && (memberOptions & kPollableOption) == 0;
}

}  // namespace qpmulti
