// Removal of repeated search results in one pass over the list.
//
// Whether entry k goes depends only on the segments of the earlier entries that stay:
// it goes when one of them is a prefix (letter case aside) of the text after k's first
// separator. So the list is walked once, the segments of the entries that stay are kept
// in a hash set, and each entry looks up the prefixes of its own text whose lengths some
// kept segment has. A segment holds no separator, so only the prefixes before k's second
// separator can match.
#include "multi/core/search_dedup.h"

#include <cstring>
#include <vector>

#include "multi/core/nocase_keys.h"

namespace qpmulti {

size_t removeDuplicateResults(char** entries, size_t count, const EntryMemory& memory) {
  NoCaseKeys segments(count / 2 + 1);
  std::vector<unsigned char> lengthKept;  // lengthKept[n]: some kept segment is n long
  size_t longest = 0;
  std::vector<unsigned char> keep(count, 1);
  bool removedAny = false;

  for (size_t k = 0; k < count; ++k) {
    const char* entry = entries[k];
    if (entry == nullptr) continue;
    const char* separator = std::strchr(entry, kEntrySeparator);
    if (separator == nullptr) continue;
    const char* rest = separator + 1;

    // The prefixes of `rest` up to its next separator, against the kept segments.
    uint64_t hash = kHashStart;
    size_t n = 0;
    bool repeat = false;
    for (; n < longest && rest[n] != '\0' && rest[n] != kEntrySeparator; ++n) {
      hash = extendHash(hash, rest[n]);
      if (lengthKept[n + 1] && segments.find(rest, n + 1, hash) != NoCaseKeys::kNone) {
        repeat = true;
        break;
      }
    }
    if (repeat) {
      keep[k] = 0;
      removedAny = true;
      continue;
    }

    // The entry stays; its segment, if it has a non-empty one, removes later repeats.
    const char* end = std::strchr(rest, kEntrySeparator);
    if (end == nullptr || end == rest) continue;
    size_t length = static_cast<size_t>(end - rest);
    for (; n < length; ++n) hash = extendHash(hash, rest[n]);
    // A kept segment equal to this one would have made the entry a repeat.
    segments.add(rest, length, hash);
    if (length >= lengthKept.size()) lengthKept.resize(length + 1, 0);
    lengthKept[length] = 1;
    if (length > longest) longest = length;
  }

  if (!removedAny) return count;
  return compactEntries(entries, 0, count, keep.data(), memory);
}

}  // namespace qpmulti
