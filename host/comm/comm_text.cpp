// Text and address exports: message texts of the string table, bounded copies, and thin
// wrappers of the portable text and address operations.
#include <cstring>

#include "common/text.h"
#include "host/comm/address.h"
#include "host/comm/messages.h"
#include "host/comm/textops.h"
#include "hostapi/qpxcomm.h"

namespace {

constexpr int kStringBuffers = 4;
// The name field at the start of an address-book record.
constexpr size_t kRecordNameSize = 60;

// Copies at most size - 1 characters of `source`, reading no further into it, and
// terminates. Source and destination may overlap. (qp::copyText reads one character
// more to tell whether the text fit, which a source at the end of readable memory
// does not allow.)
void boundedCopy(char* destination, const char* source, size_t size) {
  size_t n = source ? strnlen(source, size - 1) : 0;
  if (n > 0) std::memmove(destination, source, n);
  destination[n] = '\0';
}

bool validBuffer(const char* buffer, int32_t size) { return buffer != nullptr && size > 0; }

}  // namespace

char* QPAPI GetString(uint32_t number, int32_t limit) {
  thread_local char buffers[kStringBuffers][QP_TEXT_LARGE];
  thread_local int next = 0;
  char* buffer = buffers[next];
  next = (next + 1) % kStringBuffers;
  buffer[0] = '\0';
  if (limit > QP_TEXT_LARGE) limit = QP_TEXT_LARGE;
  if (limit > 0) qp::copyText(buffer, static_cast<size_t>(limit), lookUpMessage(number));
  return buffer;
}

char* QPAPI lstrcpyN(char* destination, const char* source, int32_t size) {
  if (validBuffer(destination, size)) boundedCopy(destination, source, static_cast<size_t>(size));
  return destination;
}

char* QPAPI lstrcatN(char* destination, const char* source, int32_t size) {
  if (!validBuffer(destination, size)) return destination;
  size_t used = strnlen(destination, static_cast<size_t>(size));
  if (used == static_cast<size_t>(size)) {
    destination[size - 1] = '\0';  // was not terminated within the buffer
    return destination;
  }
  boundedCopy(destination + used, source, static_cast<size_t>(size) - used);
  return destination;
}

char* QPAPI QPstrstr(const char* text, const char* part) {
  if (text == nullptr || part == nullptr) return nullptr;
  return const_cast<char*>(qpcomm::findNoCase(text, part));
}

char* QPAPI FindNonBlank(const char* text) {
  return text ? const_cast<char*>(qpcomm::findNonBlank(text)) : nullptr;
}

char* QPAPI StripTrailingSpaces(char* text) {
  if (text != nullptr) qpcomm::stripTrailingSpaces(text);
  return text;
}

char* QPAPI StrStripHardSpaces(char* text) {
  if (text != nullptr) qpcomm::stripHardSpaces(text);
  return text;
}

void QPAPI NormalizeName(char* record) {
  if (record == nullptr) return;
  try {
    qpcomm::normalizeName(record, kRecordNameSize);
  } catch (...) {  // out of memory: the name stays as it was
  }
}

char* QPAPI StripFullName(const char* address, char* out, int32_t size) {
  if (!validBuffer(out, size)) return out;
  try {
    qpcomm::stripFullName(address ? address : "", out, static_cast<size_t>(size));
  } catch (...) {
    out[0] = '\0';
  }
  return out;
}

char* QPAPI ParseFullNameFromAddress(const char* address, char* out, int32_t size) {
  if (!validBuffer(out, size)) return out;
  try {
    qpcomm::parseFullNameFromAddress(address ? address : "", out, static_cast<size_t>(size));
  } catch (...) {
    out[0] = '\0';
  }
  return out;
}

char* QPAPI EncodeFullName(char* text, int32_t size) {
  if (!validBuffer(text, size)) return text;
  try {
    qpcomm::encodeFullName(text, static_cast<size_t>(size));
  } catch (...) {  // out of memory: the text stays as it was
  }
  return text;
}
