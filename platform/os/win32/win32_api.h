#pragma once

// The Windows headers, configured once for every file of the Win32 backend:
// wide-character APIs, no min/max macros, Windows 7 as the oldest target
// (newer calls are looked up at run time).
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

#include <windows.h>
