// Sessions: the table of open sessions with their texts, option word and user-data cells.
// The dial-up library calls from a second thread, so the table is guarded by a mutex.
// Each session is allocated once and never moves, so the cell and text-pointer addresses
// handed out stay valid until the session is closed.
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "common/text.h"
#include "host/comm/comm_shell.h"
#include "hostapi/qpxcomm.h"

namespace {

constexpr size_t kLongTextLength = QP_TEXT_LARGE - 1;  // full name and address

struct Session {
  char userName[QP_TEXT_SMALL] = {};
  char password[QP_TEXT_SMALL] = {};
  char mailDatabase[QP_TEXT_SMALL] = {};
  char mailboxType[QP_TEXT_SMALL] = {};
  // QPmalloc'd texts or null. Callers may replace them through GetUserFullNamePtr /
  // GetUserFullAddressPtr with QPmalloc'd texts of their own (freeing the old one);
  // whatever they point to when the session closes is freed with it.
  char* fullName = nullptr;
  char* fullAddress = nullptr;
  uint32_t options = 0;
  void* cells[QP_USER_DATA_CELLS] = {};

  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    QPfree(fullName);
    QPfree(fullAddress);
  }
};

using TextField = char (Session::*)[QP_TEXT_SMALL];

std::mutex tableLock;
std::map<QPSESSION, std::unique_ptr<Session>> sessions;  // guarded by tableLock
QPSESSION nextHandle = 1;                                // guarded by tableLock

// Caller holds tableLock.
Session* findSession(QPSESSION handle) {
  auto it = sessions.find(handle);
  return it == sessions.end() ? nullptr : it->second.get();
}

// Caller holds tableLock. Handles run 1, 2, ... and wrap back to 1, skipping open ones.
QPSESSION takeHandle() {
  while (sessions.count(nextHandle) != 0) nextHandle = nextHandle == INT32_MAX ? 1 : nextHandle + 1;
  QPSESSION handle = nextHandle;
  nextHandle = nextHandle == INT32_MAX ? 1 : nextHandle + 1;
  return handle;
}

// A QPmalloc'd copy cut to the long-text length; false when the allocation failed.
bool copyLongText(const char* text, char*& out) {
  out = nullptr;
  if (text == nullptr) return true;
  out = qpcomm::copyToBlock(text, strnlen(text, kLongTextLength));
  return out != nullptr;
}

int32_t copySessionText(QPSESSION handle, char* buffer, TextField field) {
  std::lock_guard<std::mutex> lock(tableLock);
  const Session* session = findSession(handle);
  if (buffer != nullptr) qp::copyText(buffer, QP_TEXT_SMALL, session ? session->*field : "");
  return session != nullptr;
}

char** textPointer(QPSESSION handle, char*** where, char* Session::*field) {
  char** address = nullptr;
  {
    std::lock_guard<std::mutex> lock(tableLock);
    if (Session* session = findSession(handle)) address = &(session->*field);
  }
  if (where != nullptr) *where = address;
  return address;
}

}  // namespace

QPSESSION QPAPI QPOpenSession(const char* userName, const char* password,
                              const char* mailDatabase, const char* mailboxType,
                              const char* fullName, const char* fullAddress) {
  try {
    auto session = std::make_unique<Session>();
    qp::copyText(session->userName, userName);
    qp::copyText(session->password, password);
    qp::copyText(session->mailDatabase, mailDatabase);
    qp::copyText(session->mailboxType, mailboxType);
    if (!copyLongText(fullName, session->fullName)) return QP_NO_SESSION;
    if (!copyLongText(fullAddress, session->fullAddress)) return QP_NO_SESSION;

    std::lock_guard<std::mutex> lock(tableLock);
    QPSESSION handle = takeHandle();
    sessions.emplace(handle, std::move(session));
    return handle;
  } catch (...) {  // out of memory for the session or the table entry
    return QP_NO_SESSION;
  }
}

int32_t QPAPI QPCloseSession(QPSESSION handle) {
  std::unique_ptr<Session> closing;
  {
    std::lock_guard<std::mutex> lock(tableLock);
    auto it = sessions.find(handle);
    if (it == sessions.end()) return 0;
    closing = std::move(it->second);
    sessions.erase(it);
  }
  return 1;  // the session's texts are freed here, outside the lock
}

void** QPAPI GetUserData(QPSESSION handle, int32_t cell, void*** where) {
  void** address = nullptr;
  if (cell >= 0 && cell < QP_USER_DATA_CELLS) {
    std::lock_guard<std::mutex> lock(tableLock);
    if (Session* session = findSession(handle)) address = &session->cells[cell];
  }
  if (where != nullptr) *where = address;
  return address;
}

int32_t QPAPI GetUserUsername(QPSESSION handle, char* buffer) {
  return copySessionText(handle, buffer, &Session::userName);
}

int32_t QPAPI GetUserPassword(QPSESSION handle, char* buffer) {
  return copySessionText(handle, buffer, &Session::password);
}

int32_t QPAPI GetUserMailDatabase(QPSESSION handle, char* buffer) {
  return copySessionText(handle, buffer, &Session::mailDatabase);
}

int32_t QPAPI GetUserMailboxType(QPSESSION handle, char* buffer) {
  return copySessionText(handle, buffer, &Session::mailboxType);
}

char** QPAPI GetUserFullNamePtr(QPSESSION handle, char*** where) {
  return textPointer(handle, where, &Session::fullName);
}

char** QPAPI GetUserFullAddressPtr(QPSESSION handle, char*** where) {
  return textPointer(handle, where, &Session::fullAddress);
}

uint32_t QPAPI QPGetSessionOptions(QPSESSION handle) {
  std::lock_guard<std::mutex> lock(tableLock);
  const Session* session = findSession(handle);
  return session ? session->options : 0;
}

void QPAPI QPSetSessionOptions(QPSESSION handle, uint32_t options) {
  std::lock_guard<std::mutex> lock(tableLock);
  if (Session* session = findSession(handle)) session->options = options;
}
