// The minute loop and its bookkeeping: what each call into the module changed is found by comparing
// the theater before and after the call, so the module is never asked about its own state.
#include "WbHostRun.h"

#include "WbFilmShelf.h"
#include "WbHostCallRing.h"
#include "WbTenantDef.h"

#include <algorithm>

class WbHostRun::ArrivalWatch final : public WbTowerObserver {
public:
    explicit ArrivalWatch(WbHostRun& run) : mRun(run) {}

    void BeginDelivery()
    {
        mDelivering = true;
        mLastTheater = -1;
    }
    void EndDelivery() { mDelivering = false; }

    void OnTowerEvent(const WbTowerEvent& event) override
    {
        const bool arrival = event.kind == WbEventKind::Enter || event.kind == WbEventKind::TurnAway;
        if (mDelivering && arrival) {
            if (mLastTheater >= 0)
                mRun.CheckArrivalTheater(mLastTheater);
            mLastTheater = mRun.mTower->FindTheater(event.equip);
            mRun.mCallingTheater = mLastTheater;
        }
        if (mRun.mObserver)
            mRun.mObserver->OnTowerEvent(event);
    }

private:
    WbHostRun& mRun;
    bool mDelivering = false;
    int mLastTheater = -1;
};

WbHostRun::WbHostRun(std::unique_ptr<WbHostTower> tower, int passesPerMinute)
    : mTower(std::move(tower)), mPassesPerMinute(passesPerMinute), mArrivalWatch(std::make_unique<ArrivalWatch>(*this))
{
    mTower->GetShelf().ReportThrough(&mTower->GetDoc());
    mIsArrivalTheater.resize(size_t(mTower->GetTheaterCount()));
    mBeforeArrivals.resize(size_t(mTower->GetTheaterCount()));
}

WbHostRun::~WbHostRun() { mTower->GetDoc().SetObserver(nullptr); }

int32_t WbHostRun::GetDay() const { return mTower->GetDoc().GetCurrentDateTime()->CalcTotalDays(); }

uint32_t WbHostRun::GetMinute() const { return mTower->GetDoc().GetCurrentDateTime()->GetRawMinutes(); }

void WbHostRun::AddListener(WbRunListener* listener)
{
    mListeners.push_back(listener);
    if (listener->HearsChanges())
        mChangeListeners.push_back(listener);
}

void WbHostRun::SetObserver(WbTowerObserver* observer)
{
    mObserver = observer;
    InstallObserver();
}

void WbHostRun::InstallObserver() { mTower->GetDoc().SetObserver(mObserver ? mArrivalWatch.get() : nullptr); }

void WbHostRun::RunMinutes(int64_t minutes)
{
    for (int64_t i = 0; i < minutes; ++i) {
        for (WbRunListener* listener : mListeners)
            listener->OnMinuteStart(*this);
        OpenFinishedTheaters();
        DeliverArrivals();
        RunIdlePasses();
        for (WbRunListener* listener : mListeners)
            listener->OnMinuteEnd(*this);
        EndFrame();
        if (GetMinute() == WbDateTime::kMinutesPerDay - 1)
            for (WbRunListener* listener : mListeners)
                listener->OnDayEnd(*this);
        mTower->GetDoc().GetCurrentDateTime()->AdvanceMinute();
    }
}

void WbHostRun::Finish()
{
    for (WbRunListener* listener : mListeners)
        listener->OnRunEnd(*this);
}

void WbHostRun::ReplaceTower(std::unique_ptr<WbHostTower> tower)
{
    mTower->GetDoc().SetObserver(nullptr);
    tower->GetShelf().ReportThrough(&tower->GetDoc());
    std::swap(mTower, tower);
    tower.reset();
    mArrivalTheaters.clear();
    mDrawing.clear();
    mMayAllBeDrawing = true;
    mIsArrivalTheater.assign(size_t(mTower->GetTheaterCount()), false);
    mBeforeArrivals.assign(size_t(mTower->GetTheaterCount()), Watched{});
    InstallObserver();
    for (WbRunListener* listener : mListeners)
        listener->OnTowerReplaced(*this);
}

// Construction ends at the start of a day; the host opens the theater, and that is a status change too.
// At any other minute nothing opens, and the tower is not looked through.
void WbHostRun::OpenFinishedTheaters()
{
    if (GetMinute() != 0)
        return;
    WbTowerDoc& doc = mTower->GetDoc();
    for (int i = 0; i < mTower->GetTheaterCount(); ++i)
        if (mTower->GetTheater(i).GetStatus() == 9)
            CallTheater(i, [&doc](WbTenant& tenant) { doc.FinishConstruction(&tenant); });
}

void WbHostRun::DeliverArrivals()
{
    WbTowerDoc& doc = mTower->GetDoc();
    if (doc.GetPendingArrivals() == 0)
        return;
    WatchArrivalTheaters();
    mArrivalWatch->BeginDelivery();
    WbHostCallRing::Enter("WbTenantDef::EnterTenantProc");
    doc.DeliverArrivals();
    mArrivalWatch->EndDelivery();
    mCallingTheater = -1;
    for (int index : mArrivalTheaters)
        CheckArrivalTheater(index);
    for (int index : mArrivalTheaters)
        mIsArrivalTheater[size_t(index)] = false;
    mArrivalTheaters.clear();
}

// Arrivals call into their own theater only, so a theater without customers due keeps its status, and the
// tower is not looked through. The theaters are checked in scenario order, as a look through the whole
// tower would find them.
void WbHostRun::WatchArrivalTheaters()
{
    if (mChangeListeners.empty())
        return;
    mTower->GetDoc().GetTenantsDue(mTenantsDue);
    for (const WbTenant* tenant : mTenantsDue) {
        const int index = mTower->FindTheater(tenant);
        if (index < 0 || mIsArrivalTheater[size_t(index)])
            continue;
        mIsArrivalTheater[size_t(index)] = true;
        mBeforeArrivals[size_t(index)] = Watch(*tenant);
        mArrivalTheaters.push_back(index);
    }
    std::sort(mArrivalTheaters.begin(), mArrivalTheaters.end());
}

void WbHostRun::CheckArrivalTheater(int index)
{
    if (index < 0 || !mIsArrivalTheater[size_t(index)])
        return;
    Watched& before = mBeforeArrivals[size_t(index)];
    const WbTenant& tenant = mTower->GetTheater(index);
    if (tenant.GetStatus() == before.status && tenant.GetPatIndex() == before.pattern)
        return;
    ReportStatus(index, before);
    before.status = tenant.GetStatus();
    before.pattern = tenant.GetPatIndex();
}

void WbHostRun::RunIdlePasses()
{
    WbTowerDoc& doc = mTower->GetDoc();
    WbTenantDef* def = mTower->GetDef();
    mInIdlePass = true;
    // Nothing else calls into the module until the passes end, so one note covers them all.
    WbHostCallRing::Enter("WbTenantDef::TenantIdleProc");
    // A big tower's theaters do not stay in the processor's cache from one minute to the next, so each
    // pass asks for the memory of the theaters a few places on while this one runs.
    constexpr int kTenantAhead = 8;
    constexpr int kModuleDataAhead = 4;
    for (int pass = 0; pass < mPassesPerMinute; ++pass)
        for (int i = 0; i < mTower->GetTheaterCount(); ++i) {
            mTower->PrefetchTenant(i + kTenantAhead);
            mTower->PrefetchModuleData(i + kModuleDataAhead);
            CallTheater(i, [&doc, def](WbTenant& tenant) { def->TenantIdleProc(&doc, &tenant, 0); });
        }
    mInIdlePass = false;
}

// The host draws what the passes asked for once per minute; afterwards nothing is waiting to be drawn. Only
// the theaters noted as drawing are looked at: in a big tower a walk through all of them is a trip to memory
// for each.
void WbHostRun::EndFrame()
{
    if (mMayAllBeDrawing || mPassesPerMinute < 1) {
        for (int i = 0; i < mTower->GetTheaterCount(); ++i)
            mTower->GetTheater(i).SetDrawMode(0);
        mMayAllBeDrawing = false;
    } else {
        for (int index : mDrawing)
            mTower->GetTheater(index).SetDrawMode(0);
    }
    mDrawing.clear();
}

WbHostRun::Watched WbHostRun::Watch(const WbTenant& tenant) const
{
    return {tenant.GetStatus(), tenant.GetPatIndex(), tenant.GetCustomerCount(), mTower->GetDoc().GetCurrentFunds()};
}

void WbHostRun::ReportChanges(int index, const Watched& before)
{
    const WbTenant& tenant = mTower->GetTheater(index);
    if (tenant.GetStatus() != before.status || tenant.GetPatIndex() != before.pattern)
        ReportStatus(index, before);
    const int32_t funds = mTower->GetDoc().GetCurrentFunds();
    if (funds != before.funds)
        for (WbRunListener* listener : mChangeListeners)
            listener->OnFundsChange(*this, index, int64_t(funds) - before.funds);
}

void WbHostRun::ReportStatus(int index, const Watched& before)
{
    const WbTenant& tenant = mTower->GetTheater(index);
    const WbStatusChange change{index, before.status, tenant.GetStatus(), tenant.GetPatIndex(), before.customers};
    for (WbRunListener* listener : mChangeListeners)
        listener->OnStatusChange(*this, change);
}
