// Parsing of MULTI tags.
#include "multi/core/multi_tag.h"

#include "common/text.h"

namespace qpmulti {

namespace {
constexpr char kTagPrefix[] = "MULTI:";
constexpr unsigned kTagPrefixLength = sizeof kTagPrefix - 1;
}  // namespace

bool ParseMultiTag(const char* text, const int32_t* slots, MultiTag* tag) {
  tag->index = 0;
  tag->rest = text;
  if (text == nullptr || !qp::startsWithNoCase(text, kTagPrefix)) return false;

  const char* p = text + kTagPrefixLength;
  // The index stops growing once it is out of range, so a long run of digits can never
  // wrap around to a valid slot.
  unsigned index = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (index < kMemberSlots) index = index * 10 + static_cast<unsigned>(*p - '0');
  }
  if (*p != '\0') ++p;  // the ':' closing the tag

  if (index >= kMemberSlots || slots == nullptr || slots[index] == kEmptySlot) return false;
  tag->index = index;
  tag->rest = p;
  return true;
}

}  // namespace qpmulti
