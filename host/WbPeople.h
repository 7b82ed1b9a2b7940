// People in the tower: who they are, where they are now and where they work.
#pragma once

#include "WbDll.h"

#include <cstdint>
#include <functional>

class WBDLL_API WbMatter {
public:
    // The equipment ID of the tenant the person works for, 0 for none.
    uint32_t GetWorkTenant() const { return mWorkTenant; }
    void SetWorkTenant(uint32_t equipID) { mWorkTenant = equipID; }

protected:
    uint32_t mWorkTenant = 0;
};

// A person is plain data of 16 bytes, four to a cache line: a big tower hands out millions a day, and each
// one written is a trip to memory.
class WBDLL_API WbPeople : public WbMatter {
public:
    explicit WbPeople(uint32_t peopleID) : mPeopleID(peopleID) {}
    uint32_t GetPeopleID() const { return mPeopleID; }
    // The equipment ID of the tenant the person is in now, 0 when outside every tenant.
    uint32_t GetCurTenantID() const { return mCurTenant; }
    void SetCurTenantID(uint32_t equipID) { mCurTenant = equipID; }
    // Minute of the day at which a customer leaves again; may pass 1439.
    uint32_t GetLeaveMinute() const { return mLeaveMinute; }
    void SetLeaveMinute(uint32_t minute) { mLeaveMinute = minute; }
    // The next person of the chain the person was last linked into, or null. The links are kept beside the
    // people, not in them: only a tenant's info dialog follows a chain.
    WbPeople* GetNextLink() const;
    void SetNextLink(WbPeople* next);
    // Host side: forgets the links from the people picked answers true for, before those people are destroyed.
    static void ForgetLinks(const std::function<bool(const WbPeople*)>& picked);

private:
    uint32_t mPeopleID;
    uint32_t mCurTenant = 0;
    uint32_t mLeaveMinute = 0;
};

static_assert(sizeof(WbPeople) == 16);
