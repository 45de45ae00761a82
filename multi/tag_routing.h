// Routing of a tagged identifier (a message id, an attachment reference) back to the
// member session that produced it: the MULTI tag names the slot, the text after the tag
// is what the member receives. Used by the message exports and by filing.
#pragma once

#include "hostapi/qptypes.h"
#include "multi/member_sessions.h"

namespace qpmulti {

struct RoutedMember {
  unsigned index = 0;                 // the slot the tag names
  QPSESSION session = QP_NO_SESSION;  // the member session in that slot
  const char* memberId = nullptr;     // the identifier without its tag, inside the tagged text
};

// How the tag is read. Attachment names may carry the prefix twice ("MULTI:MULTI:1:..."),
// as filing builds them; they resolve like one.
enum class TagPrefixes { Single, Repeated };

// True when `tagged` begins with "MULTI:" (any letter case) and names a slot 0..49 that
// holds a member session. Otherwise (null text, untagged, index above 49, empty slot)
// false: the export returns its untagged result and calls no member.
bool routeTagged(const MemberSessionTable& table, const char* tagged, RoutedMember* routed,
                 TagPrefixes prefixes = TagPrefixes::Single);

}  // namespace qpmulti
