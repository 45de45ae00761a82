// The folder list merge in one pass over the members' entries.
//
// Entries naming the same folder form a group; the group is shown at its first entry's
// position by its first entry that contains " - ", or by its last entry when none does.
// That is what comparing every entry with every later one gives: the entry held at the
// group's position is replaced by a later one of the group as long as it has no " - ".
// Here the groups are found through a hash set of base names, the entry each keeps is
// chosen as the list is walked, and the list is closed up once at the end.
#include "multi/core/folder_merge.h"

#include <cstring>
#include <vector>

#include "multi/core/nocase_keys.h"

namespace qpmulti {

namespace {

constexpr char kDescriptionMark[] = " - ";

struct BaseName {
  const char* text;
  size_t length;
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The base name as a piece of the entry: of its first kMaxBaseName characters, those
// before the first " - ", without trailing blanks.
BaseName baseName(const char* entry) {
  size_t length = strnlen(entry, kMaxBaseName);
  for (size_t i = 0; i + 3 <= length; ++i) {
    if (entry[i] == ' ' && entry[i + 1] == '-' && entry[i + 2] == ' ') {
      length = i;
      break;
    }
  }
  while (length > 0 && isBlank(entry[length - 1])) --length;
  return BaseName{entry, length};
}

bool hasDescription(const char* entry) { return std::strstr(entry, kDescriptionMark) != nullptr; }

}  // namespace

bool SameFolderName(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return false;
  BaseName first = baseName(a);
  BaseName second = baseName(b);
  return first.length == second.length && sameNoCase(first.text, second.text, first.length);
}

size_t mergeFolderList(char** entries, size_t count, size_t firstNew, const EntryMemory& memory) {
  if (firstNew >= count) return count;
  size_t added = count - firstNew;

  // Which group each entry belongs to, and the entry each group keeps so far.
  constexpr uint32_t kNoGroup = UINT32_MAX;
  std::vector<uint32_t> groupOf(added, kNoGroup);
  std::vector<size_t> kept;  // by group number: the position of the entry it keeps
  std::vector<unsigned char> settled;  // by group number: the kept entry has " - "
  NoCaseKeys names(added);
  size_t grouped = 0;
  for (size_t i = firstNew; i < count; ++i) {
    if (entries[i] == nullptr) continue;
    BaseName name = baseName(entries[i]);
    uint64_t hash = hashNoCase(name.text, name.length);
    uint32_t group = names.find(name.text, name.length, hash);
    if (group == NoCaseKeys::kNone) {
      group = names.add(name.text, name.length, hash);
      kept.push_back(i);
      settled.push_back(hasDescription(entries[i]));
    } else if (!settled[group]) {
      kept[group] = i;
      settled[group] = hasDescription(entries[i]);
    }
    groupOf[i - firstNew] = group;
    ++grouped;
  }
  if (kept.size() == grouped) return count;  // no folder named twice

  // Release what no group keeps, then put each group's entry at its first position.
  // Every group keeps an entry at or after its first position, and the list is written
  // from the front, so no entry is overwritten before it is read. The last allocation
  // comes first: once an entry is released nothing may throw.
  std::vector<unsigned char> placed(kept.size(), 0);
  for (size_t i = firstNew; i < count; ++i) {
    uint32_t group = groupOf[i - firstNew];
    if (group != kNoGroup && kept[group] != i) memory.release(entries[i], memory.context);
  }
  size_t out = firstNew;
  for (size_t i = firstNew; i < count; ++i) {
    uint32_t group = groupOf[i - firstNew];
    if (group == kNoGroup) {
      entries[out++] = entries[i];
    } else if (!placed[group]) {
      placed[group] = 1;
      entries[out++] = entries[kept[group]];
    }
  }
  for (size_t i = out; i < count; ++i) entries[i] = nullptr;
  return out;
}

}  // namespace qpmulti
