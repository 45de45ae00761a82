// The process-wide table of member sessions and the interface library each one runs on.
// A library is loaded once and shared by all its sessions; it is released when the last
// session that uses it (and the last call still running in it) lets go.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "common/win/unique.h"
#include "hostapi/qptypes.h"

namespace qp::sess {

struct InterfaceLibrary {
  std::string name;      // the interface name in capitals, also the sessions' mailbox type
  std::string fileName;  // "QPX<NAME>.DLL", for log lines
  UniqueModule module;
};
using LibraryRef = std::shared_ptr<const InterfaceLibrary>;

// The library that live sessions of interface `name` use, or null.
LibraryRef findLoadedLibrary(const std::string& name) noexcept;
// Records that `session` runs on `library`. When another session already uses a library
// of the same name, that one is kept and `library` dropped, so each library stays loaded
// once. False when the table could not grow.
bool addSession(QPSESSION session, LibraryRef library) noexcept;
// The library of a session, or null for an unknown session.
LibraryRef findSession(QPSESSION session) noexcept;
// Forgets a session and hands back its library (null for an unknown session), so the
// caller decides when the last reference goes.
LibraryRef removeSession(QPSESSION session) noexcept;

// An export of a session's library, with the reference that keeps the library loaded
// while the export runs.
struct SessionExport {
  LibraryRef library;
  FARPROC proc = nullptr;
};
// Looks up `exportName` in the library of `session`. On failure (unknown session, no such
// export) a debug-log line names `caller` and the reason, and proc is null.
SessionExport findExport(QPSESSION session, const char* caller, const char* exportName) noexcept;

// A FARPROC as the function type it really has.
template <typename Proc>
Proc procAs(FARPROC proc) noexcept {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace qp::sess
