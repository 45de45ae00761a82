// The tests of the library's parts link the library's code into the test program: the
// dialog templates come from the program, RASAPI32.DLL is attached as the DLL's entry
// point would, and the grace period is cut to 10 sleeps of 20 ms.
#include <windows.h>

#include <gtest/gtest.h>

#include "dialup/dial_thread.h"
#include "dialup/ras_library.h"

namespace {

class PartsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qpras::setModuleInstance(GetModuleHandleA(nullptr));
    ASSERT_TRUE(qpras::attachRas()) << "RASAPI32.DLL with RasDialA and RasHangUpA is missing";
    qpras::setGracePeriodForTesting(qpras::kGraceSleeps, 20);
  }
  void TearDown() override { qpras::detachRas(false); }
};

::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new PartsEnvironment);

}  // namespace
