// People in the tower: who they are, where they are now and where they work.
#pragma once

#include "WbDll.h"

#include <cstdint>

class WBDLL_API WbMatter {
public:
    virtual ~WbMatter();
    // The equipment ID of the tenant the person works for, 0 for none.
    uint32_t GetWorkTenant() const { return mWorkTenant; }
    void SetWorkTenant(uint32_t equipID) { mWorkTenant = equipID; }

protected:
    uint32_t mWorkTenant = 0;
};

class WBDLL_API WbPeople : public WbMatter {
public:
    explicit WbPeople(uint32_t peopleID) : mPeopleID(peopleID) {}
    ~WbPeople() override;
    uint32_t GetPeopleID() const { return mPeopleID; }
    // The equipment ID of the tenant the person is in now, 0 when outside every tenant.
    uint32_t GetCurTenantID() const { return mCurTenant; }
    void SetCurTenantID(uint32_t equipID) { mCurTenant = equipID; }
    // Minute of the day at which a customer leaves again; may pass 1439.
    uint32_t GetLeaveMinute() const { return mLeaveMinute; }
    void SetLeaveMinute(uint32_t minute) { mLeaveMinute = minute; }
    // The next person of the chain the person is linked into, or null.
    WbPeople* GetNextLink() const { return mNextLink; }
    void SetNextLink(WbPeople* next) { mNextLink = next; }

private:
    uint32_t mPeopleID;
    uint32_t mCurTenant = 0;
    uint32_t mLeaveMinute = 0;
    WbPeople* mNextLink = nullptr;
};
