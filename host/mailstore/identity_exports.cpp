// Exports of the sample interface library for the user's identity, the message
// signature and polling for new mail, and the library's own extension that answers the
// capabilities of one account. Every call is journaled in the session's mail database.
#include <windows.h>

#include <optional>
#include <string>

#include "common/text.h"
#include "host/mailstore/store_files.h"
#include "hostapi/qpi_ops.h"
#include "hostapi/qpxcomm.h"

extern "C" {
#define QP_DECLARE_EXPORT(Name, Result, Params, Args) Result QPAPI QPI##Name Params;
QP_FORWARDED_OPS(QP_DECLARE_EXPORT)
QP_OTHER_SHAPE_OPS(QP_DECLARE_EXPORT)
#undef QP_DECLARE_EXPORT
uint32_t QPAPI QPIQueryCapabilities(void);
// Not part of the mail interface: the capability bits of the session's account (its
// account file's "Capabilities"), else those of the library. The session manager asks
// this first when a library has it.
uint32_t QPAPI QPIQuerySessionCapabilities(QPSESSION session);
}

namespace {

using qp::mailstore::journalForSession;
using qp::mailstore::JournalLine;

// Buffer sizes the callers of the identity exports provide at the least.
constexpr size_t kFullNameSize = 252;
constexpr size_t kFullAddressSize = QP_TEXT_LARGE;
constexpr size_t kMaxIdentityLength = QP_TEXT_LARGE - 1;

using TextPointer = char**(QPAPI*)(QPSESSION, char***);
using AccountText = std::string qp::mailstore::Account::*;

// The text a session was given with QPISetFullName/QPISetFullAddress, else the account's.
std::string identityText(QPSESSION session, TextPointer given, AccountText field) {
  char** text = given(session, nullptr);
  if (text != nullptr && *text != nullptr && **text != '\0') return *text;
  std::optional<qp::mailstore::Account> account = qp::mailstore::readSessionAccount(session);
  return account ? (*account).*field : std::string();
}

// Fills the caller's buffer; an unknown text leaves it as it was. 1 when filled.
int32_t answerIdentity(QPSESSION session, char* buffer, size_t size, TextPointer given,
                       AccountText field) {
  if (buffer == nullptr) return 0;
  const std::string text = identityText(session, given, field);
  if (text.empty()) return 0;
  qp::copyText(buffer, size, text.c_str());
  return 1;
}

// Replaces the session's text with a QPmalloc'd copy, freeing the one it held.
void giveIdentity(QPSESSION session, TextPointer given, const char* text) {
  char** slot = given(session, nullptr);
  if (slot == nullptr) return;
  char* copy = nullptr;
  if (text != nullptr && *text != '\0') {
    const size_t length = strnlen(text, kMaxIdentityLength);
    copy = static_cast<char*>(QPmalloc(static_cast<uint32_t>(length + 1)));
    if (copy == nullptr) return;
    qp::copyText(copy, length + 1, text);
  }
  QPfree(*slot);
  *slot = copy;
}

}  // namespace

int32_t QPAPI QPIForcePollForNewMail(QPSESSION session, const char* userName, int32_t pollFlags,
                                     int32_t pollValue) {
  try {
    journalForSession(session, JournalLine("ForcePollForNewMail")
                                   .number(session)
                                   .text(userName)
                                   .number(pollFlags)
                                   .number(pollValue));
    std::optional<qp::mailstore::Account> account = qp::mailstore::readSessionAccount(session);
    return account ? static_cast<int32_t>(account->pollResult) : 0;
  } catch (...) {
    return 0;
  }
}

int32_t QPAPI QPIGetFullName(QPSESSION session, const char* userName, char* fullName) {
  try {
    journalForSession(session, JournalLine("GetFullName").number(session).text(userName));
    return answerIdentity(session, fullName, kFullNameSize, GetUserFullNamePtr,
                          &qp::mailstore::Account::fullName);
  } catch (...) {
    return 0;
  }
}

int32_t QPAPI QPIGetFullAddress(QPSESSION session, const char* userName, char* fullAddress) {
  try {
    journalForSession(session, JournalLine("GetFullAddress").number(session).text(userName));
    return answerIdentity(session, fullAddress, kFullAddressSize, GetUserFullAddressPtr,
                          &qp::mailstore::Account::fullAddress);
  } catch (...) {
    return 0;
  }
}

void QPAPI QPISetFullName(QPSESSION session, const char* profileName, const char* fullName) {
  try {
    journalForSession(session,
                      JournalLine("SetFullName").number(session).text(profileName).text(fullName));
    giveIdentity(session, GetUserFullNamePtr, fullName);
  } catch (...) {
  }
}

void QPAPI QPISetFullAddress(QPSESSION session, const char* profileName, const char* fullAddress) {
  try {
    journalForSession(
        session, JournalLine("SetFullAddress").number(session).text(profileName).text(fullAddress));
    giveIdentity(session, GetUserFullAddressPtr, fullAddress);
  } catch (...) {
  }
}

char* QPAPI QPIGetMessageSignature(QPSESSION session, const char* userName) {
  try {
    journalForSession(session, JournalLine("GetMessageSignature").number(session).text(userName));
    std::optional<std::string> text =
        qp::mailstore::readSignature(qp::mailstore::sessionMailDatabase(session));
    if (!text) return nullptr;
    // Zero-filled, so the copy ends after the file's bytes.
    char* signature = static_cast<char*>(QPmalloc(static_cast<uint32_t>(text->size() + 1)));
    if (signature != nullptr) text->copy(signature, text->size());
    return signature;
  } catch (...) {
    return nullptr;
  }
}

void QPAPI QPIUpdateMessageSignature(QPSESSION session, const char* userName,
                                     const char* signature) {
  try {
    journalForSession(
        session,
        JournalLine("UpdateMessageSignature").number(session).text(userName).text(signature));
    qp::mailstore::writeSignature(qp::mailstore::sessionMailDatabase(session),
                                  signature != nullptr ? signature : "");
  } catch (...) {
  }
}

// Not journaled, like QPIQueryCapabilities: it describes the account, it does nothing.
uint32_t QPAPI QPIQuerySessionCapabilities(QPSESSION session) {
  try {
    std::optional<qp::mailstore::Account> account = qp::mailstore::readSessionAccount(session);
    if (account && account->capabilities) return *account->capabilities;
  } catch (...) {
  }
  return QPIQueryCapabilities();
}
