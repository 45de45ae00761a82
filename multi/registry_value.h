// Thin wrappers over the registry calls of the profile store: keys opened and created
// the one way the store does it (class "Corvane", fixed access rights), and text and
// binary values read into fixed buffers that a value must fit.
#pragma once

#include <windows.h>

#include <cstddef>

#include "common/win/unique.h"

namespace qpmulti {

// Every key is opened or created with these rights.
constexpr REGSAM kKeyAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
// Class string of every key the store creates.
constexpr const char* kKeyClass = "Corvane";

// Open (never create) or open-or-create `path` below `parent`; the Win32 error code.
LONG openKey(HKEY parent, const char* path, qp::UniqueHKey& key);
LONG createKey(HKEY parent, const char* path, qp::UniqueHKey& key);

// Reads a REG_SZ (or REG_EXPAND_SZ, unexpanded) value with its terminating zero into a
// buffer of `size` bytes. A value that is absent, of another type, or does not fit
// leaves the buffer empty and gives false.
bool readTextValue(HKEY key, const char* name, char* text, size_t size);
// Writes `text` (null as empty) as REG_SZ including its terminating zero.
LONG writeTextValue(HKEY key, const char* name, const char* text);

// Reads a value's bytes into `data` (`size` bytes); false when absent or larger.
bool readBinaryValue(HKEY key, const char* name, unsigned char* data, size_t size,
                     size_t* length);

}  // namespace qpmulti
