// Names the multi-session library builds from outside texts (registry values, folder
// and file names, member answers): Login numbers, profile key paths, area paths, marker
// and rules paths, attachment references and the dialogs' list entries. Each result stays
// within its buffer, is refused rather than cut where a cut would name something else,
// and takes apart again into what it was built from.
#include <cstring>

#include "common/text.h"
#include "fuzz/fuzz_input.h"
#include "multi/core/area_path.h"
#include "multi/core/attachment_work.h"
#include "multi/core/dialog_texts.h"
#include "multi/core/folder_paths.h"
#include "multi/core/profile_keys.h"

using namespace qpmulti;

namespace {

// Calls f(out, size) with a buffer of `size` bytes poisoned behind it; returns what f
// returned and the text.
template <typename F>
std::pair<bool, std::string> intoBuffer(size_t size, F f) {
  std::vector<char> out(size + 16, '\xA5');
  bool result = f(out.data(), size);
  for (size_t i = size; i < out.size(); ++i) FUZZ_CHECK(out[i] == '\xA5');
  FUZZ_CHECK(size == 0 || std::memchr(out.data(), 0, size) != nullptr);
  return {result, size == 0 ? std::string() : std::string(out.data())};
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  const size_t outSize = in.upTo(kMarkerPathSize + 300);
  const std::string a = in.text();
  const std::string b = in.text();
  const std::string c = in.text();

  unsigned login = 12345;
  if (parseMemberLogin(a.c_str(), &login)) {
    FUZZ_CHECK(isMemberLogin(login) && !a.empty());
    FUZZ_CHECK(a.find_first_not_of("0123456789") == std::string::npos);
    FUZZ_CHECK(std::to_string(login) == a.substr(std::min(a.find_first_not_of('0'), a.size())));
  }
  const std::string key = profileKeyPath(b.c_str(), a.c_str());
  if (isValidProfileName(a.c_str())) {
    FUZZ_CHECK(!a.empty() && a.find('\\') == std::string::npos && a.size() <= kMaxTextLength);
    FUZZ_CHECK(key == b + "\\" + a);
  } else {
    FUZZ_CHECK(key.empty());
  }
  const std::string area = areaPath(c.c_str(), a.c_str(), b.c_str());
  FUZZ_CHECK(area == c || area == c + "\\NonDefaultUser\\" + a);
  FUZZ_CHECK(shouldStoreNetDefaultUser(a.c_str(), b.c_str()) == (b.empty() && !a.empty()));

  // Marker and rules paths.
  auto marker = intoBuffer(outSize, [&](char* o, size_t s) { return newMailMarkerName(a.c_str(), o, s); });
  if (marker.first) {
    // Only a news folder without a group name ("News:", "News:host/") has an empty one.
    FUZZ_CHECK(!marker.second.empty() || qp::startsWithNoCase(a.c_str(), "News:"));
    for (unsigned char ch : marker.second) {
      FUZZ_CHECK(ch >= 0x20 && std::strchr("\\/:*?\"<>|", ch) == nullptr);
    }
  }
  auto path = intoBuffer(outSize, [&](char* o, size_t s) { return NewMailMarkerPath(b.c_str(), a.c_str(), o, s); });
  if (path.first) {
    FUZZ_CHECK(!b.empty() && path.second.compare(0, b.size(), b) == 0 && endsWith(path.second, ".NRL"));
    auto whole = intoBuffer(4096, [&](char* o, size_t s) { return newMailMarkerName(a.c_str(), o, s); });
    FUZZ_CHECK(path.second == b + whole.second + ".NRL");
  } else {
    FUZZ_CHECK(path.second.empty());
  }
  for (bool withSeparator : {false, true}) {
    auto rules = intoBuffer(outSize, [&](char* o, size_t s) { return rulesDirectory(b.c_str(), withSeparator, o, s); });
    if (rules.first) {
      FUZZ_CHECK(rules.second == b + (withSeparator ? "RULES\\" : "RULES"));
    } else {
      FUZZ_CHECK(rules.second.empty() && (b.empty() || b.size() + 6 + withSeparator > outSize));
    }
  }
  auto pattern = intoBuffer(outSize, [&](char* o, size_t s) { return rulesFilePattern(b.c_str(), o, s); });
  if (pattern.first) {
    FUZZ_CHECK(pattern.second.compare(0, b.size(), b) == 0 && endsWith(pattern.second, "RULE*.INI"));
  } else {
    FUZZ_CHECK(pattern.second.empty());
  }

  // Attachment references.
  auto reference = intoBuffer(outSize, [&](char* o, size_t s) { return attachmentReference(a.c_str(), b.c_str(), o, s); });
  const std::string full = "MULTI:" + a + "/" + b;
  FUZZ_CHECK(reference.first ? reference.second == full : reference.second.empty());
  FUZZ_CHECK(reference.first == (full.size() < outSize));

  // Dialog list entries: what goes in comes out again, cut to fit.
  auto entry = intoBuffer(kMemberEntrySize, [&](char* o, size_t s) {
    formatMemberEntry(o, s, login, a.c_str(), b.c_str(), c.c_str(), "db");
    return true;
  });
  auto iface = intoBuffer(outSize, [&](char* o, size_t s) {
    memberEntryInterface(entry.second.c_str(), o, s);
    return true;
  });
  if (a.find('\t') == std::string::npos && b.find('\t') == std::string::npos &&
      a.size() <= 150 && b.size() <= 150 && outSize > 0) {
    FUZZ_CHECK(iface.second == b.substr(0, outSize - 1));
  }
  intoBuffer(outSize, [&](char* o, size_t s) {
    memberEntrySummary(entry.second.c_str(), o, s);
    return true;
  });
  auto listed = intoBuffer(kInterfaceEntrySize, [&](char* o, size_t s) {
    formatInterfaceEntry(o, s, a.c_str(), b.c_str());
    return true;
  });
  auto name = intoBuffer(outSize, [&](char* o, size_t s) {
    interfaceOfEntry(listed.second.c_str(), o, s);
    return true;
  });
  const bool plainName = (a + " - ").find(" - ") == a.size() && a.size() <= 150;
  if (plainName && outSize > 0) FUZZ_CHECK(name.second == a.substr(0, outSize - 1));
  EntryMatch match = matchInterfaceEntry(listed.second.c_str(), a.c_str());
  if (plainName && !a.empty()) FUZZ_CHECK(match == EntryMatch::Exact);
  intoBuffer(outSize, [&](char* o, size_t s) {
    interfaceNameFromFileName(c.c_str(), o, s);
    return true;
  });
  isExcludedLibraryFile(c.c_str());
  auto help = intoBuffer(outSize, [&](char* o, size_t s) { return helpFileName(c.c_str(), o, s); });
  if (help.first) {
    FUZZ_CHECK(c.size() >= 4 && help.second == c.substr(0, c.size() - 4) + ".HLP");
  } else {
    FUZZ_CHECK(help.second.empty());
  }
  return 0;
}
