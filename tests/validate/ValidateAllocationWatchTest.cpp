// The validator's operator new: counting, the n-th allocation failing, telling the module's allocations from
// the host's, and the memory limit that ends a child with its last words.
#include "WbAllocationWatch.h"
#include "WbHostCallRing.h"
#include "WbModuleLibrary.h"
#include "WbPluginEntry.h"
#include "WbTowerDoc.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <new>

namespace {

// The compiler may drop a new whose result is unused; these keep every allocation.
void* volatile gKept = nullptr;

void AllocateOne()
{
    gKept = new int(7);
    delete static_cast<int*>(gKept);
}

} // namespace

TEST(ValidateAllocationWatch, CountsAndFailsTheArmedAllocationOnly)
{
    WbAllocationWatch::Arm(0);
    AllocateOne();
    AllocateOne();
    EXPECT_FALSE(WbAllocationWatch::Disarm());
    EXPECT_EQ(WbAllocationWatch::Count(), 2);

    WbAllocationWatch::Arm(2);
    AllocateOne();
    EXPECT_THROW(AllocateOne(), std::bad_alloc);
    EXPECT_TRUE(WbAllocationWatch::Disarm());

    WbAllocationWatch::Arm(1);
    gKept = new (std::nothrow) int(1);
    EXPECT_TRUE(WbAllocationWatch::Disarm());
    EXPECT_EQ(gKept, nullptr);

    // Disarmed, nothing fails and nothing is counted.
    AllocateOne();
    EXPECT_EQ(WbAllocationWatch::Count(), 1);
}

TEST(ValidateAllocationWatch, TellsTheModulesAllocationsFromTheHosts)
{
    std::string reason;
    WbModuleLibrary module = WbModuleLibrary::Open(THEATER_BIN_DIR "/Theater.wbp", reason);
    ASSERT_TRUE(module.IsOpen()) << reason;
    const GetAttrFn getAttr = module.Symbol<GetAttrFn>(kGetAttrName);
    ASSERT_NE(getAttr, nullptr);
    WbAllocationWatch::CountOnlyModule(reinterpret_cast<const void*>(getAttr),
                                       reinterpret_cast<const void*>(&WbHostCallRing::Enter));

    // The module makes its record itself.
    WbAllocationWatch::Arm(0);
    std::unique_ptr<WbPluginSpecifier> attr(getAttr());
    WbAllocationWatch::Disarm();
    EXPECT_GE(WbAllocationWatch::Count(), 1);

    // A document is the host's own making, whoever asks for it.
    WbAllocationWatch::Arm(0);
    {
        const WbTowerDoc doc;
    }
    WbAllocationWatch::Disarm();
    EXPECT_EQ(WbAllocationWatch::Count(), 0);

    WbAllocationWatch::CountOnlyModule(nullptr, nullptr);
    WbAllocationWatch::Arm(0);
    {
        const WbTowerDoc doc;
    }
    WbAllocationWatch::Disarm();
    EXPECT_GT(WbAllocationWatch::Count(), 0);
}

TEST(ValidateAllocationWatch, AChildPastItsLimitEndsNamingTheLastCall)
{
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        WbAllocationWatch::LimitMemory(size_t(1) << 20, channel[1]);
        WbHostCallRing::Enter("GetAttr");
        gKept = new char[size_t(2) << 20];
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string said;
    char buffer[256];
    for (ssize_t count; (count = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, size_t(count));
    ::close(channel[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(said, "X MEMORY 1 GetAttr\n");
}
