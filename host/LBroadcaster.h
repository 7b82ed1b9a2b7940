// Messages between dialog parts: items broadcast what the user did, dialogs listen for it.
#pragma once

#include "WbDll.h"
#include "WbWin32.h"

#include <vector>

class LBroadcaster;

// Receives the messages of the broadcasters it was added to. A listener and its broadcasters know
// each other, so that whichever goes first leaves no dangling pointer in the other.
class WBDLL_API LListener {
public:
    LListener();
    LListener(const LListener&) = delete;
    LListener& operator=(const LListener&) = delete;
    // Deleting through this part deletes the whole object.
    virtual ~LListener();
    // One message of a broadcaster this listener was added to; nothing here.
    virtual void ListenToMessage(UINT message, void* param);

    bool IsListeningTo(const LBroadcaster* broadcaster) const;

private:
    friend class LBroadcaster;
    std::vector<LBroadcaster*> mBroadcasters;
};

class WBDLL_API LBroadcaster {
public:
    LBroadcaster();
    LBroadcaster(const LBroadcaster&) = delete;
    LBroadcaster& operator=(const LBroadcaster&) = delete;
    virtual ~LBroadcaster();

    // Adds a listener once; adding it again changes nothing.
    void AddListener(LListener* listener);
    void RemoveListener(LListener* listener);
    // Sends the message to every listener, in the order they were added. A listener removed while the
    // message goes round receives it no more.
    void BroadcastMessage(UINT message, void* param);

    bool HasListener(const LListener* listener) const;
    int GetListenerCount() const { return int(mListeners.size()); }

private:
    friend class LListener;
    std::vector<LListener*> mListeners;
};
