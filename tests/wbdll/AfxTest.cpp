// The chain of resource modules and the application objects, as a program's own registrations see them.
#include "Afx.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>

namespace {

const std::filesystem::path kProgram = std::filesystem::canonical("/proc/self/exe");

// An application object in the program's own data, as a module carries one.
CWinApp gProgramApp;

TEST(Afx, ARegistrationPutsTheModuleAtTheHeadOfTheChainUntilItEnds)
{
    const std::array<uint8_t, 2> resources{4, 5};
    static const int kMarker = 0;
    auto older = std::make_unique<CDynLinkLibrary>(&kMarker, std::span<const uint8_t>{});
    const HINSTANCE olderModule = older->GetModule();
    {
        CDynLinkLibrary newer(&kMarker, resources);
        EXPECT_EQ(AfxGetModuleChain(), (std::vector{newer.GetModule(), olderModule}));
        EXPECT_EQ(newer.GetModule()->path, kProgram.string());
        EXPECT_EQ(newer.GetModule()->resources.data(), resources.data());
        EXPECT_EQ(newer.GetModule()->resources.size(), 2u);
    }
    EXPECT_EQ(AfxGetModuleChain(), std::vector{olderModule});
    older.reset();
    EXPECT_TRUE(AfxGetModuleChain().empty());
}

TEST(Afx, FindsAModuleByAnyNameOfItsFile)
{
    static const int kMarker = 0;
    CDynLinkLibrary registration(&kMarker, {});
    const std::filesystem::path roundabout =
        kProgram.parent_path() / "." / ".." / kProgram.parent_path().filename() / kProgram.filename();
    EXPECT_EQ(AfxFindModule(roundabout.string()), registration.GetModule());
    EXPECT_EQ(AfxFindModule(kProgram.string() + ".missing"), nullptr);
    EXPECT_EQ(AfxFindModule(""), nullptr);
    int onTheStack = 0;
    EXPECT_EQ(AfxGetModulePath(&onTheStack), "") << "an address outside every module has no file";
}

TEST(Afx, ApplicationObjectsAreKnownWhileTheyLive)
{
    EXPECT_EQ(gProgramApp.GetModulePath(), kProgram.string());
    EXPECT_EQ(AfxGetApp(), &gProgramApp);
    {
        auto later = std::make_unique<CWinApp>();
        EXPECT_EQ(later->GetModulePath(), "");
        EXPECT_EQ(AfxGetApp(), later.get());
        EXPECT_EQ(AfxGetAppObjects(), (std::vector<CWinApp*>{&gProgramApp, later.get()}));
    }
    EXPECT_EQ(AfxGetApp(), &gProgramApp);
    EXPECT_EQ(AfxGetAppObjects(), std::vector<CWinApp*>{&gProgramApp});
}

} // namespace
