// The session-option bits that the multi-session library keeps in step between a host
// session and its member sessions. Portable.
#pragma once

#include <cstdint>

namespace qpmulti {

// Copied from the host session to every member session, in this order.
constexpr uint32_t kPropagatedOptions[] = {0x100, 0x40, 0x10};
// Set on every member session when the host session is initialised.
constexpr uint32_t kInitialisedMemberOptions = 0x200 | 0x800;
// A member polled under poll flag 4 must have this option bit.
constexpr uint32_t kPollableOption = 0x80;
constexpr int32_t kPollOnlyPollable = 4;

// `memberOptions` with `bit` set when the host's word has it, cleared otherwise.
uint32_t withHostBit(uint32_t memberOptions, uint32_t hostOptions, uint32_t bit);

// The option bits of a member's mailbox type, compared without regard to case:
// TRN 0x3, POP3 0xC, IMAP 0x98, SMTP 0x8; any other type none.
uint32_t mailboxTypeOptions(const char* mailboxType);

// A member's option word after initialisation: the host's word, the initialisation bits
// and the bits of its mailbox type.
uint32_t initialisedMemberOptions(uint32_t hostOptions, const char* mailboxType);

// True when a poll with `pollFlags` leaves out a member with `memberOptions`.
bool skipsPoll(int32_t pollFlags, uint32_t memberOptions);

}  // namespace qpmulti
