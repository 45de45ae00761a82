// Outgoing mail of the sample interface library: a send writes one RFC 822 file into the
// SPOOL folder of the mail database, with the recipient lists exactly as received, so
// that one can see which library delivered whom; validation lower-cases the bare
// addresses and drops recipients whose bare address begins with "invalid"; two
// addresses are the same when their bare addresses are, letter case aside.
#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/text.h"
#include "common/win/unique.h"
#include "host/comm/address.h"
#include "host/mailstore/store_files.h"
#include "host/mailstore/store_paths.h"
#include "hostapi/qpxcomm.h"

namespace {

using qp::mailstore::joinPath;

constexpr size_t kAddressEntries = 50000;
constexpr size_t kAttachmentEntries = 200;
constexpr size_t kLineEntries = 20000;

void appendList(std::string& out, const char* header, char** list, size_t limit) {
  out += header;
  for (size_t i = 0; list != nullptr && i < limit && list[i] != nullptr; ++i) {
    out += i == 0 ? " " : ", ";
    out += list[i];
  }
  out += "\r\n";
}

// The account's send result: [Account] SendResult of ACCOUNT.INI, 0 when unset.
int32_t sendResult(const std::string& database) {
  std::string account = joinPath(database, "ACCOUNT.INI");
  return static_cast<int32_t>(GetPrivateProfileIntA("Account", "SendResult", 0, account.c_str()));
}

// Writes SPOOL\SENTnnnn.EML with the first free number; false when it cannot.
bool writeSpoolFile(const std::string& database, const std::string& text) {
  std::string spool = joinPath(database, "SPOOL");
  CreateDirectoryA(spool.c_str(), nullptr);
  for (unsigned n = 1; n < 10000; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "SENT%04u.EML", n);
    std::string path = joinPath(spool, name);
    qp::UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return false;
    }
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                     nullptr) &&
           written == text.size();
  }
  return false;
}

std::string lowerBare(const char* address) {
  char bare[QP_TEXT_LARGE];
  qpcomm::stripFullName(address, bare, sizeof bare);
  std::string out = bare;
  for (char& c : out) c = qp::lowerAscii(c);
  return out;
}

// Rewrites every entry to its normal form and drops the invalid ones, in one pass.
void validateList(char** list) {
  if (list == nullptr) return;
  size_t kept = 0;
  size_t i = 0;
  for (; i < kAddressEntries && list[i] != nullptr; ++i) {
    std::string bare = lowerBare(list[i]);
    if (bare.rfind("invalid", 0) == 0) {
      QPfree(list[i]);
      continue;
    }
    char name[QP_TEXT_LARGE];
    qpcomm::parseFullNameFromAddress(list[i], name, sizeof name);
    std::string text = name[0] != '\0' && !qp::equalsNoCase(name, bare.c_str())
                           ? std::string(name) + " <" + bare + ">"
                           : bare;
    char* copy = static_cast<char*>(QPmalloc(static_cast<uint32_t>(text.size() + 1)));
    if (copy != nullptr) {
      std::memcpy(copy, text.c_str(), text.size() + 1);
      QPfree(list[i]);
      list[i] = copy;
    }
    list[kept++] = list[i];
  }
  for (size_t k = kept; k < i; ++k) list[k] = nullptr;
}

}  // namespace

extern "C" {

int32_t QPAPI QPISendMailMessage2(QPSESSION session, const char* userName, char** first,
                                  char** second, char** third, intptr_t, intptr_t, intptr_t,
                                  char** lines, char** files, char** names, intptr_t, intptr_t,
                                  intptr_t) {
  try {
    qp::mailstore::journalForSession(
        session, qp::mailstore::JournalLine("SendMailMessage2").number(session).text(userName));
    std::string database = qp::mailstore::sessionMailDatabase(session);
    std::string text = "X-Sent-By: ";
    text += userName != nullptr ? userName : "";
    text += "\r\n";
    appendList(text, "To:", first, kAddressEntries);
    appendList(text, "Cc:", second, kAddressEntries);
    appendList(text, "Bcc:", third, kAddressEntries);
    for (size_t i = 0; files != nullptr && i < kAttachmentEntries && files[i] != nullptr; ++i) {
      text += "X-Attachment: ";
      text += files[i];
      text += " | ";
      text += names != nullptr && names[i] != nullptr ? names[i] : "";
      text += "\r\n";
    }
    text += "\r\n";
    for (size_t i = 0; lines != nullptr && i < kLineEntries && lines[i] != nullptr; ++i) {
      text += lines[i];
      text += "\r\n";
    }
    if (!writeSpoolFile(database, text)) return -1;
    return sendResult(database);
  } catch (...) {
    return -1;
  }
}

int32_t QPAPI QPIValidateMessageRecipients(QPSESSION session, const char* userName,
                                           char** first, char** second, char** third, intptr_t) {
  try {
    qp::mailstore::journalForSession(
        session,
        qp::mailstore::JournalLine("ValidateMessageRecipients").number(session).text(userName));
    validateList(first);
    validateList(second);
    validateList(third);
    return 0;
  } catch (...) {
    return 1;
  }
}

int32_t QPAPI QPICompareAddress(QPSESSION session, const char* first, const char* second) {
  try {
    qp::mailstore::journalForSession(
        session,
        qp::mailstore::JournalLine("CompareAddress").number(session).text(first).text(second));
    return lowerBare(first != nullptr ? first : "") == lowerBare(second != nullptr ? second : "")
               ? 1
               : 0;
  } catch (...) {
    return 0;
  }
}

}  // extern "C"
