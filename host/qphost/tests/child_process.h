// Runs QPHOST.EXE (or any program) as a child process for the QPHOST tests, with its
// standard handles on files the test opened as inheritable; and the helpers around it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
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
  // Under load Wine now and then fails a start with ERROR_INTERNAL_ERROR before the
  // program ran at all; such a start is tried again, a program that cannot start fails.
  bool started = false;
  DWORD error = 0;
  for (int attempt = 0; attempt < 3 && !started; ++attempt) {
    started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &startup, &process) != 0;
    error = started ? 0 : GetLastError();
    if (!started && error != ERROR_INTERNAL_ERROR) break;
    if (!started) {
      std::fprintf(stderr, "CreateProcess: error %lu, starting again\n", error);
      Sleep(200);
    }
  }
  if (!started) {
    ADD_FAILURE() << "CreateProcess failed: " << error;
    return 0xFFFFFFFF;
  }
  qp::UniqueHandle processHandle(process.hProcess);
  qp::UniqueHandle threadHandle(process.hThread);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  DWORD exitCode = 0xFFFFFFFF;
  GetExitCodeProcess(process.hProcess, &exitCode);
  return exitCode;
}

// What a run of QPHOST printed, and its exit code.
struct HostRun {
  DWORD exitCode = 0xDEADBEEF;
  std::string out;
  std::string err;
};

// A file beside the test program (QPHOST.EXE and the libraries are built there).
inline std::string binPath(const char* file) {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string text(path, length);
  return text.substr(0, text.find_last_of('\\') + 1) + file;
}

// A file a child process inherits as a standard handle: read, or written anew.
inline qp::UniqueFile inheritable(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return qp::UniqueFile(CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                                    FILE_SHARE_READ, &inherit,
                                    write ? CREATE_ALWAYS : OPEN_EXISTING, 0, nullptr));
}

// Standard output is in text mode: its lines end in CR LF.
inline std::string withoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

// Runs QPHOST.EXE with the arguments (each quoted), standard input from `input`; in.txt,
// out.txt and err.txt are made in `dir` (ending in a backslash). Output without CRs.
inline HostRun runQpHost(const std::string& dir, const std::vector<std::string>& args,
                         const std::string& input = "") {
  std::string commandLine = "\"" + binPath("QPHOST.EXE") + "\"";
  for (const std::string& arg : args) commandLine += " \"" + arg + "\"";
  std::ofstream(dir + "in.txt", std::ios::binary) << input;
  HostRun result;
  {
    qp::UniqueFile in = inheritable(dir + "in.txt", false);
    qp::UniqueFile out = inheritable(dir + "out.txt", true);
    qp::UniqueFile err = inheritable(dir + "err.txt", true);
    result.exitCode = runChild(commandLine, in.get(), out.get(), err.get());
  }
  auto read = [&](const char* name) {
    std::ifstream file(dir + name, std::ios::binary);
    return withoutCarriageReturns(
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
  };
  result.out = read("out.txt");
  result.err = read("err.txt");
  return result;
}

}  // namespace qphosttest
