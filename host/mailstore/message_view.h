// What the sample mail store shows of a message in its lists: the readable text of an
// index entry and the header search. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/mailstore/rfc822.h"

namespace qp::mailstore {

// The host's message lists have room for this many entries (the count included):
// index and search append only while the count is below it.
constexpr int32_t kListCapacity = 10000;

// The text part of an index entry: four status letters ('N' unread, 'A' answered,
// 'F' flagged, 'D' draft, '.' for each one not set), the sender's name (or address),
// the subject and the date, separated by " | ". Control characters become blanks and
// 0xFF (the entry separator) becomes '?', so the text never holds a separator.
std::string indexText(const ParsedMessage& message, uint32_t status);

// Which header fields a search looks at (bits; 0 means From, To, Cc and Subject).
constexpr uint32_t kSearchFrom = 0x1;
constexpr uint32_t kSearchRecipients = 0x2;  // To and Cc
constexpr uint32_t kSearchSubject = 0x4;
constexpr uint32_t kSearchText = 0x8;  // the readable text of the body
constexpr uint32_t kSearchHeaders = kSearchFrom | kSearchRecipients | kSearchSubject;

// True when `needle` occurs, letter case aside, in one of the chosen fields. An empty
// needle matches nothing.
bool matchesSearch(const ParsedMessage& message, std::string_view needle, uint32_t fields);

}  // namespace qp::mailstore
