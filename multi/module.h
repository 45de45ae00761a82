// The module instance of QPXMULTI.DLL, kept by its entry point for loading resources
// (dialog templates) later.
#pragma once

#include <windows.h>

namespace qpmulti {

// The DLL's instance handle; null before the DLL is attached.
HINSTANCE moduleInstance();

}  // namespace qpmulti
