#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <vector>

#include "MyLibrary/StringUnit/Assertion.h"
#include "MyLibrary/TemplateList/ListClone.h"

// The list's limit of 134,217,727 slots. The growth arithmetic near it is checked on its own in
// ListCloneTests; here the slot arrays at the limit are really requested, but never written, so
// they cost address space and no memory. Where the address space is not there (a 32-bit process
// with its heap fragmented), the test is skipped: the limit is accepted "memory permitting".
namespace MyLibrary {
namespace {

constexpr std::int32_t kMax = TListClone::kMaxListSize;

// Lets a test call Grow without filling every slot first, which would write the whole array.
class GrowableList : public TListClone {
  public:
    using TListClone::Grow;
};

void* Item(std::uintptr_t n) {
    return reinterpret_cast<void*>(n * 16 + 16);
}

TEST(TListCloneLimits, CapacityAtTheLimitIsAcceptedAndOneMoreIsNot) {
    TListClone list;
    try {
        list.SetCapacity(kMax);
    } catch (const std::bad_alloc&) {
        GTEST_SKIP() << "no room for " << kMax << " slots in this process";
    }
    EXPECT_EQ(list.Capacity(), kMax);
    list.Add(Item(1));
    void* const* const items = list.Items();
    EXPECT_THROW(list.SetCapacity(kMax + 1), TAssertionFailure);
    EXPECT_THROW(list.SetCount(kMax + 1), TAssertionFailure);
    EXPECT_EQ(list.Capacity(), kMax);
    EXPECT_EQ(list.Items(), items);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Get(0), Item(1));
}

// 107,374,183 slots plus a quarter would be 134,217,728: the growth fails as a whole, with the
// list as it was, rather than being cut back to the limit.
TEST(TListCloneLimits, GrowthPastTheLimitFailsAndLeavesTheListUnchanged) {
    GrowableList list;
    try {
        list.SetCapacity(107'374'183);
    } catch (const std::bad_alloc&) {
        GTEST_SKIP() << "no room for 107,374,183 slots in this process";
    }
    list.Add(Item(1));
    list.Add(nullptr);
    list.Add(Item(3));
    void* const* const items = list.Items();
    try {
        list.Grow();
        ADD_FAILURE() << "the growth past the limit was accepted";
    } catch (const TAssertionFailure& failure) {
        EXPECT_STREQ(failure.what(), "Listエラー (MyLibrary/TemplateList/ListClone, 127 行)");
    }
    EXPECT_EQ(list.Capacity(), 107'374'183);
    EXPECT_EQ(list.Items(), items);
    EXPECT_EQ(std::vector<void*>(items, items + list.Count()),
              (std::vector<void*>{Item(1), nullptr, Item(3)}));
}

}  // namespace
}  // namespace MyLibrary
