// The session manager's hand-written exports: opening a member session on its interface
// library, ending it, and the two calls whose shape differs between manager and library
// (configuration dialog, capabilities).
#include <memory>
#include <new>
#include <string>

#include "common/text.h"
#include "host/sess/interface_name.h"
#include "host/sess/sess_log.h"
#include "host/sess/session_table.h"
#include "hostapi/qpxcomm.h"
#include "hostapi/qpxsess.h"

namespace {

using qp::sess::LibraryRef;
using qp::sess::logLine;

// The interface library's exports as this manager calls them.
using AuthenticateProc = int32_t(QPAPI*)(const char* mailDatabase, const char* userName,
                                         const char* password, int32_t flags, void** cell);
using CleanUpProc = void(QPAPI*)(QPSESSION session, const char* userName);
using ClientConfigureProc = int32_t(QPAPI*)(HWND owner, QPSESSION session);
using QueryCapabilitiesProc = uint32_t(QPAPI*)();
// An interface library's optional extension: the capabilities of one session's account.
using QuerySessionCapabilitiesProc = uint32_t(QPAPI*)(QPSESSION session);

const char* orEmpty(const char* text) { return text != nullptr ? text : ""; }

// The library of interface `name` (in capitals): the one live sessions already use, or a
// fresh load from the server directory. Null after a debug-log line when it cannot load.
LibraryRef acquireLibrary(const char* user, const char* name) {
  if (LibraryRef loaded = qp::sess::findLoadedLibrary(name)) return loaded;

  char fileName[qp::sess::kMaxInterfaceName + 8];
  char path[MAX_PATH];
  qp::sess::interfaceLibraryName(name, fileName, sizeof fileName);
  QPGetServerDirectory(path, sizeof path);
  if (!qp::appendText(path, fileName)) {
    logLine("QPiAuthenticateUser: user \"%s\": the path of %s is too long", user, fileName);
    return nullptr;
  }
  // The altered search path lets the library's own imports resolve next to it.
  qp::UniqueModule module(::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!module) {
    logLine("QPiAuthenticateUser: user \"%s\": cannot load interface library %s (error %lu)", user,
            path, ::GetLastError());
    return nullptr;
  }
  auto library = std::make_shared<qp::sess::InterfaceLibrary>();
  library->name = name;
  library->fileName = fileName;
  library->module = std::move(module);
  return library;
}

QPSESSION authenticate(const char* userName, const char* password, const char* interfaceName,
                       const char* mailDatabase, int32_t flags) {
  const char* user = orEmpty(userName);
  char name[qp::sess::kMaxInterfaceName + 1];
  if (!qp::sess::upperInterfaceName(interfaceName, name, sizeof name)) {
    logLine("QPiAuthenticateUser: user \"%s\": refused interface name \"%.60s\"", user,
            orEmpty(interfaceName));
    return QP_NO_SESSION;
  }
  LibraryRef library = acquireLibrary(user, name);
  if (!library) return QP_NO_SESSION;

  auto check = qp::sess::procAs<AuthenticateProc>(
      ::GetProcAddress(library->module.get(), "QPIAuthenticateUser"));
  if (check == nullptr) {
    logLine("QPiAuthenticateUser: user \"%s\": %s has no export QPIAuthenticateUser", user,
            library->fileName.c_str());
    return QP_NO_SESSION;
  }
  if (check(mailDatabase, userName, password, flags, nullptr) == 0) {
    logLine("QPiAuthenticateUser: user \"%s\": %s refused the credentials", user,
            library->fileName.c_str());
    return QP_NO_SESSION;
  }
  QPSESSION session = QPOpenSession(userName, password, mailDatabase, name, nullptr, nullptr);
  if (session == QP_NO_SESSION) {
    logLine("QPiAuthenticateUser: user \"%s\": the common library opened no session", user);
    return QP_NO_SESSION;
  }
  if (!qp::sess::addSession(session, std::move(library))) {
    logLine("QPiAuthenticateUser: user \"%s\": session %d cannot be recorded", user,
            static_cast<int>(session));
    QPCloseSession(session);
    return QP_NO_SESSION;
  }
  return session;
}

}  // namespace

QPSESSION QPAPI QPiAuthenticateUser(const char* userName, const char* password,
                                    const char* interfaceName, const char* mailDatabase,
                                    int32_t flags, void* reserved) {
  try {
    return authenticate(userName, password, interfaceName, mailDatabase, flags);
  } catch (const std::bad_alloc&) {
    logLine("QPiAuthenticateUser: user \"%s\": out of memory", orEmpty(userName));
  } catch (...) {
    logLine("QPiAuthenticateUser: user \"%s\": unexpected failure", orEmpty(userName));
  }
  return QP_NO_SESSION;
}

void QPAPI QPiCleanUpAfterUser(QPSESSION member, const char* userName) {
  // Taken out of the table first: no other call finds the session while it ends. The
  // reference held here keeps the library loaded until its clean-up has returned.
  LibraryRef library = qp::sess::removeSession(member);
  if (!library) {
    logLine("QPiCleanUpAfterUser: unknown member session %d", static_cast<int>(member));
    return;
  }
  auto cleanUp =
      qp::sess::procAs<CleanUpProc>(::GetProcAddress(library->module.get(), "QPICleanUpAfterUser"));
  if (cleanUp != nullptr) cleanUp(member, userName);
  QPCloseSession(member);
}

int32_t QPAPI QPiClientConfigure(HWND owner, QPSESSION member) {
  LibraryRef library = qp::sess::findSession(member);
  if (!library) {
    logLine("QPiClientConfigure: unknown member session %d", static_cast<int>(member));
    return 0;
  }
  auto configure = qp::sess::procAs<ClientConfigureProc>(
      ::GetProcAddress(library->module.get(), "QPIClientConfigure"));
  return configure != nullptr ? configure(owner, member) : 0;
}

// A library that answers per session (QPIQuerySessionCapabilities) is asked for this
// member's account; any other for the capabilities of the whole interface.
uint32_t QPAPI QPiQueryCapabilities(QPSESSION member) {
  if (LibraryRef library = qp::sess::findSession(member)) {
    auto perSession = qp::sess::procAs<QuerySessionCapabilitiesProc>(
        ::GetProcAddress(library->module.get(), "QPIQuerySessionCapabilities"));
    if (perSession != nullptr) return perSession(member);
  }
  qp::sess::SessionExport query =
      qp::sess::findExport(member, "QPiQueryCapabilities", "QPIQueryCapabilities");
  return query.proc != nullptr ? qp::sess::procAs<QueryCapabilitiesProc>(query.proc)() : 0;
}
