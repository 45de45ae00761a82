// Run-time exports: threads, dialogs, the application name and the debug log.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/win/unique.h"
#include "host/comm/tests/server_dir_fixture.h"
#include "hostapi/qpxcomm.h"

namespace {

using RuntimeTest = qptest::ServerDirTest;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST_F(RuntimeTest, DebugLogAppendsStampedLines) {
  WriteDebugLog(-1, "first entry");
  WriteDebugLog(3, "second");
  WriteDebugLog(0, nullptr);
  const std::vector<std::string> got = lines(readFile("QPDEBUG.LOG"));
  ASSERT_EQ(3u, got.size());
  const char* const expected[] = {R"(\[-1\] first entry)", R"(\[3\] second)", R"(\[0\] )"};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(got[i]);
    const std::regex pattern(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )" +
                             std::string(expected[i]) + "\r");
    EXPECT_TRUE(std::regex_match(got[i], pattern));
  }
}

TEST_F(RuntimeTest, DebugLogLinesStayWholeAcrossThreads) {
  constexpr int kPerThread = 100;
  auto write = [](int thread) {
    for (int i = 0; i < kPerThread; ++i) {
      const std::string text = "thread " + std::to_string(thread) + " line " + std::to_string(i);
      WriteDebugLog(thread, text.c_str());
    }
  };
  std::thread one(write, 1), two(write, 2);
  one.join();
  two.join();
  const std::vector<std::string> got = lines(readFile("QPDEBUG.LOG"));
  ASSERT_EQ(2u * kPerThread, got.size());
  const std::regex pattern(R"(\S+ \S+ \[([12])\] thread \1 line \d+\r)");
  for (const std::string& line : got) EXPECT_TRUE(std::regex_match(line, pattern)) << line;
}

TEST(AppName, IsQuillpostUnlessTheVariableSaysOtherwise) {
  struct Case {
    const char* variable;
    const char* expected;
  } const cases[] = {{nullptr, "Quillpost"}, {"Portmerge", "Portmerge"}, {"", "Quillpost"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variable ? c.variable : "(unset)");
    ::SetEnvironmentVariableA("QP_APP_NAME", c.variable);
    EXPECT_STREQ(c.expected, QPGetAppName());
  }
  ::SetEnvironmentVariableA("QP_APP_NAME", nullptr);
}

unsigned QPAPI returnArgument(void* argument) {
  return *static_cast<unsigned*>(argument);
}

unsigned QPAPI endEarly(void* argument) {
  *static_cast<unsigned*>(argument) = 1;
  QPEndThread(77);
  return 0;
}

TEST(Threads, RoutineRunsWithItsArgumentAndEndsWithItsCode) {
  struct Case {
    const char* what;
    QPTHREADPROC routine;
    unsigned argument;
    DWORD exitCode;
  } const cases[] = {
      {"returns", returnArgument, 42, 42},
      {"ends with QPEndThread", endEarly, 0, 77},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    unsigned argument = c.argument;
    qp::UniqueHandle thread(QPBeginThread(c.routine, 64 * 1024, &argument));
    ASSERT_TRUE(thread);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.get(), 10000));
    DWORD code = 0;
    ASSERT_TRUE(::GetExitCodeThread(thread.get(), &code));
    EXPECT_EQ(c.exitCode, code);
  }
  EXPECT_EQ(nullptr, QPBeginThread(nullptr, 0, nullptr));
}

INT_PTR CALLBACK endAtOnce(HWND dialog, UINT message, WPARAM, LPARAM parameter) {
  if (message != WM_INITDIALOG) return FALSE;
  ::EndDialog(dialog, parameter);
  return TRUE;
}

// Needs a display (the tests run under Xvfb).
TEST(Dialogs, DialogBoxParamPassesTemplateAndParameter) {
  const HMODULE module = GetMainModuleHandle();
  EXPECT_EQ(4321, QPDialogBoxParam(module, "QPTESTDIALOG", nullptr, endAtOnce, 4321));
  EXPECT_EQ(-1, QPDialogBoxParam(module, "NOSUCHDIALOG", nullptr, endAtOnce, 1));
}

}  // namespace
