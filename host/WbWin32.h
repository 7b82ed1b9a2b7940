// The Win32 types and user functions the module calls, as the host's framework library provides them.
#pragma once

#include "WbDll.h"

#include <cstdint>

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = unsigned int;
using LONG = int32_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    friend bool operator==(const RECT&, const RECT&) = default;
};

struct POINT {
    LONG x = 0;
    LONG y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};

// A window handle is the window object itself in this host.
class CWnd;
using HWND = CWnd*;

// A module handle names one loaded module in the host's chain of resource modules.
struct WbModule;
using HINSTANCE = WbModule*;

constexpr WORD LOWORD(DWORD value) { return WORD(value & 0xFFFF); }
constexpr WORD HIWORD(DWORD value) { return WORD(value >> 16); }

WBDLL_API BOOL OffsetRect(RECT* rect, int dx, int dy);
WBDLL_API BOOL InflateRect(RECT* rect, int dx, int dy);
WBDLL_API BOOL GetClientRect(HWND window, RECT* rect);
WBDLL_API BOOL GetWindowRect(HWND window, RECT* rect);
WBDLL_API HWND GetParent(HWND window);
// Maps count points (a RECT counts as two) from one window's client coordinates to another's.
WBDLL_API int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
WBDLL_API BOOL Beep(DWORD frequency, DWORD duration);
// Host side: how many times Beep was called since the host library was loaded.
WBDLL_API int WbGetBeepCount();
// Host side: the arguments of the last Beep (both 0 before the first).
WBDLL_API void WbGetLastBeep(DWORD* frequency, DWORD* duration);
