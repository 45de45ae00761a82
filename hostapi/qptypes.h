// Basic types and the calling convention shared by the mail server's libraries
// (QPXCOMM, QPXSESS), the interface libraries and our components.
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#define QPAPI __stdcall
#else
#define QPAPI
#endif

// A host or member session handle: a 32-bit integer the common library hands out.
// -1 stands for "no session".
typedef int32_t QPSESSION;
#define QP_NO_SESSION ((QPSESSION)-1)

// Sizes that the QPI interface fixes for caller-owned text buffers.
#define QP_TEXT_SMALL 150
#define QP_TEXT_LARGE 500
