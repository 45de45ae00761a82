// The settings file of the sample interface library itself, "QPX<TYPE>.INI" next to
// "QPX<TYPE>.DLL": section [Interface] with the description the library gives of itself
// and the capability bits it reports for the whole interface.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qp::mailstore {

// Takes a password (0x400) and a mail database (0x800).
constexpr uint32_t kDefaultCapabilities = 0xC00;
constexpr size_t kMaxLibrarySettingsSize = 64 * 1024;

struct LibrarySettings {
  std::string description;
  uint32_t capabilities = kDefaultCapabilities;
};

// Reads [Interface] "Description" and "Capabilities" (the INI rules of the account file:
// names without regard to case, blanks around names and values dropped, ';' and '#'
// comments, the first occurrence of a key wins). A missing Description gives
// "Sample mail store (<type>)"; a present but empty one stays empty. A missing or
// malformed Capabilities gives kDefaultCapabilities.
LibrarySettings parseLibrarySettings(std::string_view text, std::string_view interfaceType);

// The settings file of a library: its path with the extension replaced by ".INI"
// ("C:\srv\QPXPOP3.DLL" gives "C:\srv\QPXPOP3.INI").
std::string librarySettingsPath(std::string_view modulePath);

}  // namespace qp::mailstore
