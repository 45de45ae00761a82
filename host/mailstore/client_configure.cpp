// The sample library's description of itself (its settings file) and its configuration
// "dialog": a message box that names the member's mail database, journaled like every
// call that carries a session.
#include <windows.h>

#include <string>

#include "common/win/unique.h"
#include "host/mailstore/library_file.h"
#include "host/mailstore/store_files.h"
#include "host/mailstore/store_paths.h"
#include "hostapi/qpxcomm.h"

extern "C" int32_t QPAPI QPIClientConfigure(HWND owner, QPSESSION session);

namespace qp::mailstore {

namespace {

std::string modulePath(HMODULE module) {
  char path[MAX_PATH] = "";
  const DWORD length = ::GetModuleFileNameA(module, path, sizeof path);
  return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

// This library's own module, whatever name it was built and loaded under.
HMODULE ownModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<const char*>(&ownModule), &module);
  return module;
}

std::string readSmallFile(const std::string& path) {
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string text;
  if (!file) return text;
  text.resize(kMaxLibrarySettingsSize);
  size_t used = 0;
  DWORD got = 0;
  while (
      used < text.size() &&
      ::ReadFile(file.get(), &text[used], static_cast<DWORD>(text.size() - used), &got, nullptr) &&
      got > 0)
    used += got;
  text.resize(used);
  return text;
}

}  // namespace

LibrarySettings readLibrarySettings(HMODULE module) {
  const std::string path = modulePath(module);
  const std::string type = interfaceTypeFromModulePath(path);
  if (path.empty()) return parseLibrarySettings("", type);
  return parseLibrarySettings(readSmallFile(librarySettingsPath(path)), type);
}

}  // namespace qp::mailstore

int32_t QPAPI QPIClientConfigure(HWND owner, QPSESSION session) {
  try {
    using namespace qp::mailstore;
    journalForSession(session, JournalLine("ClientConfigure").number(session));
    const LibrarySettings settings = readLibrarySettings(ownModule());
    char user[QP_TEXT_SMALL] = "";
    GetUserUsername(session, user);
    const std::string text = "Options of " + settings.description + "\r\n\r\nUser: " + user +
                             "\r\nMail database: " + sessionMailDatabase(session);
    ::MessageBoxA(owner, text.c_str(), settings.description.c_str(), MB_OK | MB_ICONINFORMATION);
    return 1;
  } catch (...) {
    return 0;
  }
}
