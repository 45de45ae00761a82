// Listing the installed interface libraries and reading their capabilities; each library
// is loaded only for the call and released at once.
#include "multi/interface_list.h"

#include "common/text.h"
#include "common/win/unique.h"
#include "hostapi/qptypes.h"
#include "multi/core/dialog_texts.h"

namespace qpmulti {

namespace {

using CheckStatusProc = int32_t(QPAPI*)(char* description, int32_t* first, int32_t* second);
using CapabilitiesProc = uint32_t(QPAPI*)();

template <typename Proc>
Proc exportOf(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// The directory of the module that owns the dialog, ending in a backslash.
bool moduleDirectory(HWND dialog, char* out, size_t size) {
  auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
  const DWORD length = ::GetModuleFileNameA(instance, out, static_cast<DWORD>(size));
  if (length == 0 || length >= size) return false;
  char* slash = nullptr;
  for (char* p = out; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') slash = p;
  }
  if (slash == nullptr) return false;
  slash[1] = '\0';
  return true;
}

// Loads a library by its full path; its own imports resolve next to it.
qp::UniqueModule loadLibrary(const char* path) {
  return qp::UniqueModule(::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

// What the library is, and its description (empty unless Described).
LibraryState describeLibrary(const char* path, char* description, size_t size) {
  description[0] = '\0';
  qp::UniqueModule library = loadLibrary(path);
  if (!library) return LibraryState::Unloadable;
  if (::GetProcAddress(library.get(), "QPIAuthenticateUser") == nullptr)
    return LibraryState::NotInterface;
  auto checkStatus = exportOf<CheckStatusProc>(library.get(), "QPICheckInterfaceStatus");
  if (checkStatus == nullptr) return LibraryState::Silent;
  int32_t first = 0, second = 0;  // status values; the list does not use them
  checkStatus(description, &first, &second);
  description[size - 1] = '\0';
  return description[0] == '\0' ? LibraryState::Silent : LibraryState::Described;
}

}  // namespace

void ForEachInterfaceLibrary(
    const char* directory,
    const std::function<void(const char*, LibraryState, const char*)>& visit) {
  char pattern[MAX_PATH];
  if (!qp::copyText(pattern, directory) || !qp::appendText(pattern, "QPX*.DLL")) return;

  WIN32_FIND_DATAA found;
  qp::UniqueFind find(::FindFirstFileA(pattern, &found));
  if (!find) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    if (isExcludedLibraryFile(found.cFileName)) continue;
    char path[MAX_PATH];
    qp::copyText(path, directory);
    if (!qp::appendText(path, found.cFileName)) continue;
    // Libraries write up to 150 bytes; the larger buffer leaves room for a careless one.
    char description[2 * QP_TEXT_SMALL];
    const LibraryState state = describeLibrary(path, description, sizeof description);
    visit(found.cFileName, state, description);
  } while (::FindNextFileA(find.get(), &found));
}

void FillInterfaceList(HWND dialog, int comboId) {
  char directory[MAX_PATH];
  if (!moduleDirectory(dialog, directory, sizeof directory)) return;
  ForEachInterfaceLibrary(directory, [dialog, comboId](const char* fileName, LibraryState state,
                                                       const char* description) {
    if (state != LibraryState::Described) return;
    char name[QP_TEXT_SMALL];
    char entry[kInterfaceEntrySize];
    interfaceNameFromFileName(fileName, name, sizeof name);
    formatInterfaceEntry(entry, sizeof entry, name, description);
    ::SendDlgItemMessageA(dialog, comboId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  });
}

bool QueryInterfaceCapabilities(HWND dialog, const char* name, uint32_t* bits) {
  char path[MAX_PATH];
  if (name == nullptr || *name == '\0' || !moduleDirectory(dialog, path, sizeof path)) return false;
  if (!qp::appendText(path, "QPX") || !qp::appendText(path, name) || !qp::appendText(path, ".DLL"))
    return false;
  qp::UniqueModule library = loadLibrary(path);
  if (!library) return false;
  auto query = exportOf<CapabilitiesProc>(library.get(), "QPIQueryCapabilities");
  if (query == nullptr) return false;
  *bits = query();
  return true;
}

}  // namespace qpmulti
