// The typed address of a member's address.
#include "multi/core/member_address.h"

#include <cstdio>

#include "common/text.h"

namespace qpmulti {

bool TypeMemberAddress(const char* fullName, const char* bareAddress, const char* type,
                       EncodeInPlace encode, void* context, char* out, size_t size) {
  char name[kFullNameSize];
  char bare[kBareAddressSize];
  qp::copyText(name, fullName);
  qp::copyText(bare, bareAddress);
  if (type == nullptr) type = "";
  if (size == 0) return false;

  // A name that only repeats the address says nothing.
  bool withName = name[0] != '\0' && !qp::equalsNoCase(name, bare);
  int length;
  if (withName) {
    encode(name, sizeof name, context);
    length = std::snprintf(out, size, "%s <%s:%s>", name, type, bare);
  } else {
    encode(bare, sizeof bare, context);
    length = std::snprintf(out, size, "%s:%s", type, bare);
  }
  return length >= 0 && static_cast<size_t>(length) < size;
}

}  // namespace qpmulti
