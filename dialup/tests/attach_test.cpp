// QPXRAS.DLL refuses to load without a RASAPI32.DLL that has RasDialA and RasHangUpA,
// and then holds no reference to the library. Each case runs in a process of its own
// (ctest starts this program once per case, with its own Wine DLL settings).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/win/unique.h"

namespace {

std::string folderOfThisProgram() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string text(path, length);
  return text.substr(0, text.find_last_of("\\/") + 1);
}

// Run with the RAS library switched off (WINEDLLOVERRIDES=rasapi32=).
TEST(Attach, FailsWithoutTheRasLibrary) {
  ASSERT_EQ(nullptr, LoadLibraryA("RASAPI32.DLL")) << "the RAS library is not switched off";
  EXPECT_EQ(nullptr, LoadLibraryA("QPXRAS.DLL"));
  EXPECT_EQ(nullptr, GetModuleHandleA("QPXRAS.DLL"));
}

// Run with our DLLs preferred (WINEDLLOVERRIDES=rasapi32=n): a RASAPI32.DLL lacking
// RasHangUpA is loaded first, so the library finds that one by name.
TEST(Attach, FailsWhenTheRasLibraryLacksAFunctionAndReleasesIt) {
  qp::UniqueModule incomplete(
      LoadLibraryA((folderOfThisProgram() + "ras-incomplete\\RASAPI32.DLL").c_str()));
  ASSERT_TRUE(incomplete);
  ASSERT_NE(nullptr, GetProcAddress(incomplete.get(), "RasDialA"));
  ASSERT_EQ(nullptr, GetProcAddress(incomplete.get(), "RasHangUpA"));
  EXPECT_EQ(nullptr, LoadLibraryA("QPXRAS.DLL"));
  EXPECT_EQ(nullptr, GetModuleHandleA("QPXRAS.DLL"));
  // Our one reference is the last: the failed attach gave its own back.
  incomplete.reset();
  EXPECT_EQ(nullptr, GetModuleHandleA("RASAPI32.DLL"));
}

}  // namespace
