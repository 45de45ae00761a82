// The per-profile cache of the user's full name and full address in the desktop
// client's registry area, with the mail server's user records as the fallback.
#include "common/text.h"
#include "hostapi/qpxcomm.h"
#include "multi/profile_store.h"
#include "multi/registry_value.h"

namespace qpmulti {

namespace {

// The client area's values are read with 250-byte buffers, the size QPGetUser fills.
constexpr size_t kCachedTextSize = 250;

enum class Field { kName, kAddress };

void lookUp(const char* profileName, Field field, char* out, size_t size) {
  if (out == nullptr || size == 0) return;
  out[0] = '\0';
  char text[kCachedTextSize] = "";
  qp::UniqueHKey key;
  if (openClientProfileKey(profileName, key) == ERROR_SUCCESS)
    readTextValue(key.get(), field == Field::kName ? "FullName" : "FullAddress", text, sizeof text);
  if (text[0] == '\0' && profileName != nullptr) {
    text[0] = '\0';
    QPGetUser(0, 0, profileName, field == Field::kName ? text : nullptr,
              field == Field::kAddress ? text : nullptr, 0, 0, 0, 0, 0, 0);
    text[sizeof text - 1] = '\0';
  }
  qp::copyText(out, size, text);
}

void cache(const char* profileName, const char* valueName, const char* text) {
  qp::UniqueHKey key;
  if (openClientProfileKey(profileName, key) != ERROR_SUCCESS) return;  // no client: no cache
  writeTextValue(key.get(), valueName, text);
}

}  // namespace

void LookUpFullName(const char* profileName, char* fullName, size_t size) {
  lookUp(profileName, Field::kName, fullName, size);
}

void LookUpFullAddress(const char* profileName, char* fullAddress, size_t size) {
  lookUp(profileName, Field::kAddress, fullAddress, size);
}

void CacheFullName(const char* profileName, const char* fullName) {
  cache(profileName, "FullName", fullName);
}

void CacheFullAddress(const char* profileName, const char* fullAddress) {
  cache(profileName, "FullAddress", fullAddress);
}

}  // namespace qpmulti
