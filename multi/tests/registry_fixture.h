// Shared by the profile store's Windows tests: a fixture that starts and ends every test
// with the profile and client areas deleted, and direct registry access that checks
// what the store wrote without going through it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/win/unique.h"
#include "multi/core/area_path.h"
#include "multi/profile_store.h"
#include "multi/tests/hex.h"

namespace storetest {

inline void deleteAreas() {
  RegDeleteTreeA(HKEY_CURRENT_USER, qpmulti::kProfileAreaBase);
  RegDeleteTreeA(HKEY_CURRENT_USER, qpmulti::kClientAreaBase);
}

inline std::string under(const std::string& path, const std::string& name) {
  return path + "\\" + name;
}

inline bool keyExists(const std::string& path) {
  qp::UniqueHKey key;
  return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// Creates a key (and the keys above it) without a class, as another program would.
inline qp::UniqueHKey rawKey(const std::string& path) {
  qp::UniqueHKey key;
  LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, key.put(), nullptr);
  EXPECT_EQ(rc, ERROR_SUCCESS) << "creating " << path;
  return key;
}

inline void setText(const std::string& path, const char* name, const std::string& text) {
  qp::UniqueHKey key = rawKey(path);
  EXPECT_EQ(RegSetValueExA(key.get(), name, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)), ERROR_SUCCESS);
}

inline void setBinary(const std::string& path, const char* name,
                      const std::vector<unsigned char>& data) {
  qp::UniqueHKey key = rawKey(path);
  EXPECT_EQ(RegSetValueExA(key.get(), name, 0, REG_BINARY, data.data(),
                           static_cast<DWORD>(data.size())), ERROR_SUCCESS);
}

// A value as stored: found, its type and its bytes.
struct RawValue {
  bool found = false;
  DWORD type = REG_NONE;
  std::vector<unsigned char> data;
  std::string text() const {
    return std::string(data.begin(), data.end()).c_str();  // up to the first zero
  }
};

inline RawValue readRaw(const std::string& path, const char* name) {
  RawValue value;
  qp::UniqueHKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return value;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
    return value;
  value.data.resize(size);
  value.found = RegQueryValueExA(key.get(), name, nullptr, &value.type,
                                 size ? value.data.data() : nullptr, &size) == ERROR_SUCCESS;
  value.data.resize(size);
  return value;
}

// The class string of a key and its number of values; class "?" when it does not open.
struct KeyInfo {
  std::string keyClass = "?";
  DWORD values = 0;
  DWORD subkeys = 0;
};

inline KeyInfo keyInfo(const std::string& path) {
  KeyInfo info;
  qp::UniqueHKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return info;
  char keyClass[64] = "";
  DWORD classSize = sizeof keyClass;
  if (RegQueryInfoKeyA(key.get(), keyClass, &classSize, nullptr, &info.subkeys, nullptr,
                       nullptr, &info.values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
    info.keyClass = keyClass;
  return info;
}


// A fresh directory under the temporary folder, removed with its files afterwards.
class TempDir {
 public:
  TempDir() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    path_ = std::string(base) + "qpmulti_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(GetTickCount()) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempDir() {
    WIN32_FIND_DATAA found;
    qp::UniqueFind find(FindFirstFileA((path_ + "*").c_str(), &found));
    if (find) {
      do {
        DeleteFileA((path_ + found.cFileName).c_str());
      } while (FindNextFileA(find.get(), &found));
    }
    find.reset();
    RemoveDirectoryA(path_.c_str());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const char* name) const { return path_ + name; }

 private:
  std::string path_;
};

inline std::string readFile(const std::string& path) {
  qp::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
  std::string text;
  if (!file) return text;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
  return text;
}

}  // namespace storetest

namespace storetest {

// The store's tests run without a network user, so both areas are their base paths.
class StoreTest : public ::testing::Test {
 protected:
  static const char* noNetUser() { return nullptr; }
  void SetUp() override {
    qpmulti::setNetUserSourceForTesting(noNetUser);
    deleteAreas();
  }
  void TearDown() override { deleteAreas(); }
  static std::string profilePath(const char* profile) {
    return under(qpmulti::kProfileAreaBase, profile);
  }
  static std::string memberPath(const char* profile, unsigned login) {
    return under(profilePath(profile), "Login" + std::to_string(login));
  }
  static std::string clientPath(const char* profile) {
    return under(qpmulti::kClientAreaBase, profile);
  }
};

}  // namespace storetest
