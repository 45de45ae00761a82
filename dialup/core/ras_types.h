// Our own declarations of the Remote Access Service structures and values that the
// dial-up library uses and our stand-in RASAPI32.DLL serves: the 1052-byte
// RASDIALPARAMSA (without the later sub-entry and callback-id fields), the 264-byte
// RASENTRYNAMEA, the connection states the wait window tells apart and the error codes
// the stand-in returns. Plain sizes only, so the layout is the same in every build.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qpras {

// Field sizes in bytes, terminator included.
constexpr size_t kRasEntryNameSize = 257;
constexpr size_t kRasPhoneNumberSize = 129;
constexpr size_t kRasCallbackNumberSize = 129;
constexpr size_t kRasUserNameSize = 257;
constexpr size_t kRasPasswordSize = 257;
constexpr size_t kRasDomainSize = 16;

struct RasDialParamsA {
  uint32_t dwSize;
  char szEntryName[kRasEntryNameSize];
  char szPhoneNumber[kRasPhoneNumberSize];
  char szCallbackNumber[kRasCallbackNumberSize];
  char szUserName[kRasUserNameSize];
  char szPassword[kRasPasswordSize];
  char szDomain[kRasDomainSize];
};

struct RasEntryNameA {
  uint32_t dwSize;
  char szEntryName[kRasEntryNameSize];
};

constexpr uint32_t kRasDialParamsSize = 1052;
constexpr uint32_t kRasEntryNameSizeOf = 264;
static_assert(sizeof(RasDialParamsA) == kRasDialParamsSize, "RASDIALPARAMSA is 1052 bytes");
static_assert(sizeof(RasEntryNameA) == kRasEntryNameSizeOf, "RASENTRYNAMEA is 264 bytes");
static_assert(offsetof(RasDialParamsA, szPhoneNumber) == 261 &&
                  offsetof(RasDialParamsA, szUserName) == 519 &&
                  offsetof(RasDialParamsA, szPassword) == 776 &&
                  offsetof(RasDialParamsA, szDomain) == 1033,
              "RASDIALPARAMSA field offsets");

// Connection states reported by the RAS dial event (its wParam).
constexpr uint32_t kRasPortOpened = 1;
constexpr uint32_t kRasAuthenticate = 5;
constexpr uint32_t kRasLogonNetwork = 21;
constexpr uint32_t kRasConnected = 0x2000;
constexpr uint32_t kRasDisconnected = 0x2001;

// RasDialA's notifier type for "post the RAS dial event to this window".
constexpr uint32_t kRasNotifyWindow = 0xFFFFFFFF;
// Name of the registered RAS dial event message, and the number to use when the
// registration fails.
constexpr const char* kRasDialEventName = "RasDialEvent";
constexpr unsigned kRasDialEventFallback = 0xCCCD;

// Error codes of the RAS functions.
constexpr uint32_t kRasErrorBufferTooSmall = 603;
constexpr uint32_t kRasErrorCannotOpenPhonebook = 621;
constexpr uint32_t kRasErrorCannotFindEntry = 623;
constexpr uint32_t kRasErrorInvalidSize = 632;
constexpr uint32_t kRasErrorInvalidHandle = 6;
constexpr uint32_t kRasErrorInvalidParameter = 87;

}  // namespace qpras
