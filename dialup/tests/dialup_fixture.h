// Shared by the dial-up library's Windows tests: a fresh server directory (user
// profiles), the stand-in dial-up service's script and journal in it, the dial-up
// settings and the system's autodial switch in the registry put back as they were, and
// direct registry access that checks what the library wrote without going through it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/win/unique.h"
#include "host/comm/tests/server_dir_fixture.h"

namespace dialtest {

constexpr char kSettingsPath[] = "Software\\Vendral\\Corvane\\DialUpNetworking";
constexpr char kInternetSettingsPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kRasAutodialPath[] = "Software\\Microsoft\\RAS AutoDial";
constexpr char kRemoteAccessPath[] = "RemoteAccess";

inline std::string under(const std::string& path, const std::string& name) {
  return path + "\\" + name;
}

// Opens (or creates, without a class, as another program would) a key below
// HKEY_CURRENT_USER one level at a time: Wine's ANSI registry calls refuse paths longer
// than MAX_PATH at once.
inline LONG openPath(const std::string& path, bool create, qp::UniqueHKey& key,
                     REGSAM access = KEY_ALL_ACCESS) {
  qp::UniqueHKey current;
  HKEY parent = HKEY_CURRENT_USER;
  size_t start = 0;
  for (;;) {
    size_t end = path.find('\\', start);
    const std::string name = path.substr(start, end == std::string::npos ? end : end - start);
    qp::UniqueHKey next;
    LONG rc = create ? RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, access, nullptr,
                                       next.put(), nullptr)
                     : RegOpenKeyExA(parent, name.c_str(), 0, access, next.put());
    if (rc != ERROR_SUCCESS) {
      next.release();
      return rc;
    }
    current = std::move(next);
    parent = current.get();
    if (end == std::string::npos) break;
    start = end + 1;
  }
  key = std::move(current);
  return ERROR_SUCCESS;
}

// A value as stored: found, its type and its bytes.
struct RawValue {
  bool found = false;
  DWORD type = REG_NONE;
  std::vector<unsigned char> data;
  std::string text() const { return std::string(data.begin(), data.end()).c_str(); }
};

inline RawValue readRaw(const std::string& path, const char* name) {
  RawValue value;
  qp::UniqueHKey key;
  if (openPath(path, false, key, KEY_READ) != ERROR_SUCCESS) return value;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
    return value;
  value.data.resize(size);
  value.found = RegQueryValueExA(key.get(), name, nullptr, &value.type,
                                 size ? value.data.data() : nullptr, &size) == ERROR_SUCCESS;
  value.data.resize(size);
  return value;
}

inline bool keyExists(const std::string& path) {
  qp::UniqueHKey key;
  return openPath(path, false, key, KEY_READ) == ERROR_SUCCESS;
}

inline std::string keyClass(const std::string& path) {
  qp::UniqueHKey key;
  if (openPath(path, false, key, KEY_READ) != ERROR_SUCCESS) return "?";
  char text[64] = "";
  DWORD size = sizeof text;
  RegQueryInfoKeyA(key.get(), text, &size, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr, nullptr);
  return text;
}

inline void deleteValue(const std::string& path, const char* name) {
  qp::UniqueHKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
    RegDeleteValueA(key.get(), name);
}

// Creates a key (and those above it) without a class, as another program would.
inline void createKey(const std::string& path) {
  qp::UniqueHKey key;
  ASSERT_EQ(ERROR_SUCCESS, openPath(path, true, key)) << "creating " << path;
}

inline void setText(const std::string& path, const char* name, const std::string& text) {
  qp::UniqueHKey key;
  ASSERT_EQ(ERROR_SUCCESS, openPath(path, true, key)) << "creating " << path;
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)));
}

inline void setAutodial(DWORD value) {
  qp::UniqueHKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettingsPath, 0, nullptr,
                                           0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), "EnableAutodial", 0, REG_BINARY,
                                          reinterpret_cast<const BYTE*>(&value), sizeof value));
}

// "EnableAutodial" as 4 bytes; -1 when missing or of another size.
inline long long autodial() {
  RawValue value = readRaw(kInternetSettingsPath, "EnableAutodial");
  if (!value.found || value.data.size() != 4) return -1;
  DWORD number = 0;
  memcpy(&number, value.data.data(), 4);
  return number;
}

// One journal line of the stand-in service: the call and its fields.
struct Call {
  std::string name;
  std::map<std::string, std::string> fields;
  long result = -1;
  std::string field(const char* key) const {
    auto it = fields.find(key);
    return it == fields.end() ? "<none>" : it->second;
  }
};

// The process's common library and the stand-in service, started clean per test.
class DialUpTest : public qptest::ServerDirTest {
 protected:
  void SetUp() override {
    ServerDirTest::SetUp();
    scriptPath_ = path("ras-script.txt");
    journalPath_ = path("ras-journal.txt");
    ASSERT_TRUE(SetEnvironmentVariableA("QP_RASFAKE_SCRIPT", scriptPath_.c_str()));
    ASSERT_TRUE(SetEnvironmentVariableA("QP_RASFAKE_JOURNAL", journalPath_.c_str()));
    writeScript("");
    resetService();
    saveSystemSettings();
    clearSettings();
  }

  void TearDown() override {
    clearSettings();
    restoreSystemSettings();
    SetEnvironmentVariableA("QP_RASFAKE_SCRIPT", nullptr);
    SetEnvironmentVariableA("QP_RASFAKE_JOURNAL", nullptr);
    ServerDirTest::TearDown();
  }

  // Our RASAPI32.DLL must be the one loaded: only it has RasFakeReset.
  static void resetService() {
    HMODULE ras = GetModuleHandleA("RASAPI32.DLL");
    ASSERT_NE(nullptr, ras) << "RASAPI32.DLL is not loaded";
    auto reset = reinterpret_cast<void(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(ras, "RasFakeReset")));
    ASSERT_NE(nullptr, reset)
        << "Wine's built-in RASAPI32.DLL was loaded; run with WINEDLLOVERRIDES=rasapi32=n";
    reset();
  }

  void writeScript(const std::string& text) {
    std::ofstream out(scriptPath_, std::ios::binary | std::ios::trunc);
    out << text;
    ASSERT_TRUE(out.good());
  }

  // Every call journaled so far, or those of one function.
  std::vector<Call> calls(const char* only = nullptr) const {
    std::vector<Call> out;
    std::istringstream in(readFile("ras-journal.txt"));
    for (std::string line; std::getline(in, line);) {
      Call call;
      std::istringstream parts(line);
      std::string part;
      std::getline(parts, call.name, '\t');
      while (std::getline(parts, part, '\t')) {
        if (part.rfind("-> ", 0) == 0) {
          call.result = std::stol(part.substr(3));
        } else {
          size_t equals = part.find('=');
          call.fields[part.substr(0, equals)] = part.substr(equals + 1);
        }
      }
      if (only == nullptr || call.name == only) out.push_back(call);
    }
    return out;
  }

  // Puts a user's "UseDialUpNetworking" into the user profile.
  void setUserSetting(const char* user, const char* value) {
    CreateDirectoryA(path("USERS").c_str(), nullptr);
    CreateDirectoryA(path("USERS\\" + std::string(user)).c_str(), nullptr);
    ASSERT_TRUE(WritePrivateProfileStringA(
        "DialUp", "UseDialUpNetworking", value,
        path("USERS\\" + std::string(user) + "\\QPUSER.INI").c_str()));
  }
  std::string userSetting(const char* user) {
    char value[64] = "";
    GetPrivateProfileStringA("DialUp", "UseDialUpNetworking", "<unset>", value, sizeof value,
                             path("USERS\\" + std::string(user) + "\\QPUSER.INI").c_str());
    return value;
  }

  static void clearSettings() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsPath);
    RegDeleteTreeA(HKEY_CURRENT_USER, kRasAutodialPath);
    deleteValue(kRemoteAccessPath, "InternetProfile");
    deleteValue(kInternetSettingsPath, "EnableAutodial");
  }

 private:
  void saveSystemSettings() {
    savedAutodial_ = readRaw(kInternetSettingsPath, "EnableAutodial");
    hadRasAutodialKey_ = keyExists(kRasAutodialPath);
  }
  void restoreSystemSettings() {
    if (savedAutodial_.found) {
      qp::UniqueHKey key;
      if (RegCreateKeyExA(HKEY_CURRENT_USER, kInternetSettingsPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, key.put(), nullptr) == ERROR_SUCCESS)
        RegSetValueExA(key.get(), "EnableAutodial", 0, savedAutodial_.type,
                       savedAutodial_.data.data(), static_cast<DWORD>(savedAutodial_.data.size()));
    }
    if (hadRasAutodialKey_) createKey(kRasAutodialPath);
  }

  std::string scriptPath_;
  std::string journalPath_;
  RawValue savedAutodial_;
  bool hadRasAutodialKey_ = false;
};

}  // namespace dialtest
