// Settling a counted host list after one member's call.
#include "multi/core/member_appends.h"

namespace qpmulti {

int32_t settleAppended(char** entries, int32_t before, int32_t after) {
  if (entries == nullptr || before < 0) return after;
  if (after <= before) return before;
  int32_t kept = before;
  for (int32_t i = before; i < after; ++i) {
    if (entries[i] != nullptr) entries[kept++] = entries[i];
  }
  for (int32_t i = kept; i < after; ++i) entries[i] = nullptr;
  return kept;
}

}  // namespace qpmulti
