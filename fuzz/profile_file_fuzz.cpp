// The profile file of QPHOST's profile import/export on any text: parsing ends with
// profiles or with an error on a line the text has; every accepted profile, written out
// again, parses back to the same profile (the written form is what import reads).
#include <algorithm>

#include "fuzz/fuzz_input.h"
#include "host/qphost/core/profile_file.h"

using namespace qphost;

namespace {

// Passwords are the same text, or both kept (a bare *).
bool samePassword(const std::string& a, bool keepA, const std::string& b, bool keepB) {
  return keepA == keepB && (keepA || a == b);
}

bool sameMember(const MemberEntry& a, const MemberEntry& b) {
  return a.login == b.login && a.userName == b.userName && a.interfaceName == b.interfaceName &&
         samePassword(a.password, a.keepPassword, b.password, b.keepPassword) &&
         a.mailDatabase == b.mailDatabase;
}

bool sameProfile(const ProfileEntry& a, const ProfileEntry& b) {
  if (a.name != b.name || !samePassword(a.password, a.keepPassword, b.password, b.keepPassword) ||
      a.internetInterface != b.internetInterface || a.members.size() != b.members.size()) {
    return false;
  }
  for (size_t i = 0; i < a.members.size(); ++i) {
    if (!sameMember(a.members[i], b.members[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ProfileFile file = parseProfileFile(text);
  if (!file.ok) {
    FUZZ_CHECK(!file.error.empty());
    size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    FUZZ_CHECK(file.errorLine <= lines);
    return 0;
  }
  for (const ProfileEntry& profile : file.profiles) {
    const std::string written = formatProfile(profile, true);
    const ProfileFile back = parseProfileFile(written);
    FUZZ_CHECK(back.ok && back.profiles.size() == 1);
    FUZZ_CHECK(sameProfile(profile, back.profiles[0]));
    FUZZ_CHECK(formatProfile(back.profiles[0], true) == written);
  }
  return 0;
}
