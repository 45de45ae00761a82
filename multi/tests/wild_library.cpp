// QPXWILD.DLL: a test interface library that misbehaves on demand. Every list operation
// reads the environment variable QP_WILD_MODE at the call and appends what that mode
// says (wild_entries.h): good entries, nothing, 50,000 entries, entries without
// separators, null and empty entries, counts that disagree with what it appended, a
// lowered count, or a failure. QP_WILD_AUTH=refuse makes its log-in fail. Entries are
// QPmalloc'd and appended as the sample mail store appends them.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "hostapi/qpxcomm.h"
#include "multi/tests/wild_entries.h"

namespace {

using wild::List;
using wild::Mode;

std::string variable(const char* name) {
  char value[64] = "";
  const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? value : "";
}

Mode currentMode() { return wild::modeNamed(variable(wild::kModeVariable).c_str()); }

char* copyOf(const std::string& text) {
  char* entry = static_cast<char*>(QPmalloc(static_cast<uint32_t>(text.size() + 1)));
  if (entry != nullptr) std::memcpy(entry, text.c_str(), text.size() + 1);
  return entry;
}

// Appends at list[*count] and raises the count as the mode says; the member's answer.
int32_t appendCounted(List kind, char** list, int32_t* count) {
  if (list == nullptr || count == nullptr || *count < 0) return -1;
  const Mode mode = currentMode();
  auto put = [&](uint32_t n, bool bare) {
    list[(*count)++] = copyOf(wild::entryText(kind, n, bare));
  };
  switch (mode) {
    case Mode::Normal:
    case Mode::Bare:
      for (uint32_t n = 1; n <= wild::kNormalEntries; ++n) put(n, mode == Mode::Bare);
      return wild::kNormalEntries;
    case Mode::Nothing:
      return 0;
    case Mode::Many:
      for (uint32_t n = 1; n <= wild::kManyEntries; ++n) put(n, false);
      return wild::kManyEntries;
    case Mode::Nulls:
      list[(*count)++] = nullptr;
      list[(*count)++] = copyOf("");
      put(1, false);
      list[(*count)++] = copyOf("no id\xFF");
      return 4;
    case Mode::CountHigh:
      list[*count] = copyOf(wild::entryText(kind, 1));
      *count += wild::kClaimedHigh;  // the positions after the one entry stay as they were
      return wild::kClaimedHigh;
    case Mode::CountLow:
      for (uint32_t n = 1; n <= wild::kNormalEntries; ++n)
        list[*count + static_cast<int32_t>(n) - 1] = copyOf(wild::entryText(kind, n));
      *count += wild::kClaimedLow;
      return wild::kClaimedLow;
    case Mode::Shrink:
      *count = 0;
      return 0;
    case Mode::Fail:
      return -1;
  }
  return -1;
}

// Appends behind the last entry of a null-terminated address list with the common
// library's AddToAddressList; the member's answer.
int32_t appendTerminated(List kind, char** list) {
  if (list == nullptr) return -1;
  const Mode mode = currentMode();
  int32_t appended = 0;
  auto add = [&](const std::string& text) {
    if (AddToAddressList(list, text.c_str()) < 0) return false;
    ++appended;
    return true;
  };
  switch (mode) {
    case Mode::Normal:
    case Mode::Bare:
      for (uint32_t n = 1; n <= wild::kNormalEntries; ++n)
        add(wild::entryText(kind, n, mode == Mode::Bare));
      return appended;
    case Mode::Nothing:
      return 0;
    case Mode::Many:
      for (uint32_t n = 1; n <= wild::kManyEntries && add(wild::entryText(kind, n)); ++n) {
      }
      return appended;
    case Mode::Nulls:  // a null would end the list: empty and blank entries instead
      add("");
      add("   ");
      add(wild::entryText(kind, 1));
      return appended;
    case Mode::CountHigh:
      add(wild::entryText(kind, 1));
      return wild::kClaimedHigh;
    case Mode::CountLow:
      for (uint32_t n = 1; n <= wild::kNormalEntries; ++n) add(wild::entryText(kind, n));
      return wild::kClaimedLow;
    case Mode::Shrink:
      return -3;
    case Mode::Fail:
      return -1;
  }
  return -1;
}

}  // namespace

extern "C" {

__declspec(dllexport) int32_t QPAPI
    QPIAuthenticateUser(const char*, const char*, const char*, int32_t, void**) {
  return variable(wild::kAuthVariable) == "refuse" ? 0 : 1;
}

__declspec(dllexport) void QPAPI QPICleanUpAfterUser(QPSESSION, const char*) {}

__declspec(dllexport) int32_t QPAPI
    QPIBuildMailMessageIndex(QPSESSION, const char*, intptr_t, char** entries, int32_t* count) {
  return appendCounted(List::Index, entries, count);
}

__declspec(dllexport) int32_t QPAPI
    QPIDoMessageSearchFolder(QPSESSION, char** results, int32_t* count, const char*, intptr_t,
                             intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t,
                             intptr_t, intptr_t) {
  return appendCounted(List::Search, results, count);
}

__declspec(dllexport) int32_t QPAPI
    QPIBuildFolderList(QPSESSION, const char*, char** folders, int32_t* count, intptr_t) {
  return appendCounted(List::Folders, folders, count);
}

__declspec(dllexport) int32_t QPAPI
    QPIBuildAddressBookList(QPSESSION, const char*, char** names, int32_t* count) {
  return appendCounted(List::Books, names, count);
}

__declspec(dllexport) int32_t QPAPI
    QPIBuildAvailableRecipsList(QPSESSION, const char*, const char*, char** list, intptr_t,
                                intptr_t, intptr_t) {
  return appendTerminated(List::Recipients, list);
}

__declspec(dllexport) int32_t QPAPI
    QPISearchAddressBooks(QPSESSION, const char*, intptr_t, char** list, intptr_t, intptr_t) {
  return appendTerminated(List::Recipients, list);
}

// Validation gets the recipients of this member in `first`: the mode's entries are added
// to them, or (Shrink) all of them are removed.
__declspec(dllexport) int32_t QPAPI
    QPIValidateMessageRecipients(QPSESSION, const char*, char** first, char**, char**, intptr_t) {
  if (first == nullptr) return -1;
  if (currentMode() == Mode::Shrink) {
    size_t given = 0;
    while (first[given] != nullptr) ++given;
    for (size_t i = 0; i < given; ++i) {
      QPfree(first[i]);
      first[i] = nullptr;
    }
    return 0;
  }
  return appendTerminated(List::Recipients, first);
}

}  // extern "C"
