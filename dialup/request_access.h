// Reads and writes of the DialUpRequest fields that the caller's threads and the dial
// thread share (connected, threadHandle, rasConnection): each is one interlocked
// operation on the whole field, so neither side sees a torn or stale value.
#pragma once

#include <windows.h>

#include "dialup/dialup_request.h"

namespace qpras {

// threadHandle while the record is accepted but no dial thread has stored its handle.
inline HANDLE acceptedMark() { return INVALID_HANDLE_VALUE; }

inline LONG loadConnected(DialUpRequest* request) {
  return ::InterlockedCompareExchange(&request->connected, 0, 0);
}
inline void storeConnected(DialUpRequest* request, LONG value) {
  ::InterlockedExchange(&request->connected, value);
}
// Clears connected and returns what it was.
inline LONG takeConnected(DialUpRequest* request) {
  return ::InterlockedExchange(&request->connected, 0);
}

inline HANDLE loadThreadHandle(DialUpRequest* request) {
  return ::InterlockedCompareExchangePointer(&request->threadHandle, nullptr, nullptr);
}
inline HANDLE exchangeThreadHandle(DialUpRequest* request, HANDLE value) {
  return ::InterlockedExchangePointer(&request->threadHandle, value);
}
// Stores `value` only while the field holds `expected`; returns what it held.
inline HANDLE replaceThreadHandle(DialUpRequest* request, HANDLE expected, HANDLE value) {
  return ::InterlockedCompareExchangePointer(&request->threadHandle, value, expected);
}

inline HANDLE loadRasConnection(DialUpRequest* request) {
  return ::InterlockedCompareExchangePointer(&request->rasConnection, nullptr, nullptr);
}
inline void storeRasConnection(DialUpRequest* request, HANDLE value) {
  ::InterlockedExchangePointer(&request->rasConnection, value);
}

}  // namespace qpras
