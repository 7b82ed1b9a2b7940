// The movie theater's tenant definition: one object the host consults for every theater tenant.
#pragma once

#include "WbTenantDef.h"

class WbTheaterDef final : public WbTenantDef {
public:
    WbTheaterDef(uint32_t type, const WbPluginSpecifier& specifier, CResFile* resFile, WbWorldDef* worldDef,
                 WbTenantPlugin* owner);
    ~WbTheaterDef() override;

    // Nothing for the theater kind as a whole.
    void DefIdleProc(WbTowerDoc* doc) override;
    // While the film runs: the theater's picture with the film's screen in it; otherwise the host's.
    void DrawProc(WbHaveOutViewObject* equip, RECT& area, WbTowerDoc* doc) const override;
    // Frees the tenant's schedule.
    void DestructFinish(WbTowerDoc* doc, WbHaveOutViewObject* equip) override;
    // Reads the length word and the schedule's record, keeping the archive in step whatever the length.
    void LoadExtraData(WbArchive& archive, WbTowerDoc* doc, WbHaveOutViewObject* equip) override;
    // Writes the schedule's record, or the length 0 alone without a schedule.
    void SaveExtraData(WbArchive& archive, WbHaveOutViewObject* equip) override;
    // Gives a new theater its schedule and film, and starts the tower's day base.
    void PrepareTenantProc(WbTowerDoc* doc, WbTenant* tenant) override;
    // A new theater info dialog for the tenant, which the host owns from then on; null when it cannot be made.
    WbTenantInfoDialog* ConstructInfoDialog(WbTenant* tenant) override;
    // One idle pass: construction steps, then the status of the current minute.
    int TenantIdleProc(WbTowerDoc* doc, WbTenant* tenant, int32_t tick) override;
    // Admits an arriving person, or sends them away while closed or without a film.
    void EnterTenantProc(WbTowerDoc* doc, WbTenant* tenant, WbPeople* person) override;
    // Nothing.
    void NotifyTenantProc(int32_t code, int32_t param1, int32_t param2) override;
    // The tenant's schedule, made on first need; null when it cannot be made.
    void* GetRefConObject(WbTowerDoc* doc, WbTenant* tenant) override;

    // Works out the status of the current minute and lets the schedule act on it; nonzero when the
    // tenant must be redrawn.
    int UpdateShowStatus(WbTowerDoc* doc, WbTenant* tenant, int32_t status);

private:
    // The bodies of the slots above; they may run out of memory, which their slots answer.
    int IdlePass(WbTowerDoc* doc, WbTenant* tenant);
    void Admit(WbTowerDoc* doc, WbTenant* tenant, WbPeople* person);
    void Draw(WbHaveOutViewObject* equip, RECT& area, WbTowerDoc* doc) const;
    // Makes the tenant's schedule when it has none and takes up the tenant's film.
    void AttachFilm(WbTowerDoc* doc, WbTenant* tenant);
};
