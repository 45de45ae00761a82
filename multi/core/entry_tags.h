// Tagging of the entries a member appends to a message list: the member's MULTI tag goes
// in front of the identifier after the entry's first separator, so that a later call
// with that identifier reaches the same member. Portable.
#pragma once

#include <cstddef>

#include "multi/core/entry_list.h"

namespace qpmulti {

// Where the entries come from. In the message index an identifier beginning with "DFT:"
// (any letter case) stays untagged; in search results every identifier is tagged.
enum class TagScope { Index, Search };

// A rebuilt entry is allocated this much longer than the old one; the tag needs at most
// 17 of it ("MULTI:", ten digits, ":").
constexpr size_t kTagRoom = 32;

// Rewrites one entry for member slot `member`: "<text>\xFF<rest>" becomes
// "<text>\xFFMULTI:<member>:<rest>", where <rest> is everything after the first 0xFF,
// further separators included. The new entry is allocated with memory.allocate (the old
// length + kTagRoom), the old one goes to memory.release and `*entry` points to the new
// one. Left unchanged (false): a null entry, an entry without 0xFF, in the index an
// identifier beginning with "DFT:", and an entry whose allocation fails.
bool TagListEntry(char** entry, unsigned member, TagScope scope, const EntryMemory& memory);

// Tags entries[from..to) with TagListEntry: what the shell runs on the entries a member
// appended (from = the count before the member's call, to = the count after it). An
// entry whose allocation fails stays as it was and the others are still tagged. Returns
// how many entries were rewritten. Linear in the total length of the entries.
size_t tagMemberEntries(char** entries, size_t from, size_t to, unsigned member, TagScope scope,
                        const EntryMemory& memory);

}  // namespace qpmulti
