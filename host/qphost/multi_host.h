// A host session on the multi-session interface library, as the mail server keeps one:
// QPXMULTI.DLL loaded from the server directory like any interface library, and a
// session of the common library for a profile (user name = profile name, mailbox type
// "MULTI") whose user-data cell 0 receives the MemberSessionTable.
#pragma once

#include <windows.h>

#include <string>

#include "common/win/unique.h"
#include "hostapi/qptypes.h"

namespace qphost {

// The exports of QPXMULTI.DLL that the host commands call.
struct MultiExports {
  int32_t(QPAPI* authenticateUser)(const char*, const char*, const char*, int32_t, void**);
  void(QPAPI* initUser)(QPSESSION, const char*);
  void(QPAPI* cleanUpAfterUser)(QPSESSION, const char*);
  int32_t(QPAPI* checkInterfaceStatus)(char*, int32_t*, int32_t*);
  int32_t(QPAPI* getFullName)(QPSESSION, const char*, char*);
  int32_t(QPAPI* getFullAddress)(QPSESSION, const char*, char*);
  char*(QPAPI* getMessageSignature)(QPSESSION, const char*);
  void(QPAPI* updateMessageSignature)(QPSESSION, const char*, const char*);
  int32_t(QPAPI* forcePollForNewMail)(QPSESSION, const char*, int32_t, int32_t);
  uint32_t(QPAPI* queryCapabilities)();
  void(QPAPI* queryLoginPrompt)(int32_t, char*);
};

class MultiHost {
 public:
  MultiHost() = default;
  ~MultiHost();
  MultiHost(const MultiHost&) = delete;
  MultiHost& operator=(const MultiHost&) = delete;

  // Loads QPXMULTI.DLL once; false with a reason in `error`.
  bool load(std::string& error);
  const MultiExports& exports() const { return exports_; }

  // Opens the host session; false when one is open or the common library refuses.
  bool open(const std::string& profile, const std::string& password,
            const std::string& mailDatabase);
  // Closes the host session (its member sessions are not ended here).
  void close();
  bool isOpen() const { return session_ != QP_NO_SESSION; }

  QPSESSION session() const { return session_; }
  const std::string& profile() const { return profile_; }
  const std::string& password() const { return password_; }
  const std::string& mailDatabase() const { return mailDatabase_; }
  // An export of the loaded QPXMULTI.DLL by name, as the given function type; null when
  // the library is not loaded or lacks it.
  template <typename Proc>
  Proc exportNamed(const char* name) const {
    return library_ ? reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(library_.get(), name)))
                    : nullptr;
  }
  // The session's user-data cell 0, which holds the MemberSessionTable.
  void** tableCell() const;

 private:
  qp::UniqueModule library_;
  MultiExports exports_ = {};
  QPSESSION session_ = QP_NO_SESSION;
  std::string profile_, password_, mailDatabase_;
};

// Prints the member table of the host session: slot, Login number, member session,
// user name, mailbox type and option word of every filled slot.
void printMemberTable(const MultiHost& host);

}  // namespace qphost
