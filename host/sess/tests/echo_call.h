// What the test interface library QPXECHO.DLL remembers of the last call it received.
#pragma once

#include <stdint.h>

namespace qptest {

constexpr int kEchoMaxArguments = 24;
// Every export of QPXECHO.DLL that has a result returns this value (as a pointer where
// the result is one).
constexpr intptr_t kEchoResult = 0x5EED;

struct EchoCall {
  char exportName[64];
  int argumentCount;
  intptr_t arguments[kEchoMaxArguments];  // integers as they are, pointers as addresses
};

}  // namespace qptest
