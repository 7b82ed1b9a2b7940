// The Win32 rectangle, window and sound functions of the host library, for a host without real windows.
#include "WbWin32.h"

#include "CWnd.h"

namespace {

// Beeps are counted rather than sounded, so that a headless host can tell that one was asked for.
int gBeepCount = 0;
DWORD gLastBeepFrequency = 0;
DWORD gLastBeepDuration = 0;

} // namespace

BOOL OffsetRect(RECT* rect, int dx, int dy)
{
    if (!rect)
        return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL InflateRect(RECT* rect, int dx, int dy)
{
    if (!rect)
        return FALSE;
    rect->left -= dx;
    rect->right += dx;
    rect->top -= dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    if (!window || !rect)
        return FALSE;
    window->GetClientRect(rect);
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    if (!window || !rect)
        return FALSE;
    window->GetWindowRect(rect);
    return TRUE;
}

HWND GetParent(HWND window) { return window ? window->GetParent() : nullptr; }

// A null window stands for the screen. The result packs the horizontal shift in the low word and the
// vertical one in the high word, as Win32 does.
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count)
{
    const POINT fromOrigin = from ? from->ClientOrigin() : POINT{};
    const POINT toOrigin = to ? to->ClientOrigin() : POINT{};
    const LONG dx = fromOrigin.x - toOrigin.x;
    const LONG dy = fromOrigin.y - toOrigin.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return int((uint32_t(uint16_t(dy)) << 16) | uint16_t(dx));
}

BOOL Beep(DWORD frequency, DWORD duration)
{
    ++gBeepCount;
    gLastBeepFrequency = frequency;
    gLastBeepDuration = duration;
    return TRUE;
}

int WbGetBeepCount() { return gBeepCount; }

void WbGetLastBeep(DWORD* frequency, DWORD* duration)
{
    if (frequency)
        *frequency = gLastBeepFrequency;
    if (duration)
        *duration = gLastBeepDuration;
}
