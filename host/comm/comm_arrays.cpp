// List exports: split address lists, attachment lists and message texts into the
// caller's zero-filled pointer arrays as QPmalloc'd strings. An array holds its entries
// from the start up to its first null pointer; new entries go to the free places after
// them, never beyond the capacity, so the last pointer stays null.
#include <algorithm>
#include <string>
#include <vector>

#include "host/comm/address.h"
#include "host/comm/comm_shell.h"
#include "hostapi/qpxcomm.h"

namespace {

constexpr int32_t kMaxAddresses = 50000;
constexpr int32_t kMaxAttachments = 200;
constexpr int32_t kMaxLines = 20000;

using Splitter = std::vector<std::string> (*)(const char*, size_t);

int32_t countEntries(char* const* array, int32_t capacity) {
  int32_t n = 0;
  while (n < capacity && array[n] != nullptr) ++n;
  return n;
}

int32_t fillArray(const char* text, char** array, int32_t capacity, int32_t maxCapacity,
                  Splitter split) {
  if (array == nullptr) return -1;
  capacity = std::clamp(capacity, 0, maxCapacity);
  int32_t count = countEntries(array, capacity);
  if (text == nullptr || count == capacity) return count;
  try {
    for (const std::string& entry : split(text, static_cast<size_t>(capacity - count))) {
      char* block = qpcomm::copyToBlock(entry.data(), entry.size());
      if (block == nullptr) return -1;  // the entries stored so far stay
      array[count++] = block;
    }
  } catch (...) {  // out of memory while splitting: nothing was stored
    return -1;
  }
  return count;
}

}  // namespace

int32_t QPAPI AddressStringToArray(const char* text, char** array, int32_t capacity) {
  return fillArray(text, array, capacity, kMaxAddresses, qpcomm::splitAddressList);
}

int32_t QPAPI AttachmentStringToArray(const char* text, char** array, int32_t capacity) {
  return fillArray(text, array, capacity, kMaxAttachments, qpcomm::splitAttachmentList);
}

int32_t QPAPI ParseMessageToStrings(const char* text, char** array, int32_t capacity) {
  return fillArray(text, array, capacity, kMaxLines, qpcomm::splitLines);
}

int32_t QPAPI AddToAddressList(char** array, const char* text) {
  if (array == nullptr || text == nullptr) return -1;
  int32_t count = countEntries(array, kMaxAddresses);
  if (count == kMaxAddresses) return -1;
  char* block = qpcomm::copyToBlock(text, std::char_traits<char>::length(text));
  if (block == nullptr) return -1;
  array[count] = block;
  return count + 1;
}
