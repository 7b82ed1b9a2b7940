// The chain of resource modules and the application objects, as a program's own registrations see them.
#include "Afx.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>

namespace {

const std::filesystem::path kProgram = std::filesystem::canonical("/proc/self/exe");

// An application object in the program's own data, as a module carries one.
CWinApp gProgramApp;

TEST(Afx, ARegistrationPutsTheModuleAtTheHeadOfTheChainUntilItEnds)
{
    const std::array<uint8_t, 3> first{1, 2, 3};
    const std::array<uint8_t, 2> second{4, 5};
    static const int kMarker = 0;
    auto older = std::make_unique<CDynLinkLibrary>(&kMarker, first);
    {
        CDynLinkLibrary newer(&kMarker, second);
        const std::vector<HINSTANCE> chain = AfxGetModuleChain();
        ASSERT_GE(chain.size(), 2u);
        EXPECT_EQ(chain[0], newer.GetModule());
        EXPECT_EQ(chain[1], older->GetModule());
        EXPECT_EQ(newer.GetModule()->path, kProgram.string());
        EXPECT_EQ(newer.GetModule()->resources.data(), second.data());
        EXPECT_EQ(newer.GetModule()->resources.size(), 2u);
    }
    ASSERT_FALSE(AfxGetModuleChain().empty());
    EXPECT_EQ(AfxGetModuleChain()[0], older->GetModule());
    HINSTANCE module = older->GetModule();
    older.reset();
    const std::vector<HINSTANCE> chain = AfxGetModuleChain();
    EXPECT_EQ(std::find(chain.begin(), chain.end(), module), chain.end());
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
        const std::vector<CWinApp*> apps = AfxGetAppObjects();
        ASSERT_EQ(apps.size(), 2u);
        EXPECT_EQ(apps[0], &gProgramApp);
        EXPECT_EQ(apps[1], later.get());
    }
    EXPECT_EQ(AfxGetApp(), &gProgramApp);
    EXPECT_EQ(AfxGetAppObjects().size(), 1u);
}

} // namespace
