// The order of the virtual slots of the host's bases as the module's classes see them: the module and the host
// library agree on every slot, or the host calls the wrong operation.
#include "CPlugin.h"
#include "WbTenantDef.h"
#include "WbTheaterDef.h"
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
    if ((words[0] & 1) == 0)
        return -1;
    return (words[0] - 1) / std::ptrdiff_t(sizeof(void*));
}

using SlotList = std::vector<std::pair<const char*, std::ptrdiff_t>>;

// Each entry of the list must sit at its position + 2.
void ExpectInOrder(const SlotList& slots)
{
    for (size_t i = 0; i < slots.size(); ++i)
        EXPECT_EQ(slots[i].second, std::ptrdiff_t(i + 2)) << slots[i].first << " (operation " << i + 2 << ")";
}

// The number of slots in the host library's table of the class, from the size of its exported table symbol:
// the offset to the top and the type information come before the slots.
std::ptrdiff_t HostTableSlots(const char* tableSymbol)
{
    void* table = dlsym(RTLD_DEFAULT, tableSymbol);
    Dl_info info{};
    void* entry = nullptr;
    if (!table || !dladdr1(table, &info, &entry, RTLD_DL_SYMENT) || !entry)
        return -1;
    const auto* symbol = static_cast<const ElfW(Sym)*>(entry);
    return std::ptrdiff_t(symbol->st_size / sizeof(void*)) - 2;
}

// The class whose declaration or override of a member function the module's class inherits.
template <typename Method> struct DeclaringClass;
template <typename Function, typename Class> struct DeclaringClass<Function Class::*> {
    using Type = Class;
};
template <typename Class, typename Method> constexpr bool From(Method)
{
    return std::is_same_v<typename DeclaringClass<Method>::Type, Class>;
}

// Each slot of the program plug-in is filled by the host class that the module was built against: a host
// class that overrode one more operation would change what the module's table holds.
static_assert(From<CProgramPlugin>(&WbTheaterPlugin::GetPluginStyle) && From<CFilePlugin>(&WbTheaterPlugin::GetName) &&
              From<CProgramPlugin>(&WbTheaterPlugin::GetInfoString) &&
              From<CPlugin>(&WbTheaterPlugin::GetModuleHandleA) && From<CFilePlugin>(&WbTheaterPlugin::Load) &&
              From<CFilePlugin>(&WbTheaterPlugin::Unload) &&
              From<CProgramPlugin>(&WbTheaterPlugin::LoadAllTemplatePlugin) &&
              From<CProgramPlugin>(&WbTheaterPlugin::DrawProc) && From<CProgramPlugin>(&WbTheaterPlugin::IdleProc));
// The definition keeps the resource plug-in's style, 'RPlg'.
static_assert(From<CDefRsrcPlugin>(&WbTheaterDef::GetPluginStyle));

TEST(HostSlots, TheaterPluginHasTheTenResultingSlotsOfTheTenantPlugin)
{
    ExpectInOrder({
        {"GetPluginStyle", Slot(&WbTheaterPlugin::GetPluginStyle)},
        {"GetName", Slot(&WbTheaterPlugin::GetName)},
        {"GetInfoString", Slot(&WbTheaterPlugin::GetInfoString)},
        {"GetModuleHandleA", Slot(&WbTheaterPlugin::GetModuleHandleA)},
        {"Load", Slot(&WbTheaterPlugin::Load)},
        {"Unload", Slot(&WbTheaterPlugin::Unload)},
        {"LoadAllTemplatePlugin", Slot(&WbTheaterPlugin::LoadAllTemplatePlugin)},
        {"DrawProc", Slot(&WbTheaterPlugin::DrawProc)},
        {"IdleProc", Slot(&WbTheaterPlugin::IdleProc)},
    });
    // Ten operations, the destructor taking two slots.
    EXPECT_EQ(HostTableSlots("_ZTV14WbTenantPlugin"), 11);
}

TEST(HostSlots, TenantDefinitionHasItsFiftyOneOperationsInTheHostOrder)
{
    using Def = WbTenantDef;
    ExpectInOrder({
        {"GetPluginStyle", Slot(&Def::GetPluginStyle)},
        {"GetName", Slot(&Def::GetName)},
        {"GetInfoString", Slot(&Def::GetInfoString)},
        {"GetModuleHandleA", Slot(&Def::GetModuleHandleA)},
        {"GetSortKey", Slot(&Def::GetSortKey)},
        {"InitObject", Slot(&Def::InitObject)},
        {"LoadSound", Slot(&Def::LoadSound)},
        {"IsMover", Slot(&Def::IsMover)},
        {"IsTenant", Slot(&Def::IsTenant)},
        {"IsOutObj", Slot(&Def::IsOutObj)},
        {"CalcPayment", Slot(&Def::CalcPayment)},
        {"RequierToolIcon", Slot(&Def::RequierToolIcon)},
        {"QueryCursor", Slot(&Def::QueryCursor)},
        {"IdleProc", Slot(&Def::IdleProc)},
        {"DefIdleProc", Slot(&Def::DefIdleProc)},
        {"DrawProc", Slot(&Def::DrawProc)},
        {"DoDestructProc", Slot(&Def::DoDestructProc)},
        {"DestructFinish", Slot(&Def::DestructFinish)},
        {"CalcMentenanceCostProc", Slot(&Def::CalcMentenanceCostProc)},
        {"LoadExtraData", Slot(&Def::LoadExtraData)},
        {"SaveExtraData", Slot(&Def::SaveExtraData)},
        {"Add (advertise plug-in)", Slot(static_cast<void (Def::*)(WbAdvertisePlugin*)>(&Def::Add))},
        {"Add (resource plug-in)", Slot(static_cast<void (Def::*)(CDefRsrcPlugin*)>(&Def::Add))},
        {"DrawHitMask", Slot(&Def::DrawHitMask)},
        {"OptionProc (two arguments)", Slot(static_cast<int (Def::*)(WbTowerDoc*, int)>(&Def::OptionProc))},
        {"AreaCheck", Slot(&Def::AreaCheck)},
        {"ClickProc", Slot(&Def::ClickProc)},
        {"GetDestructPartProc", Slot(&Def::GetDestructPartProc)},
        {"GetPartFromPoint", Slot(&Def::GetPartFromPoint)},
        {"DoBuildProc", Slot(&Def::DoBuildProc)},
        {"FingerToolProc", Slot(&Def::FingerToolProc)},
        {"PrepareTenantProc", Slot(&Def::PrepareTenantProc)},
        {"OptionProc (three arguments)",
         Slot(static_cast<int (Def::*)(WbTowerDoc*, WbEquip*, void*)>(&Def::OptionProc))},
        {"DrawPeople", Slot(&Def::DrawPeople)},
        {"GetInfoDialogID", Slot(&Def::GetInfoDialogID)},
        {"ShowInfoDialog", Slot(&Def::ShowInfoDialog)},
        {"ConstructInfoDialog", Slot(&Def::ConstructInfoDialog)},
        {"EmergencyProc", Slot(&Def::EmergencyProc)},
        {"BurntDownProc", Slot(&Def::BurntDownProc)},
        {"DebugInfo", Slot(&Def::DebugInfo)},
        {"DrawData", Slot(&Def::DrawData)},
        {"DrawAttribute", Slot(&Def::DrawAttribute)},
        {"TenantIdleProc", Slot(&Def::TenantIdleProc)},
        {"EnterTenantProc", Slot(&Def::EnterTenantProc)},
        {"NotifyTenantProc", Slot(&Def::NotifyTenantProc)},
        {"DoPeopleAnimation", Slot(&Def::DoPeopleAnimation)},
        {"BuildStartProc", Slot(&Def::BuildStartProc)},
        {"GetQTMovieName", Slot(&Def::GetQTMovieName)},
        {"SearchRange", Slot(&Def::SearchRange)},
        {"GetRefConObject", Slot(&Def::GetRefConObject)},
    });
    // Fifty-one operations, the destructor taking two slots: nothing more, nothing less.
    EXPECT_EQ(HostTableSlots("_ZTV11WbTenantDef"), 52);
}

} // namespace
