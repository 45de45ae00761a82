// Tag routing of identifiers to member sessions. Portable: it only reads the table.
#include "multi/tag_routing.h"

#include "common/text.h"
#include "multi/core/multi_tag.h"

namespace qpmulti {

namespace {
constexpr char kTagPrefix[] = "MULTI:";
constexpr unsigned kTagPrefixLength = sizeof kTagPrefix - 1;
}  // namespace

bool routeTagged(const MemberSessionTable& table, const char* tagged, RoutedMember* routed,
                 TagPrefixes prefixes) {
  *routed = RoutedMember();
  if (tagged == nullptr) return false;
  const char* text = tagged;
  if (prefixes == TagPrefixes::Repeated && qp::startsWithNoCase(text, kTagPrefix)) {
    // Keep the last of the prefixes that follow each other directly.
    while (qp::startsWithNoCase(text + kTagPrefixLength, kTagPrefix)) text += kTagPrefixLength;
  }
  MultiTag tag;
  if (!ParseMultiTag(text, table.slots, &tag)) return false;
  routed->index = tag.index;
  routed->session = table.slots[tag.index];
  routed->memberId = tag.rest;
  return true;
}

}  // namespace qpmulti
