// Tagging of the entries a member appended to a message list.
#include "multi/core/entry_tags.h"

#include <cstring>

#include "common/text.h"

namespace qpmulti {

namespace {

constexpr char kTagPrefix[] = "MULTI:";
constexpr size_t kTagPrefixLength = sizeof kTagPrefix - 1;
constexpr char kDraftPrefix[] = "DFT:";

// Writes `value` in decimal at `out`; returns the number of digits.
size_t writeDecimal(char* out, unsigned value) {
  char digits[16];
  size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (size_t i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  return n;
}

}  // namespace

bool TagListEntry(char** entry, unsigned member, TagScope scope, const EntryMemory& memory) {
  char* old = *entry;
  if (old == nullptr) return false;
  const char* separator = std::strchr(old, kEntrySeparator);
  if (separator == nullptr) return false;
  const char* rest = separator + 1;
  if (scope == TagScope::Index && qp::startsWithNoCase(rest, kDraftPrefix)) return false;

  size_t head = static_cast<size_t>(rest - old);  // the text and its separator
  size_t restLength = std::strlen(rest);
  char* tagged = memory.allocate(head + restLength + kTagRoom, memory.context);
  if (tagged == nullptr) return false;

  char* out = tagged;
  std::memcpy(out, old, head);
  out += head;
  std::memcpy(out, kTagPrefix, kTagPrefixLength);
  out += kTagPrefixLength;
  out += writeDecimal(out, member);
  *out++ = ':';
  std::memcpy(out, rest, restLength + 1);

  memory.release(old, memory.context);
  *entry = tagged;
  return true;
}

size_t tagMemberEntries(char** entries, size_t from, size_t to, unsigned member, TagScope scope,
                        const EntryMemory& memory) {
  size_t tagged = 0;
  for (size_t i = from; i < to; ++i) {
    if (TagListEntry(&entries[i], member, scope, memory)) ++tagged;
  }
  return tagged;
}

}  // namespace qpmulti
