// The address helpers of the common library's portable core in the form the recipient
// routing takes them, shared by the native routing tests, benchmark and fuzz target.
#pragma once

#include <cstddef>

#include "host/comm/address.h"
#include "multi/core/recipient_routing.h"

namespace qpmulti::testing {

inline void commonBareAddress(const char* address, char* out, size_t size, void*) {
  qpcomm::stripFullName(address, out, size);
}
inline void commonFullName(const char* address, char* out, size_t size, void*) {
  qpcomm::parseFullNameFromAddress(address, out, size);
}
inline void commonEncodeName(char* text, size_t size, void*) { qpcomm::encodeFullName(text, size); }

inline const AddressText kCommonAddressText{commonBareAddress, commonFullName, commonEncodeName,
                                            nullptr};

}  // namespace qpmulti::testing
