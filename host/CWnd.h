// The framework's window: a rectangle in its parent, enabled and shown states, and child windows by ID.
#pragma once

#include "WbDll.h"
#include "WbWin32.h"

#include <vector>

// A window without a screen: it keeps what a real window would show, so that a headless host can
// read back every change a dialog makes. A window's rectangle is in its parent's client coordinates,
// or in screen coordinates for a window without a parent; the client area is the whole window.
class WBDLL_API CWnd {
public:
    CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    // The child window with this control ID, or null.
    CWnd* GetDlgItem(int id) const;
    // Enables or disables input to the window; nonzero when it was disabled before.
    BOOL EnableWindow(BOOL enable);
    // Nonzero when the window itself is enabled (its parent's state is not considered).
    BOOL IsWindowEnabled() const;
    // SW_HIDE hides the window, any other command shows it; nonzero when it was visible before.
    BOOL ShowWindow(int command);
    // Nonzero when the window and every parent are shown.
    BOOL IsWindowVisible() const;
    // Moves and resizes the window within its parent; with repaint the window is redrawn.
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const RECT* rect, BOOL repaint = TRUE);
    // (0, 0, width, height).
    void GetClientRect(RECT* rect) const;
    // The window's rectangle in screen coordinates.
    void GetWindowRect(RECT* rect) const;
    CWnd* GetParent() const { return mParent; }
    int GetDlgCtrlID() const { return mControlID; }
    HWND GetSafeHwnd() const { return const_cast<CWnd*>(this); }
    // A window handle is the window itself here.
    static CWnd* FromHandle(HWND window) { return window; }

    // Host side.
    // Makes the window a child of parent (or a top-level window when parent is null) at rect.
    void CreateWnd(CWnd* parent, const RECT& rect, int controlID);
    // The rectangle in the parent's client coordinates (screen coordinates without a parent).
    const RECT& GetRect() const { return mRect; }
    // Nonzero when the window is enabled and so is every parent: the user can reach it.
    BOOL IsInputEnabled() const;
    // Nonzero when the window's own show state is on, whatever its parents'.
    BOOL IsShown() const { return mShown; }
    // Times the window was asked to redraw itself by a move.
    int GetRepaintCount() const { return mRepaintCount; }
    const std::vector<CWnd*>& GetChildren() const { return mChildren; }
    // The top-left corner of the client area in screen coordinates.
    POINT ClientOrigin() const;

private:
    void Detach();

    CWnd* mParent = nullptr;
    std::vector<CWnd*> mChildren;
    RECT mRect;
    int mControlID = 0;
    BOOL mEnabled = TRUE;
    BOOL mShown = TRUE;
    int mRepaintCount = 0;
};

// The user-interface thread of the host program: it knows the application's main window.
class WBDLL_API CWinThread {
public:
    CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    virtual ~CWinThread();
    // The application's main window; the host program makes it, with its screen rectangle.
    CWnd* GetMainWnd() { return &mMainWnd; }

private:
    CWnd mMainWnd;
};

// The thread the caller runs on; the host has one user-interface thread, so always the same object.
WBDLL_API CWinThread* AfxGetThread();
