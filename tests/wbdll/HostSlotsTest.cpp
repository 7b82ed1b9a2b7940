// The module and the host library agree on every virtual slot, or the host calls the wrong operation.
#include "CPlugin.h"
#include "WbHallInfoDialog.h"
#include "WbMovieSelectDialog.h"
#include "WbTenantDef.h"
#include "WbTheaterDef.h"
#include "WbTheaterInfoDialog.h"
#include "WbTheaterPlugin.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#if !defined(__x86_64__) && !defined(__i386__)
#error "The slot decoding below follows the Itanium C++ ABI as used on x86"
#endif

namespace {

// The slot index of a virtual member function, or -1 for one that is not virtual. With the Itanium C++ ABI a
// pointer to a virtual member function holds 1 + the byte offset of its slot in the table. The destructor
// takes the first two slots (complete and deleting), so the table's n-th operation (counted from 1, the
// destructor being the first) sits at index n for every n from 2 on.
template <typename Method> std::ptrdiff_t Slot(Method method)
{
    static_assert(sizeof(Method) == 2 * sizeof(std::ptrdiff_t));
    std::ptrdiff_t words[2];
    std::memcpy(words, &method, sizeof words);
    return (words[0] & 1) == 0 ? -1 : (words[0] - 1) / std::ptrdiff_t(sizeof(void*));
}

// Each entry of the list must sit at its position + 2.
template <typename... Entries> void ExpectInOrder(Entries... entries)
{
    const std::vector<std::pair<const char*, std::ptrdiff_t>> slots{entries...};
    for (size_t i = 0; i < slots.size(); ++i)
        EXPECT_EQ(slots[i].second, std::ptrdiff_t(i + 2)) << slots[i].first << " (operation " << i + 2 << ")";
}

// The slots in the host library's table of the class, from its symbol's size less offset to top and type info.
std::ptrdiff_t HostTableSlots(const char* tableSymbol)
{
    void* table = dlsym(RTLD_DEFAULT, tableSymbol);
    Dl_info info{};
    void* entry = nullptr;
    if (!table || !dladdr1(table, &info, &entry, RTLD_DL_SYMENT) || !entry)
        return -1;
    return std::ptrdiff_t(static_cast<const ElfW(Sym)*>(entry)->st_size / sizeof(void*)) - 2;
}

// Whether Class declared (or last overrode) the member function the module's class inherits.
template <typename Class, typename Function, typename Declaring> constexpr bool From(Function Declaring::*)
{
    return std::is_same_v<Declaring, Class>;
}

// Each slot of the program plug-in is filled by the host class that the module was built against: a host
// class that overrode one more operation would change what the module's table holds.
#define FROM(Class, name) From<Class>(&WbTheaterPlugin::name)
static_assert(FROM(CProgramPlugin, GetPluginStyle) && FROM(CFilePlugin, GetName) &&
              FROM(CProgramPlugin, GetInfoString) && FROM(CPlugin, GetModuleHandleA) && FROM(CFilePlugin, Load) &&
              FROM(CFilePlugin, Unload) && FROM(CProgramPlugin, LoadAllTemplatePlugin) &&
              FROM(CProgramPlugin, DrawProc) && FROM(CProgramPlugin, IdleProc));
#undef FROM
// The definition keeps the resource plug-in's style, 'RPlg'.
static_assert(From<CDefRsrcPlugin>(&WbTheaterDef::GetPluginStyle));

// One entry per operation: its name and its slot in the class C in scope.
#define SLOT(name) std::pair(#name, Slot(&C::name))

TEST(HostSlots, TheaterPluginHasTheTenResultingSlotsOfTheTenantPlugin)
{
    using C = WbTheaterPlugin;
    ExpectInOrder(SLOT(GetPluginStyle), SLOT(GetName), SLOT(GetInfoString), SLOT(GetModuleHandleA), SLOT(Load),
                  SLOT(Unload), SLOT(LoadAllTemplatePlugin), SLOT(DrawProc), SLOT(IdleProc));
    // Ten operations, the destructor taking two slots.
    EXPECT_EQ(HostTableSlots("_ZTV14WbTenantPlugin"), 11);
}

TEST(HostSlots, TenantDefinitionHasItsFiftyOneOperationsInTheHostOrder)
{
    using C = WbTenantDef;
    const auto addAdvertise = static_cast<void (C::*)(WbAdvertisePlugin*)>(&C::Add);
    const auto addResource = static_cast<void (C::*)(CDefRsrcPlugin*)>(&C::Add);
    const auto option2 = static_cast<int (C::*)(WbTowerDoc*, int)>(&C::OptionProc);
    const auto option3 = static_cast<int (C::*)(WbTowerDoc*, WbEquip*, void*)>(&C::OptionProc);
    ExpectInOrder(SLOT(GetPluginStyle), SLOT(GetName), SLOT(GetInfoString), SLOT(GetModuleHandleA), SLOT(GetSortKey),
                  SLOT(InitObject), SLOT(LoadSound), SLOT(IsMover), SLOT(IsTenant), SLOT(IsOutObj), SLOT(CalcPayment),
                  SLOT(RequierToolIcon), SLOT(QueryCursor), SLOT(IdleProc), SLOT(DefIdleProc), SLOT(DrawProc),
                  SLOT(DoDestructProc), SLOT(DestructFinish), SLOT(CalcMentenanceCostProc), SLOT(LoadExtraData),
                  SLOT(SaveExtraData), std::pair("Add (advertise plug-in)", Slot(addAdvertise)),
                  std::pair("Add (resource plug-in)", Slot(addResource)), SLOT(DrawHitMask),
                  std::pair("OptionProc (two arguments)", Slot(option2)), SLOT(AreaCheck), SLOT(ClickProc),
                  SLOT(GetDestructPartProc), SLOT(GetPartFromPoint), SLOT(DoBuildProc), SLOT(FingerToolProc),
                  SLOT(PrepareTenantProc), std::pair("OptionProc (three arguments)", Slot(option3)), SLOT(DrawPeople),
                  SLOT(GetInfoDialogID), SLOT(ShowInfoDialog), SLOT(ConstructInfoDialog), SLOT(EmergencyProc),
                  SLOT(BurntDownProc), SLOT(DebugInfo), SLOT(DrawData), SLOT(DrawAttribute), SLOT(TenantIdleProc),
                  SLOT(EnterTenantProc), SLOT(NotifyTenantProc), SLOT(DoPeopleAnimation), SLOT(BuildStartProc),
                  SLOT(GetQTMovieName), SLOT(SearchRange), SLOT(GetRefConObject));
    // Fifty-one operations, the destructor taking two slots: nothing more, nothing less.
    EXPECT_EQ(HostTableSlots("_ZTV11WbTenantDef"), 52);
}

TEST(HostSlots, DialogsHaveTheirHandlersAndCommentOperationsInTheHostOrder)
{
    using C = WbHallInfoDialog;
    ExpectInOrder(SLOT(OnWbDialogCommand), SLOT(OnWbCreate), SLOT(OnWbDestroy), SLOT(OnWbOK), SLOT(OnWbCancel),
                  SLOT(GetCommentString), SLOT(AppendComment), SLOT(AddComment), SLOT(MakeComments),
                  SLOT(GetStatusString), SLOT(SetTenantPicture));
    EXPECT_EQ(Slot(&WbTheaterInfoDialog::MakeComments), 10);
    EXPECT_EQ(Slot(&WbMovieSelectDialog::OnWbCancel), 6);
}

#undef SLOT

} // namespace
