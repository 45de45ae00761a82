// Marker and rules paths in the host user's directory.
#include "multi/core/folder_paths.h"

#include <cstring>

#include "common/text.h"

namespace qpmulti {

namespace {

constexpr char kNewsPrefix[] = "News:";
constexpr char kDefaultMarker[] = "New-Mail";
constexpr char kMarkerExtension[] = ".NRL";
constexpr char kRulesName[] = "RULES";
constexpr char kRulesPattern[] = "RULE*.INI";

// Path separators would put the marker into another directory (".." out of the user's
// own), ":" would make it a stream of another file; the rest cannot be in a file name.
bool fitsFileName(char c) {
  return static_cast<unsigned char>(c) >= 0x20 && std::strchr("\\/:*?\"<>|", c) == nullptr;
}

bool refuse(char* out, size_t size) {
  if (size > 0) out[0] = '\0';
  return false;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool newMailMarkerName(const char* folderName, char* out, size_t size) {
  const char* name = folderName;
  if (name == nullptr || *name == '\0') {
    name = kDefaultMarker;
  } else if (qp::startsWithNoCase(name, kNewsPrefix)) {
    name += sizeof kNewsPrefix - 1;
    if (const char* slash = std::strchr(name, '/')) name = slash + 1;
  }
  // A zero-byte buffer holds not even the terminator (copyText counts an empty name as
  // fitting there), so nothing may be read from it.
  if (size == 0 || !qp::copyText(out, size, name)) return refuse(out, size);
  for (char* p = out; *p != '\0'; ++p) {
    if (!fitsFileName(*p)) *p = '_';
  }
  return true;
}

bool NewMailMarkerPath(const char* userDirectory, const char* folderName, char* out, size_t size) {
  if (userDirectory == nullptr || *userDirectory == '\0') return refuse(out, size);
  if (!qp::copyText(out, size, userDirectory)) return refuse(out, size);
  size_t used = std::strlen(out);
  if (!newMailMarkerName(folderName, out + used, size - used) ||
      !qp::appendText(out, size, kMarkerExtension)) {
    return refuse(out, size);
  }
  return true;
}

bool rulesDirectory(const char* userDirectory, bool withSeparator, char* out, size_t size) {
  if (userDirectory == nullptr || *userDirectory == '\0') return refuse(out, size);
  if (!qp::copyText(out, size, userDirectory) || !qp::appendText(out, size, kRulesName) ||
      (withSeparator && !qp::appendText(out, size, "\\"))) {
    return refuse(out, size);
  }
  return true;
}

bool rulesFilePattern(const char* directory, char* out, size_t size) {
  if (directory == nullptr || *directory == '\0') return refuse(out, size);
  bool separated = isSeparator(directory[std::strlen(directory) - 1]);
  if (!qp::copyText(out, size, directory) || (!separated && !qp::appendText(out, size, "\\")) ||
      !qp::appendText(out, size, kRulesPattern)) {
    return refuse(out, size);
  }
  return true;
}

}  // namespace qpmulti
