// The attachment lists of a message being added to a folder, as the multi-session
// library prepares them for the receiving member: copies of the host's lists, and the
// reference by which an attachment of a stored message is turned into a local file.
// Portable.
#pragma once

#include <cstddef>

#include "multi/core/entry_list.h"

namespace qpmulti {

// The host's attachment lists hold at most this many entries; a work array has room for
// them and the null that ends them.
constexpr size_t kMaxAttachments = 200;
constexpr size_t kAttachmentSlots = kMaxAttachments + 1;

// Copies source[0..] into `copy` until a null entry or `limit` entries, each into a new
// allocation of its length plus one. An allocation that fails leaves a null slot, which
// ends the copied list there. `copy` must hold limit + 1 null pointers. Returns the
// number of entries copied. A null source copies nothing.
size_t copyEntryList(const char* const* source, char** copy, size_t limit,
                     const EntryMemory& memory);

// Puts a copy of `text` (new allocation of its length plus one) in place of *entry and
// releases the old entry. False, entry unchanged, when the allocation fails.
bool replaceEntryText(char** entry, const char* text, const EntryMemory& memory);

// The reference to qualify for an attachment that is not a local file: "MULTI:", the file
// entry, "/" and the name entry of the same position (a null name counts as empty).
// False, with an empty `out`, when it does not fit in `size` bytes: a cut reference
// would name some other attachment, so such an entry is handed on as it is.
bool attachmentReference(const char* fileEntry, const char* nameEntry, char* out, size_t size);

}  // namespace qpmulti
