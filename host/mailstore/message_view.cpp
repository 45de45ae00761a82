// Index texts and header search of the sample mail store.
#include "host/mailstore/message_view.h"

#include "common/text.h"
#include "host/comm/address.h"
#include "host/mailstore/message_store.h"

namespace qp::mailstore {

namespace {

// Longest sender and subject shown in an index entry.
constexpr size_t kSenderLength = 60;
constexpr size_t kSubjectLength = 200;
constexpr size_t kDateLength = 40;

std::string shownText(std::string_view text, size_t limit) {
  std::string shown;
  for (char c : text.substr(0, limit)) {
    const unsigned char u = static_cast<unsigned char>(c);
    shown += u == 0xFF ? '?' : (u < 0x20 || u == 0x7F) ? ' ' : c;
  }
  return shown;
}

bool containsNoCase(std::string_view text, std::string_view needle) {
  if (needle.size() > text.size()) return false;
  for (size_t i = 0; i + needle.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < needle.size() && lowerAscii(text[i + k]) == lowerAscii(needle[k])) ++k;
    if (k == needle.size()) return true;
  }
  return false;
}

}  // namespace

std::string indexText(const ParsedMessage& message, uint32_t status) {
  std::string text;
  text += (status & kStatusSeen) != 0 ? '.' : 'N';
  text += (status & kStatusAnswered) != 0 ? 'A' : '.';
  text += (status & kStatusFlagged) != 0 ? 'F' : '.';
  text += (status & kStatusDraft) != 0 ? 'D' : '.';

  const std::string from = headerValue(message, "From");
  char sender[kSenderLength + 1] = "";
  qpcomm::parseFullNameFromAddress(from.c_str(), sender, sizeof sender);
  text += ' ';
  text += shownText(sender, kSenderLength);
  text += " | ";
  text += shownText(headerValue(message, "Subject"), kSubjectLength);
  text += " | ";
  text += shownText(headerValue(message, "Date"), kDateLength);
  return text;
}

bool matchesSearch(const ParsedMessage& message, std::string_view needle, uint32_t fields) {
  if (needle.empty()) return false;
  if (fields == 0) fields = kSearchHeaders;
  for (const HeaderField& field : message.header) {
    const bool chosen =
        ((fields & kSearchFrom) != 0 && equalsNoCase(field.name.c_str(), "From")) ||
        ((fields & kSearchRecipients) != 0 &&
         (equalsNoCase(field.name.c_str(), "To") || equalsNoCase(field.name.c_str(), "Cc"))) ||
        ((fields & kSearchSubject) != 0 && equalsNoCase(field.name.c_str(), "Subject"));
    if (chosen && containsNoCase(field.value, needle)) return true;
  }
  return (fields & kSearchText) != 0 && containsNoCase(message.text, needle);
}

}  // namespace qp::mailstore
