// Parsing of the library's own settings file; see library_settings.h.
#include "host/mailstore/library_settings.h"

#include <optional>

#include "common/text.h"
#include "host/mailstore/account.h"

namespace qp::mailstore {

LibrarySettings parseLibrarySettings(std::string_view text, std::string_view interfaceType) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // UTF-8 byte order mark
  std::optional<std::string> description, capabilities;
  bool inSection = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = trimIniText(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      inSection = close != std::string_view::npos &&
                  equalsNoCase(trimIniText(line.substr(1, close - 1)), "Interface");
      continue;
    }
    const size_t equals = line.find('=');
    if (!inSection || equals == std::string_view::npos) continue;
    const std::string_view key = trimIniText(line.substr(0, equals));
    const std::string_view value = trimIniText(line.substr(equals + 1));
    if (equalsNoCase(key, "Description") && !description) description = std::string(value);
    if (equalsNoCase(key, "Capabilities") && !capabilities) capabilities = std::string(value);
  }
  LibrarySettings settings;
  settings.description =
      description ? *description : "Sample mail store (" + std::string(interfaceType) + ")";
  if (capabilities)
    settings.capabilities = parseNumber(*capabilities).value_or(kDefaultCapabilities);
  return settings;
}

std::string librarySettingsPath(std::string_view modulePath) {
  const size_t slash = modulePath.find_last_of("\\/:");
  const size_t dot = modulePath.find_last_of('.');
  const bool hasExtension =
      dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
  std::string path(hasExtension ? modulePath.substr(0, dot) : modulePath);
  return path + ".INI";
}

}  // namespace qp::mailstore
