// Runs QPHOST.EXE (or any program) as a child process for the QPHOST tests, with its
// standard handles on files the test opened as inheritable.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/win/unique.h"

namespace qphosttest {

// Runs `commandLine` with standard input, output and error on the given handles (input
// may be null) and waits up to 60 s for it; its exit code, or 0xFFFFFFFF after a test
// failure when it could not be started.
inline DWORD runChild(const std::string& commandLine, HANDLE in, HANDLE out, HANDLE err) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
    return 0xFFFFFFFF;
  }
  qp::UniqueHandle processHandle(process.hProcess);
  qp::UniqueHandle threadHandle(process.hThread);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  DWORD exitCode = 0xFFFFFFFF;
  GetExitCodeProcess(process.hProcess, &exitCode);
  return exitCode;
}

}  // namespace qphosttest
