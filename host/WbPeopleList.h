// Lists of people the host hands out: a tenant's belong list and the chain of people linked to it.
#pragma once

#include "LArray.h"
#include "WbPeople.h"

// The people who belong to a tenant, as an array of pointers.
class WbPeoplePtrList final : public LArray<WbPeople*> {};

// Walks a chain of linked people from its first person.
class WbPeopleLinkIterator {
public:
    explicit WbPeopleLinkIterator(WbPeople* first) : mNext(first) {}
    // The next person of the chain; false at its end.
    bool Next(WbPeople*& person)
    {
        if (!mNext)
            return false;
        person = mNext;
        mNext = mNext->GetNextLink();
        return true;
    }

private:
    WbPeople* mNext;
};
