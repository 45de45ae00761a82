// Reading the sample library's own settings file next to its DLL (Win32).
#pragma once

#include <windows.h>

#include "host/mailstore/library_settings.h"

namespace qp::mailstore {

// The settings of the library `module`, read from its file at each call, so that tests
// may change them while the library is loaded. Defaults when the file is absent.
LibrarySettings readLibrarySettings(HMODULE module);

}  // namespace qp::mailstore
