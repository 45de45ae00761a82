// The case-insensitive key set of the list merges.
#include "multi/core/nocase_keys.h"

#include <cstring>

namespace qpmulti {

uint64_t hashNoCase(const char* text, size_t length) {
  uint64_t hash = kHashStart;
  for (size_t i = 0; i < length; ++i) hash = extendHash(hash, text[i]);
  return hash;
}

bool sameNoCase(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  }
  return true;
}

NoCaseKeys::NoCaseKeys(size_t expected) {
  size_t slots = 16;
  while (slots < 2 * expected) slots *= 2;
  slots_.assign(slots, Slot{0, 0});
  mask_ = slots - 1;
  mixed_.reserve(expected);
  offsets_.reserve(expected);
}

uint64_t NoCaseKeys::mix(uint64_t hash) {
  // FNV's low bits are weak: mix before masking.
  hash ^= hash >> 33;
  hash *= 0xff51afd7ed558ccdull;
  hash ^= hash >> 33;
  return hash;
}

uint32_t NoCaseKeys::find(const char* text, size_t length, uint64_t hash) const {
  uint64_t mixed = mix(hash);
  uint32_t check = static_cast<uint32_t>(mixed >> 32);
  for (size_t slot = static_cast<size_t>(mixed) & mask_;; slot = (slot + 1) & mask_) {
    const Slot& at = slots_[slot];
    if (at.record == 0) return kNone;
    if (at.check != check) continue;
    const char* record = records_.data() + (at.record - 1) * kAlign;
    Record head;
    std::memcpy(&head, record, sizeof head);
    if (head.length != length) continue;
    const char* folded = record + sizeof head;
    size_t i = 0;
    while (i < length && foldCase(text[i]) == static_cast<unsigned char>(folded[i])) ++i;
    if (i == length) return head.number;
  }
}

uint32_t NoCaseKeys::add(const char* text, size_t length, uint64_t hash) {
  if (2 * (offsets_.size() + 1) > slots_.size()) grow();
  Record head{static_cast<uint32_t>(offsets_.size()), static_cast<uint32_t>(length)};
  size_t offset = records_.size();
  size_t size = (sizeof head + length + kAlign - 1) / kAlign * kAlign;
  records_.resize(offset + size);
  char* record = records_.data() + offset;
  std::memcpy(record, &head, sizeof head);
  for (size_t i = 0; i < length; ++i)
    record[sizeof head + i] = static_cast<char>(foldCase(text[i]));

  uint64_t mixed = mix(hash);
  uint32_t slotForm = static_cast<uint32_t>(offset / kAlign + 1);
  mixed_.push_back(mixed);
  offsets_.push_back(slotForm);
  place(mixed, slotForm);
  return head.number;
}

void NoCaseKeys::place(uint64_t mixed, uint32_t record) {
  size_t slot = static_cast<size_t>(mixed) & mask_;
  while (slots_[slot].record != 0) slot = (slot + 1) & mask_;
  slots_[slot] = Slot{static_cast<uint32_t>(mixed >> 32), record};
}

void NoCaseKeys::grow() {
  slots_.assign(slots_.size() * 2, Slot{0, 0});
  mask_ = slots_.size() - 1;
  for (size_t i = 0; i < offsets_.size(); ++i) place(mixed_[i], offsets_[i]);
}

}  // namespace qpmulti
