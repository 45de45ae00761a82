// The session table: a map from member session to library, guarded by one mutex. Calls
// into the libraries happen outside the lock, each holding its own library reference.
#include "host/sess/session_table.h"

#include <map>
#include <mutex>
#include <utility>

#include "host/sess/sess_log.h"

namespace qp::sess {

namespace {

struct SessionTable {
  std::mutex mutex;
  std::map<QPSESSION, LibraryRef> sessions;
};

// Never destroyed: releasing the last libraries from this DLL's own detach would call
// FreeLibrary under the loader lock. At process end Windows unloads what is left.
SessionTable& table() {
  static SessionTable* instance = new SessionTable;
  return *instance;
}

LibraryRef findByNameLocked(const SessionTable& t, const std::string& name) {
  for (const auto& entry : t.sessions) {
    if (entry.second->name == name) return entry.second;
  }
  return nullptr;
}

}  // namespace

LibraryRef findLoadedLibrary(const std::string& name) noexcept {
  try {
    SessionTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    return findByNameLocked(t, name);
  } catch (...) {
    return nullptr;
  }
}

bool addSession(QPSESSION session, LibraryRef library) noexcept {
  LibraryRef dropped, stale;  // released after the lock, so FreeLibrary never runs under it
  try {
    SessionTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    if (LibraryRef shared = findByNameLocked(t, library->name)) {
      dropped = std::exchange(library, std::move(shared));
    }
    LibraryRef& slot = t.sessions[session];
    // A number the common library hands out again belongs to a session that was closed
    // behind the manager's back: its old entry is stale.
    stale = std::exchange(slot, std::move(library));
    return true;
  } catch (...) {
    return false;
  }
}

LibraryRef findSession(QPSESSION session) noexcept {
  try {
    SessionTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.sessions.find(session);
    return it == t.sessions.end() ? nullptr : it->second;
  } catch (...) {
    return nullptr;
  }
}

LibraryRef removeSession(QPSESSION session) noexcept {
  try {
    SessionTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.sessions.find(session);
    if (it == t.sessions.end()) return nullptr;
    LibraryRef library = std::move(it->second);
    t.sessions.erase(it);
    return library;
  } catch (...) {
    return nullptr;
  }
}

SessionExport findExport(QPSESSION session, const char* caller, const char* exportName) noexcept {
  SessionExport found;
  found.library = findSession(session);
  if (!found.library) {
    logLine("%s: unknown member session %d", caller, static_cast<int>(session));
    return found;
  }
  found.proc = ::GetProcAddress(found.library->module.get(), exportName);
  if (found.proc == nullptr) {
    logLine("%s: %s has no export %s (member session %d)", caller, found.library->fileName.c_str(),
            exportName, static_cast<int>(session));
  }
  return found;
}

}  // namespace qp::sess
