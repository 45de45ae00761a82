// Exports of the sample interface library that list messages: the index of a folder,
// the poll whether that index changed, and the header search. Every call is journaled.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/mailstore/message_store.h"
#include "host/mailstore/message_view.h"
#include "host/mailstore/store_files.h"
#include "hostapi/qpi_ops.h"
#include "hostapi/qpxcomm.h"

extern "C" {
#define QP_DECLARE_EXPORT(Name, Result, Params, Args) Result QPAPI QPI##Name Params;
QP_FORWARDED_OPS(QP_DECLARE_EXPORT)
QP_OTHER_SHAPE_OPS(QP_DECLARE_EXPORT)
#undef QP_DECLARE_EXPORT
}

namespace {

using namespace qp::mailstore;

// Poll answers of QPICheckMessageIndexUpdated.
constexpr int32_t kIndexUnchanged = 0;
constexpr int32_t kIndexChanged = 2;
constexpr int32_t kNoFolder = -1;

const char* textArg(intptr_t arg) { return reinterpret_cast<const char*>(arg); }

// Appends a QPmalloc'd copy of `text` at list[*count] while there is room; false when
// the list is full or memory ran out.
bool appendEntry(char** list, int32_t* count, const std::string& text) {
  if (*count < 0 || *count >= kListCapacity) return false;
  char* entry = static_cast<char*>(QPmalloc(static_cast<uint32_t>(text.size() + 1)));
  if (entry == nullptr) return false;
  memcpy(entry, text.c_str(), text.size() + 1);
  list[*count] = entry;
  ++*count;
  return true;
}

// "<index text>\xFF<message id>", the id with "DFT:" for a draft.
std::string indexEntry(const std::string& mailDatabase, const std::string& folder,
                       const StoredMessage& stored) {
  MessageId id{folder, stored.name, (stored.status & kStatusDraft) != 0};
  std::optional<std::string> text = readMessage(mailDatabase, id);
  const ParsedMessage message = parseMessage(text ? *text : std::string());
  return indexText(message, stored.status) + '\xFF' + formatMessageId(id);
}

int32_t buildIndex(QPSESSION session, const char* folderArg, char** list, int32_t* count) {
  const std::string mailDatabase = sessionMailDatabase(session);
  const std::string folder(folderNameOrDefault(folderArg));
  // Taken before the listing, so a message arriving meanwhile shows as a change.
  std::optional<uint64_t> fingerprint = folderFingerprint(mailDatabase, folder);
  std::optional<std::vector<StoredMessage>> messages = listMessages(mailDatabase, folder);
  if (!fingerprint || !messages) return kNoFolder;
  int32_t listed = 0;
  bool room = true;
  for (const std::string& line : readFolderNotice(mailDatabase, folder)) {
    if (!(room = appendEntry(list, count, line))) break;
    ++listed;
  }
  for (size_t i = 0; room && i < messages->size(); ++i) {
    if (!(room = appendEntry(list, count, indexEntry(mailDatabase, folder, (*messages)[i])))) break;
    ++listed;
  }
  markFolderIndexed(mailDatabase, folder, *fingerprint);
  return listed;
}

// Appends "<index text>\xFF<message id>\xFF<folder>" for every message of `folder` that
// matches; false when the list is full.
bool searchFolder(const std::string& mailDatabase, const std::string& folder, const char* needle,
                  uint32_t fields, char** list, int32_t* count, int32_t& found) {
  std::optional<std::vector<StoredMessage>> messages = listMessages(mailDatabase, folder);
  if (!messages) return true;
  for (const StoredMessage& stored : *messages) {
    MessageId id{folder, stored.name, (stored.status & kStatusDraft) != 0};
    std::optional<std::string> text = readMessage(mailDatabase, id);
    if (!text) continue;
    const ParsedMessage message = parseMessage(*text);
    if (!matchesSearch(message, needle, fields)) continue;
    if (!appendEntry(
            list, count,
            indexText(message, stored.status) + '\xFF' + formatMessageId(id) + '\xFF' + folder))
      return false;
    ++found;
  }
  return true;
}

}  // namespace

// arg3: the folder (null or empty: Inbox). Appends the folder's notice lines (no
// separator) and one entry per message; the number of entries appended, -1 when there
// is no such folder.
int32_t QPAPI QPIBuildMailMessageIndex(QPSESSION session, const char* userName, intptr_t arg3,
                                       char** indexEntries, int32_t* entryCount) {
  try {
    journalForSession(session, JournalLine("BuildMailMessageIndex")
                                   .number(session)
                                   .text(userName)
                                   .text(textArg(arg3))
                                   .number(entryCount ? *entryCount : -1));
    if (indexEntries == nullptr || entryCount == nullptr) return kNoFolder;
    return buildIndex(session, textArg(arg3), indexEntries, entryCount);
  } catch (...) {
    return kNoFolder;
  }
}

// arg3: the folder (null or empty: Inbox); arg4 is not used. 2 when a message was added,
// removed or rewritten or its flags changed since the folder's index was last built, 0
// when not, -1 when there is no such folder.
int32_t QPAPI QPICheckMessageIndexUpdated(QPSESSION session, const char* userName, intptr_t arg3,
                                          intptr_t arg4) {
  try {
    journalForSession(session, JournalLine("CheckMessageIndexUpdated")
                                   .number(session)
                                   .text(userName)
                                   .text(textArg(arg3))
                                   .number(arg4));
    const std::string mailDatabase = sessionMailDatabase(session);
    const std::string_view folder = folderNameOrDefault(textArg(arg3));
    std::optional<uint64_t> fingerprint = folderFingerprint(mailDatabase, folder);
    std::optional<FolderState> state = readFolderState(mailDatabase, folder);
    if (!fingerprint || !state) return kNoFolder;
    return state->indexed == *fingerprint ? kIndexUnchanged : kIndexChanged;
  } catch (...) {
    return kNoFolder;
  }
}

// The user name stands fourth. arg5: the folder (null or empty: every folder); arg6: the
// text to find, letter case aside; arg7: the fields to look in (message_view.h; 0: From,
// To, Cc and Subject); arg8 to arg14 are not used. Appends one entry per match, "<index
// text>\xFF<message id>\xFF<folder>", and returns their number (-1 for a folder that
// does not exist).
int32_t QPAPI QPIDoMessageSearchFolder(QPSESSION session, char** resultList, int32_t* resultCount,
                                       const char* userName, intptr_t arg5, intptr_t arg6,
                                       intptr_t arg7, intptr_t arg8, intptr_t arg9, intptr_t arg10,
                                       intptr_t arg11, intptr_t arg12, intptr_t arg13,
                                       intptr_t arg14) {
  (void)arg8, (void)arg9, (void)arg10, (void)arg11, (void)arg12, (void)arg13, (void)arg14;
  try {
    journalForSession(session, JournalLine("DoMessageSearchFolder")
                                   .number(session)
                                   .text(userName)
                                   .text(textArg(arg5))
                                   .text(textArg(arg6))
                                   .number(arg7)
                                   .number(resultCount ? *resultCount : -1));
    if (resultList == nullptr || resultCount == nullptr) return 0;
    const std::string mailDatabase = sessionMailDatabase(session);
    const char* needle = textArg(arg6) != nullptr ? textArg(arg6) : "";
    const uint32_t fields = static_cast<uint32_t>(arg7);
    int32_t found = 0;
    if (textArg(arg5) != nullptr && textArg(arg5)[0] != '\0') {
      const std::string folder = textArg(arg5);
      if (!readFolderState(mailDatabase, folder)) return kNoFolder;
      searchFolder(mailDatabase, folder, needle, fields, resultList, resultCount, found);
    } else {
      for (const std::string& folder : listFolders(mailDatabase)) {
        if (!searchFolder(mailDatabase, folder, needle, fields, resultList, resultCount, found))
          break;
      }
    }
    return found;
  } catch (...) {
    return 0;
  }
}
