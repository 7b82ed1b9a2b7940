// Out of memory at each allocation of an entry point or slot: null or 0, no exception, nothing half-made kept.
#include "AllocationHook.h"
#include "DialogTower.h"
#include "TheaterModule.h"

#include "WbArchive.h"
#include "WbImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

const std::string kTitle = "The Very Long Title of the Tower's Film";
const std::string kOtherTitle = "Another Film Whose Title Is Long As Well";

// Titles longer than a string keeps in place, so that taking up the film allocates.
WbFilmInfo LongTitledFilm(uint32_t id)
{
    WbFilmInfo info = FilmInfo(id);
    info.titles[1] = id == 1 ? kTitle : kOtherTitle;
    return info;
}

// A dialog tower showing a long-titled film, with another one to change to.
struct FilmChangeTower final : DialogTower {
    FilmChangeTower() { Place(AddFilm(LongTitledFilm(1))); }
    WbMoviePlugin* next = AddFilm(LongTitledFilm(2));
};

} // namespace

TEST(OutOfMemory, EntryPointsAnswerNullAndTheNextCallMakesTheObject)
{
    const int attrFailures = ForEachFailingAllocation([](int n) {
        WbPluginSpecifier* attr = nullptr;
        const bool failed = RunWithAllocationFailing(n, [&attr] { attr = GetAttr(); });
        EXPECT_EQ(attr == nullptr, failed);
        delete attr;
        return failed;
    });

    WbPluginSpecifier attr = *std::unique_ptr<WbPluginSpecifier>(GetAttr());
    const int pluginFailures = ForEachFailingAllocation([&attr](int n) {
        WbTenantPlugin* plugin = nullptr;
        const bool failed = RunWithAllocationFailing(n, [&] { plugin = ConstructProgramPlugin(attr); });
        EXPECT_EQ(plugin == nullptr, failed);
        EXPECT_NE(ConstructProgramPlugin(attr), nullptr) << "the next call makes the object";
        EXPECT_EQ(DestructProgramPlugin(), 0);
        return failed;
    });

    const int definitionFailures = ForEachFailingAllocation([&](int n) {
        WbTenantPlugin* plugin = ConstructProgramPlugin(attr);
        WbTenantDef* def = nullptr;
        const bool failed =
            RunWithAllocationFailing(n, [&] { def = ConstructTemplatePlugin(attr, nullptr, nullptr, plugin); });
        EXPECT_EQ(def == nullptr, failed) << n;
        WbTenantDef* again = ConstructTemplatePlugin(attr, nullptr, nullptr, plugin);
        EXPECT_EQ(again ? again->GetPlugin() : nullptr, plugin) << "the next call makes the object";
        EXPECT_EQ(DestructProgramPlugin(), 0);
        return failed;
    });
    EXPECT_GE(std::min({attrFailures, pluginFailures, definitionFailures}), 1);
}

// A schedule that could not be given its film is not kept: the next pass (or preparation, or load) makes
// it again, whole. The record is read in full either way, so the next tenant's data stays in step.
TEST(OutOfMemory, ScheduleIsKeptOnlyWithItsFilm)
{
    auto attach = [](auto&& call) {
        return ForEachFailingAllocation([&call](int n) {
            TheaterTower tower;
            WbMoviePlugin* film = tower.AddFilm(LongTitledFilm(1));
            tower.Place(film);
            tower.def.DestructFinish(&tower.doc, tower.theater.get());
            const bool failed = RunWithAllocationFailing(n, [&] { call(tower); });
            const WbMovieSchedule* schedule = tower.Schedule();
            EXPECT_TRUE(!schedule || (schedule->GetMovie() == film && schedule->GetTitle() == kTitle.c_str())) << n;
            tower.def.TenantIdleProc(&tower.doc, tower.theater.get(), 0);
            EXPECT_EQ(tower.Schedule()->GetMovie(), film) << "the next pass takes up the film";
            return failed;
        });
    };
    EXPECT_GE(attach([](TheaterTower& t) { t.def.TenantIdleProc(&t.doc, t.theater.get(), 0); }), 2);
    EXPECT_GE(attach([](TheaterTower& t) { t.def.PrepareTenantProc(&t.doc, t.theater.get()); }), 2);

    const int loadFailures = ForEachFailingAllocation([](int n) {
        TheaterTower tower;
        WbMoviePlugin* film = tower.AddFilm(LongTitledFilm(1));
        tower.Place(film);
        tower.theater->SetMoviePlugin(nullptr);
        std::vector<uint8_t> bytes;
        WbArchive store(bytes);
        store << int32_t(20) << film->GetID() << int32_t(33) << int32_t(44) << int32_t(5) << int32_t(0) << int32_t(-7);
        tower.def.DestructFinish(&tower.doc, tower.theater.get());
        WbArchive load{std::span<const uint8_t>(bytes)};
        const bool failed =
            RunWithAllocationFailing(n, [&] { tower.def.LoadExtraData(load, &tower.doc, tower.theater.get()); });
        EXPECT_EQ(load.GetPosition(), 24u) << "the next tenant's data is read where it was written, " << n;
        if (WbMovieSchedule* schedule = tower.Schedule()) {
            const bool whole =
                schedule->GetMovie() == film && schedule->GetShowDays() == 5 && tower.theater->GetSubPlugin() == film;
            const bool untouched = schedule->GetMovie() == nullptr && schedule->GetShowDays() == 0;
            EXPECT_TRUE(whole || untouched) << n;
        }
        return failed;
    });
    EXPECT_GE(loadFailures, 2);
}

TEST(OutOfMemory, InfoDialogAndPictureAreLeftOutForOneCall)
{
    TheaterTower tower;
    tower.Place(tower.AddFilm(LongTitledFilm(1)), 32);
    tower.doc.SetDrawImage(std::make_unique<WbBitImage>(300, 120));
    const int dialogFailures = ForEachFailingAllocation([&tower](int n) {
        WbTenantInfoDialog* dialog = nullptr;
        const bool failed =
            RunWithAllocationFailing(n, [&] { dialog = tower.def.ConstructInfoDialog(tower.theater.get()); });
        EXPECT_EQ(dialog == nullptr, n == 1) << "only the dialog's own memory is the dialog";
        delete dialog;
        return failed;
    });
    EXPECT_GE(dialogFailures, 1);

    RECT area = tower.theater->GetEquipArea();
    const int drawFailures = ForEachFailingAllocation([&](int n) {
        tower.doc.GetDrawImage()->Fill(0);
        return RunWithAllocationFailing(n, [&] { tower.def.DrawProc(tower.theater.get(), area, &tower.doc); });
    });
    EXPECT_GE(drawFailures, 2);
    EXPECT_NE(tower.doc.GetDrawImage()->GetPixel(5, 5), 0) << "the last call drew the theater";
}

// Each handler the host calls either does its whole work or leaves the theater as it was: the selection
// dialog is open or not, a film is accepted or not, a film is bound and paid for or neither.
TEST(OutOfMemory, DialogHandlersDoAllOrNothing)
{
    const int createFailures = ForEachFailingAllocation([&](int n) {
        FilmChangeTower tower;
        WbDialog* info = tower.OpenInfo();
        const bool failed = RunWithAllocationFailing(n, [info] { info->OnWbCreate(); });
        info->OnWbCreate();
        EXPECT_EQ(DialogTower::Text(info, 7124), kTitle);
        return failed;
    });
    EXPECT_GE(createFailures, 5);

    const int openFailures = ForEachFailingAllocation([&](int n) {
        FilmChangeTower tower;
        WbDialog* info = tower.OpenInfo();
        auto* listener = dynamic_cast<LListener*>(info);
        const bool failed = RunWithAllocationFailing(n, [listener] { listener->ListenToMessage(7099, nullptr); });
        EXPECT_EQ(tower.Select() == nullptr, info->IsWindowEnabled()) << n;
        if (!tower.Select())
            listener->ListenToMessage(7099, nullptr);
        EXPECT_NE(tower.Select(), nullptr) << "a second press opens the selection";
        return failed;
    });
    EXPECT_GE(openFailures, 2);

    // "Show" as the host passes it on: the selection is open exactly while the schedule knows it, so that a
    // dialog whose close ran out of memory is neither lost nor deleted under the schedule.
    const int showFailures = ForEachFailingAllocation([&](int n) {
        FilmChangeTower tower;
        tower.OpenSelection();
        tower.Choose(tower.next);
        WbDialog* select = tower.Select();
        const bool failed = RunWithAllocationFailing(n, [select] { select->OnWbDialogCommand(7092, 0); });
        const bool accepted = tower.Schedule()->GetNewMovie() == tower.next;
        EXPECT_EQ(accepted, tower.Schedule()->IsMovieAccepted() == 1) << n;
        const bool listed = std::ranges::count(WbDialog::GetOpenDialogs(), select) == 1;
        EXPECT_EQ(tower.Select() != nullptr, listed) << n;
        EXPECT_TRUE(accepted || listed) << "a film not accepted leaves the selection open";
        return failed;
    });
    EXPECT_GE(showFailures, 2);

    const int okFailures = ForEachFailingAllocation([&](int n) {
        FilmChangeTower tower;
        WbDialog* info = tower.AcceptFilm(tower.next);
        const int32_t funds = tower.doc.GetCurrentFunds();
        const bool failed = RunWithAllocationFailing(n, [info] { info->OnWbOK(); });
        const bool bound = tower.theater->GetSubPlugin() == tower.next;
        EXPECT_EQ(bound, tower.Schedule()->GetMovie() == tower.next) << n;
        EXPECT_EQ(tower.doc.GetCurrentFunds(), bound ? funds - tower.next->GetCost() : funds) << n;
        EXPECT_TRUE(!bound || tower.Schedule()->GetTitle() == kOtherTitle.c_str()) << n;
        return failed;
    });
    EXPECT_GE(okFailures, 1);
}
