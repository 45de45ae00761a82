// Exports of the sample interface library QPX<TYPE>.DLL. The same code is built under
// several names; the type it serves comes from its own file name. Every call received is
// journaled in the mail database directory.
#include <windows.h>

#include <string>

#include "common/text.h"
#include "host/mailstore/library_file.h"
#include "host/mailstore/store_files.h"
#include "host/mailstore/store_paths.h"
#include "hostapi/qpi_ops.h"
#include "hostapi/qpxcomm.h"

extern "C" {
// The forwarded operations keep the signatures of the operation table.
#define QP_DECLARE_EXPORT(Name, Result, Params, Args) Result QPAPI QPI##Name Params;
QP_FORWARDED_OPS(QP_DECLARE_EXPORT)
QP_OTHER_SHAPE_OPS(QP_DECLARE_EXPORT)
#undef QP_DECLARE_EXPORT

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
int32_t QPAPI QPIAuthenticateUser(const char* mailDatabase, const char* userName,
                                  const char* password, int32_t flags, void** cell);
void QPAPI QPICleanUpAfterUser(QPSESSION session, const char* userName);
int32_t QPAPI QPICheckInterfaceStatus(char* description, int32_t* first, int32_t* second);
uint32_t QPAPI QPIQueryCapabilities(void);
}

namespace {

using qp::mailstore::JournalLine;
using qp::mailstore::journalForSession;

constexpr int32_t kStatusValue = 0x100;

HINSTANCE moduleInstance = nullptr;

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    moduleInstance = instance;
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

int32_t QPAPI QPIAuthenticateUser(const char* mailDatabase, const char* userName,
                                  const char* password, int32_t flags, void** cell) {
  try {
    if (mailDatabase == nullptr || mailDatabase[0] == '\0') return 0;
    qp::mailstore::appendJournal(
        mailDatabase,
        JournalLine("AuthenticateUser").text(mailDatabase).text(userName).secret().number(flags));
    std::optional<qp::mailstore::Account> account = qp::mailstore::readAccount(mailDatabase);
    return account && qp::mailstore::acceptsCredentials(*account, userName, password) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

void QPAPI QPIInitUser(QPSESSION session, const char* userName) {
  try {
    journalForSession(session, JournalLine("InitUser").number(session).text(userName));
  } catch (...) {
  }
}

void QPAPI QPICleanUpAfterUser(QPSESSION session, const char* userName) {
  try {
    journalForSession(session, JournalLine("CleanUpAfterUser").number(session).text(userName));
  } catch (...) {
  }
}

int32_t QPAPI QPICheckInterfaceStatus(char* description, int32_t* first, int32_t* second) {
  if (first != nullptr) *first = kStatusValue;
  if (second != nullptr) *second = kStatusValue;
  if (description == nullptr) return 1;
  try {
    // The settings file may give any text, the empty one too.
    const std::string text = qp::mailstore::readLibrarySettings(moduleInstance).description;
    qp::copyText(description, QP_TEXT_SMALL, text.c_str());
  } catch (...) {
    qp::copyText(description, QP_TEXT_SMALL, "Sample mail store");
  }
  return 1;
}

// The bits of the whole interface, from the library's settings file (0xC00 by default).
uint32_t QPAPI QPIQueryCapabilities(void) {
  try {
    return qp::mailstore::readLibrarySettings(moduleInstance).capabilities;
  } catch (...) {
    return qp::mailstore::kDefaultCapabilities;
  }
}
