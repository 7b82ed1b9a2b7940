// Broadcasters and listeners that unhook themselves from each other when either goes.
#include "LBroadcaster.h"

#include <algorithm>

LListener::LListener() = default;

LListener::~LListener()
{
    for (LBroadcaster* broadcaster : mBroadcasters)
        std::erase(broadcaster->mListeners, this);
}

void LListener::ListenToMessage(UINT, void*) {}

bool LListener::IsListeningTo(const LBroadcaster* broadcaster) const
{
    return std::find(mBroadcasters.begin(), mBroadcasters.end(), broadcaster) != mBroadcasters.end();
}

LBroadcaster::LBroadcaster() = default;

LBroadcaster::~LBroadcaster()
{
    for (LListener* listener : mListeners)
        std::erase(listener->mBroadcasters, this);
}

void LBroadcaster::AddListener(LListener* listener)
{
    if (!listener || HasListener(listener))
        return;
    mListeners.push_back(listener);
    listener->mBroadcasters.push_back(this);
}

void LBroadcaster::RemoveListener(LListener* listener)
{
    if (!listener)
        return;
    std::erase(mListeners, listener);
    std::erase(listener->mBroadcasters, this);
}

// A listener may add or remove listeners while it handles the message, so the round goes over a copy
// and skips whoever was removed meanwhile.
void LBroadcaster::BroadcastMessage(UINT message, void* param)
{
    const std::vector<LListener*> round = mListeners;
    for (LListener* listener : round)
        if (HasListener(listener))
            listener->ListenToMessage(message, param);
}

bool LBroadcaster::HasListener(const LListener* listener) const
{
    return std::find(mListeners.begin(), mListeners.end(), listener) != mListeners.end();
}
