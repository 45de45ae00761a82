// The exports StartDialUpNetworking (the decision to dial) and TestDialUpNetworking
// (the wait for the dial thread).
//
// The dial thread closes the handle it leaves in the record as it ends, while the
// caller may be about to wait on it. So the waiter never uses that handle: the library
// keeps a reference of its own to the thread object (the handle QPBeginThread gives),
// and a waiter waits on a duplicate of that reference.
#include <windows.h>

#include "common/win/unique.h"
#include "dialup/core/dial_logic.h"
#include "dialup/dial_thread.h"
#include "dialup/dialup_request.h"
#include "dialup/request_access.h"
#include "dialup/settings_store.h"
#include "hostapi/qpxcomm.h"

namespace {

constexpr uint32_t kDialThreadStack = 32768;
constexpr char kUserProfileSection[] = "DialUp";
constexpr char kUseDialUpKey[] = "UseDialUpNetworking";

// The library's own reference to the dial thread of the request it serves (one dial
// at a time per process).
SRWLOCK threadLock = SRWLOCK_INIT;
DialUpRequest* threadRequest = nullptr;
HANDLE threadObject = nullptr;

void keepThread(DialUpRequest* request, HANDLE thread) {
  qp::UniqueHandle previous;
  ::AcquireSRWLockExclusive(&threadLock);
  previous.reset(threadObject);
  threadRequest = request;
  threadObject = thread;
  ::ReleaseSRWLockExclusive(&threadLock);
}

// A handle of the caller's own to the request's dial thread, or null.
HANDLE referenceThread(DialUpRequest* request) {
  HANDLE copy = nullptr;
  ::AcquireSRWLockShared(&threadLock);
  if (threadRequest == request && threadObject != nullptr &&
      !::DuplicateHandle(::GetCurrentProcess(), threadObject, ::GetCurrentProcess(), &copy,
                         0, FALSE, DUPLICATE_SAME_ACCESS))
    copy = nullptr;
  ::ReleaseSRWLockShared(&threadLock);
  return copy;
}

// Drops the library's reference once the thread has ended.
void forgetThread(DialUpRequest* request) {
  qp::UniqueHandle ended;
  ::AcquireSRWLockExclusive(&threadLock);
  if (threadRequest == request) {
    ended.reset(threadObject);
    threadObject = nullptr;
    threadRequest = nullptr;
  }
  ::ReleaseSRWLockExclusive(&threadLock);
}

// Switches the system's autodial off, remembering it in the record; false when the
// switch cannot be written (then nothing needs restoring).
bool switchOffAutodial(DialUpRequest* request, DWORD autodial) {
  request->savedAutodial = autodial;
  if (qpras::writeAutodial(0)) return true;
  request->savedAutodial = 0;
  return false;
}

}  // namespace

// Leaves the dial thread's handle in the record before returning, so that a
// TestDialUpNetworking right after this call waits for the thread instead of finding
// the record still only accepted.
extern "C" int32_t QPAPI StartDialUpNetworking(const char* userName, HWND ownerWindow,
                                               DialUpRequest* request) {
  if (request == nullptr) return 0;
  qpras::exchangeThreadHandle(request, qpras::acceptedMark());
  ::lstrcpyN(request->userName, userName, sizeof request->userName);

  const int readDefaultNo = ::QPGetUserProfileBool2(userName, kUserProfileSection,
                                                    kUseDialUpKey, 0);
  const int readDefaultYes = ::QPGetUserProfileBool2(userName, kUserProfileSection,
                                                     kUseDialUpKey, 1);
  const DWORD autodial = qpras::readAutodial();
  const bool rasAutodialKey = autodial == 0 && qpras::rasAutodialKeyExists();
  const qpras::DialDecision decision = qpras::decideDial(
      qpras::userSettingFrom(readDefaultNo, readDefaultYes), autodial, rasAutodialKey);
  if (decision == qpras::DialDecision::Refuse) return 0;
  if (decision == qpras::DialDecision::SwitchOffAutodialAndDial &&
      !switchOffAutodial(request, autodial))
    return 0;

  request->ownerWindow = ownerWindow;
  HANDLE thread = ::QPBeginThread(qpras::dialThreadMain, kDialThreadStack, request);
  if (thread == nullptr) return 1;  // the record stays accepted; Test returns 0 at once
  qp::UniqueHandle forRecord;
  if (::DuplicateHandle(::GetCurrentProcess(), thread, ::GetCurrentProcess(), forRecord.put(),
                        0, FALSE, DUPLICATE_SAME_ACCESS) &&
      qpras::replaceThreadHandle(request, qpras::acceptedMark(), forRecord.get()) ==
          qpras::acceptedMark())
    forRecord.release();  // the dial thread closes it as it ends
  keepThread(request, thread);
  return 1;
}

extern "C" int32_t QPAPI TestDialUpNetworking(DialUpRequest* request) {
  if (request == nullptr) return 0;
  // The library's own reference first: a dial thread that ended before Start could
  // leave its handle in the record has already cleared the record's handle.
  qp::UniqueHandle thread(referenceThread(request));
  if (thread) {
    ::WaitForSingleObject(thread.get(), INFINITE);
  } else {
    HANDLE recorded = qpras::loadThreadHandle(request);
    if (recorded == nullptr || recorded == qpras::acceptedMark()) return 0;
    // Not a thread this library started for the record: wait for the record to say
    // the thread has ended.
    while (qpras::loadThreadHandle(request) != nullptr) ::Sleep(50);
  }
  forgetThread(request);
  return qpras::takeConnected(request) != 0 ? 1 : 0;
}
