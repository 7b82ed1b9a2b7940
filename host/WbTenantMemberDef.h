// What a tenant's customers are: the kinds its customer table (TMDF) lists and the remarks (WODF) they make.
#pragma once

#include "CString.h"

#include <array>
#include <cstdint>
#include <utility>

class WbTenantMemberDef final {
public:
    WbTenantMemberDef() = default;
    WbTenantMemberDef(CString name, int32_t demandType, int32_t startSilhouetteType, int32_t endSilhouetteType,
                      int32_t optionType, int32_t percent, int32_t numOfPeople, float rate)
        : mName(std::move(name)), mDemandType(demandType), mStartSilhouetteType(startSilhouetteType),
          mEndSilhouetteType(endSilhouetteType), mOptionType(optionType), mPercent(percent), mNumOfPeople(numOfPeople),
          mRate(rate)
    {
    }

    const CString& GetName() const { return mName; }
    // What the customer comes for.
    int32_t GetDemandType() const { return mDemandType; }
    // The figure drawn while the customer walks in, and while it walks out.
    int32_t GetStartSilhouetteType() const { return mStartSilhouetteType; }
    int32_t GetEndSilhouetteType() const { return mEndSilhouetteType; }
    int32_t GetOptionType() const { return mOptionType; }
    // The table's share for this kind, in percent; 0 leaves the share to the rate.
    int32_t GetPercent() const { return mPercent; }
    // How many people come together as one customer of this kind.
    int32_t GetNumOfPeople() const { return mNumOfPeople; }
    // The share of the tenant's callers who are of this kind, 0 to 1. Not in the table: the host works
    // it out from the percentages when it reads the table.
    float GetRate() const { return mRate; }

private:
    CString mName;
    int32_t mDemandType = 0;
    int32_t mStartSilhouetteType = 0;
    int32_t mEndSilhouetteType = 0;
    int32_t mOptionType = 0;
    int32_t mPercent = 0;
    int32_t mNumOfPeople = 1;
    float mRate = 0.0f;
};

// One remark customers make of a tenant: four numbers that select when it is said, and the text.
struct WbRemark {
    std::array<int32_t, 4> values{};
    CString text;
};
