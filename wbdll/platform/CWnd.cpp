// Windows without a screen: rectangles, parents and children, enabled and shown states.
#include "CWnd.h"

#include <algorithm>

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    for (CWnd* child : mChildren)
        child->mParent = nullptr;
    Detach();
}

void CWnd::CreateWnd(CWnd* parent, const RECT& rect, int controlID)
{
    Detach();
    mParent = parent;
    if (mParent)
        mParent->mChildren.push_back(this);
    mRect = rect;
    mControlID = controlID;
}

void CWnd::Detach()
{
    if (mParent)
        std::erase(mParent->mChildren, this);
    mParent = nullptr;
}

CWnd* CWnd::GetDlgItem(int id) const
{
    for (CWnd* child : mChildren)
        if (child->mControlID == id)
            return child;
    return nullptr;
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    const BOOL wasDisabled = mEnabled ? FALSE : TRUE;
    mEnabled = enable ? TRUE : FALSE;
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const { return mEnabled; }

BOOL CWnd::IsInputEnabled() const
{
    for (const CWnd* window = this; window; window = window->mParent)
        if (!window->mEnabled)
            return FALSE;
    return TRUE;
}

BOOL CWnd::ShowWindow(int command)
{
    const BOOL wasVisible = mShown;
    mShown = command == SW_HIDE ? FALSE : TRUE;
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const
{
    for (const CWnd* window = this; window; window = window->mParent)
        if (!window->mShown)
            return FALSE;
    return TRUE;
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    mRect = RECT{x, y, x + width, y + height};
    if (repaint)
        ++mRepaintCount;
}

void CWnd::MoveWindow(const RECT* rect, BOOL repaint)
{
    if (rect)
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

void CWnd::GetClientRect(RECT* rect) const
{
    if (rect)
        *rect = RECT{0, 0, mRect.right - mRect.left, mRect.bottom - mRect.top};
}

POINT CWnd::ClientOrigin() const
{
    POINT origin{mRect.left, mRect.top};
    for (const CWnd* window = mParent; window; window = window->mParent) {
        origin.x += window->mRect.left;
        origin.y += window->mRect.top;
    }
    return origin;
}

void CWnd::GetWindowRect(RECT* rect) const
{
    if (!rect)
        return;
    const POINT origin = ClientOrigin();
    *rect = RECT{origin.x, origin.y, origin.x + mRect.right - mRect.left, origin.y + mRect.bottom - mRect.top};
}

// The host program's main window stands for the whole screen until the host places it.
CWinThread::CWinThread() { mMainWnd.CreateWnd(nullptr, RECT{0, 0, 800, 600}, 0); }

CWinThread::~CWinThread() = default;

CWinThread* AfxGetThread()
{
    static CWinThread thread;
    return &thread;
}
