// Scrambling of stored passwords (the "ProfileData" registry value): each byte is XORed
// with the owning user name and shifted by a nibble-swapped key byte. Portable: the
// caller passes the owner name already lower-cased (the Win32 side uses CharLowerA).
#pragma once

#include <cstddef>

namespace qpmulti {

// The owner name is used up to this many characters.
constexpr size_t kScrambleKeyLimit = 149;
// Largest "ProfileData" value a reader accepts (and so the most a writer produces).
constexpr size_t kProfileDataSize = 500;

// The byte with its two 4-bit halves exchanged.
unsigned char swapNibbles(unsigned char c);

// Scrambles `password` keyed by `loweredOwner` into `data` (`size` bytes): the scrambled
// characters followed by one zero byte. A password longer than size - 1 characters is
// cut to that. Returns the number of bytes to store; 0 for an empty or null password
// (or size < 2), in which case nothing is stored.
size_t scramblePassword(const char* loweredOwner, const char* password, unsigned char* data,
                        size_t size);

// Reverses scramblePassword for a stored value of `length` bytes: every byte but the
// last is transformed, and the password is the result up to its first zero byte (or
// all of it when none), cut to the `size`-byte buffer `password`. A value of 0 bytes
// gives the empty password.
void unscramblePassword(const char* loweredOwner, const unsigned char* data, size_t length,
                        char* password, size_t size);

}  // namespace qpmulti
