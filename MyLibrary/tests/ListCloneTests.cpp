#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "MyLibrary/StringUnit/Assertion.h"
#include "MyLibrary/TemplateList/ListClone.h"

namespace MyLibrary {
namespace {

constexpr const char* kListFailure = "Listエラー (MyLibrary/TemplateList/ListClone, 127 行)";

struct Notification {
    void* item;
    TListNotification action;
    bool operator==(const Notification&) const = default;
};

// Records every notification and lets tests call the protected Grow.
class RecordingList : public TListClone {
  public:
    ~RecordingList() override { Clear(); }

    using TListClone::Grow;

    std::vector<Notification> log;

  protected:
    void Notify(void* item, TListNotification action) override { log.push_back({item, action}); }
};

// A distinct non-null pointer that is never dereferenced.
void* Item(std::uintptr_t n) {
    return reinterpret_cast<void*>(n * 16 + 16);
}

std::vector<void*> Contents(const TListClone& list) {
    return std::vector<void*>(list.Items(), list.Items() + list.Count());
}

void ExpectListFailure(const std::function<void()>& action) {
    try {
        action();
        ADD_FAILURE() << "no list failure raised";
    } catch (const TAssertionFailure& failure) {
        EXPECT_STREQ(failure.what(), kListFailure);
        EXPECT_EQ(failure.Message(), "Listエラー");
        EXPECT_EQ(failure.LineNumber(), 127);
    }
}

TEST(TListClone, CapacityFollowsGrowthRuleAsItemsAreAdded) {
    const std::vector<std::int32_t> expected = {4, 8, 12, 28, 44, 60, 76, 95, 118, 147, 183, 228, 285, 356};
    TListClone list;
    std::vector<std::int32_t> seen;
    for (std::int32_t i = 0; i < 300; ++i) {
        ASSERT_EQ(list.Add(Item(static_cast<std::uintptr_t>(i))), i);
        if (seen.empty() || seen.back() != list.Capacity()) {
            seen.push_back(list.Capacity());
        }
        if (i + 1 == 100) {
            EXPECT_EQ(list.Capacity(), 118);
        }
    }
    EXPECT_EQ(seen, expected);
}

TEST(TListClone, GrowthIncrementAtTheLimitBoundaries) {
    struct Row {
        std::int32_t capacity;
        std::int32_t increment;
    };
    const Row rows[] = {{0, 4},
                        {8, 4},
                        {9, 16},
                        {64, 16},
                        {65, 16},
                        {68, 17},
                        {95, 23},
                        {107'374'182, 26'843'545},
                        {107'374'183, 26'843'545},
                        {118'633'501, 29'658'375}};
    for (const Row& row : rows) {
        EXPECT_EQ(TListClone::GrowthIncrement(row.capacity), row.increment) << row.capacity;
    }
    EXPECT_EQ(107'374'182 + TListClone::GrowthIncrement(107'374'182), TListClone::kMaxListSize);
    EXPECT_GT(107'374'183 + TListClone::GrowthIncrement(107'374'183), TListClone::kMaxListSize);

    // The capacities that Add alone reaches from an empty list.
    std::int32_t capacity = 0;
    while (capacity + TListClone::GrowthIncrement(capacity) <= TListClone::kMaxListSize) {
        capacity += TListClone::GrowthIncrement(capacity);
    }
    EXPECT_EQ(capacity, 118'633'501);
}

TEST(TListClone, GrowthNearTheLimit) {
    // Slots are only reserved, never written, so this costs address space rather than memory.
    try {
        RecordingList list;
        list.SetCapacity(107'374'183);
        ExpectListFailure([&] { list.Grow(); });
        EXPECT_EQ(list.Capacity(), 107'374'183);

        list.SetCapacity(107'374'182);
        list.Grow();
        EXPECT_EQ(list.Capacity(), TListClone::kMaxListSize);
        ExpectListFailure([&] { list.Grow(); });
        EXPECT_EQ(list.Capacity(), TListClone::kMaxListSize);
    } catch (const std::bad_alloc&) {
        GTEST_SKIP() << "not enough address space for the slot arrays";
    }
}

TEST(TListClone, RangeFailuresLeaveTheListUnchanged) {
    struct Row {
        const char* name;
        std::function<void(RecordingList&)> action;
    };
    const std::int32_t max = TListClone::kMaxListSize;
    const Row rows[] = {
        {"SetCapacity below count", [](RecordingList& l) { l.SetCapacity(l.Count() - 1); }},
        {"SetCapacity above limit", [max](RecordingList& l) { l.SetCapacity(max + 1); }},
        {"SetCapacity negative", [](RecordingList& l) { l.SetCapacity(-1); }},
        {"SetCount negative", [](RecordingList& l) { l.SetCount(-1); }},
        {"SetCount above limit", [max](RecordingList& l) { l.SetCount(max + 1); }},
        {"Get -1", [](RecordingList& l) { l.Get(-1); }},
        {"Get count", [](RecordingList& l) { l.Get(l.Count()); }},
        {"Delete -1", [](RecordingList& l) { l.Delete(-1); }},
        {"Delete count", [](RecordingList& l) { l.Delete(l.Count()); }},
        {"ListError", [](RecordingList&) { TListClone::ListError("any message", 42); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingList list;
        for (std::uintptr_t i = 0; i < 5; ++i) {
            list.Add(i == 2 ? nullptr : Item(i));
        }
        const std::vector<void*> before = Contents(list);
        void* const* const itemsBefore = list.Items();
        const std::vector<Notification> logBefore = list.log;

        ExpectListFailure([&] { row.action(list); });

        EXPECT_EQ(Contents(list), before);
        EXPECT_EQ(list.Count(), 5);
        EXPECT_EQ(list.Capacity(), 8);
        EXPECT_EQ(list.Items(), itemsBefore);
        EXPECT_EQ(list.log, logBefore);
    }
}

TEST(TListClone, CapacityLimitIsAcceptedMemoryPermitting) {
    TListClone list;
    try {
        list.SetCapacity(TListClone::kMaxListSize);
    } catch (const std::bad_alloc&) {
        EXPECT_EQ(list.Capacity(), 0);
        EXPECT_EQ(list.Items(), nullptr);
        GTEST_SKIP() << "not enough address space for the slot array";
    }
    EXPECT_EQ(list.Capacity(), TListClone::kMaxListSize);
    list.SetCapacity(0);
    EXPECT_EQ(list.Items(), nullptr);
}

TEST(TListClone, NullItemsAreStoredButNeverNotified) {
    RecordingList list;
    EXPECT_EQ(list.Add(nullptr), 0);
    EXPECT_EQ(list.Add(Item(1)), 1);
    EXPECT_EQ(list.Add(nullptr), 2);
    EXPECT_EQ(list.Get(0), nullptr);
    list.Delete(0);
    list.Delete(1);
    EXPECT_EQ(Contents(list), std::vector<void*>{Item(1)});
    EXPECT_EQ(list.log, (std::vector<Notification>{{Item(1), TListNotification::ItemAdded}}));
}

TEST(TListClone, SetCountGrowsWithNullsAndShrinksFromTheEnd) {
    RecordingList list;
    for (std::uintptr_t i = 0; i < 6; ++i) {
        list.Add(i == 4 ? nullptr : Item(i));
    }
    list.log.clear();

    list.SetCount(3);
    EXPECT_EQ(Contents(list), (std::vector<void*>{Item(0), Item(1), Item(2)}));
    EXPECT_EQ(list.log, (std::vector<Notification>{{Item(5), TListNotification::ItemDeleted},
                                                   {Item(3), TListNotification::ItemDeleted}}));
    EXPECT_EQ(list.Capacity(), 8);
    list.log.clear();

    // The freed slots still hold old pointers; growing must overwrite them with null.
    list.SetCount(6);
    EXPECT_EQ(Contents(list), (std::vector<void*>{Item(0), Item(1), Item(2), nullptr, nullptr, nullptr}));
    list.SetCount(6);
    EXPECT_EQ(list.Count(), 6);

    // Beyond the capacity the slot array grows to exactly the count, not by the growth rule.
    list.SetCount(11);
    EXPECT_EQ(list.Capacity(), 11);
    EXPECT_EQ(list.Get(10), nullptr);
    EXPECT_TRUE(list.log.empty());
}

TEST(TListClone, SetCapacityToTheCurrentCapacityKeepsTheArray) {
    TListClone list;
    list.Add(Item(1));
    void* const* const items = list.Items();
    list.SetCapacity(4);
    EXPECT_EQ(list.Items(), items);
    list.SetCapacity(1);
    EXPECT_EQ(list.Capacity(), 1);
    EXPECT_EQ(Contents(list), std::vector<void*>{Item(1)});
}

TEST(TListClone, ClearDeletesLastFirstAndReleasesTheSlots) {
    RecordingList list;
    list.Clear();
    EXPECT_TRUE(list.log.empty());
    EXPECT_EQ(list.Items(), nullptr);

    list.Add(Item(1));
    list.Add(nullptr);
    list.Add(Item(2));
    list.log.clear();
    list.Clear();
    EXPECT_EQ(list.log, (std::vector<Notification>{{Item(2), TListNotification::ItemDeleted},
                                                   {Item(1), TListNotification::ItemDeleted}}));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(list.Items(), nullptr);
}

// A Grow override that adds no slot: Add must not store past the array.
class StuckList : public TListClone {
  protected:
    void Grow() override {}
};

TEST(TListClone, AddFailsWhenAnOverridingGrowAddsNoSlot) {
    StuckList list;
    ExpectListFailure([&] { list.Add(Item(1)); });
    EXPECT_EQ(list.Count(), 0);
    list.SetCapacity(1);
    list.Add(Item(1));
    ExpectListFailure([&] { list.Add(Item(2)); });
    EXPECT_EQ(Contents(list), std::vector<void*>{Item(1)});
}

// Random operations against std::vector, with the notifications and capacities the list must
// produce, across many capacity growths and shrinks.
TEST(TListClone, AgreesWithVectorOnRandomOperations) {
    std::mt19937 random(20240601);
    RecordingList list;
    std::vector<void*> model;
    std::int32_t modelCapacity = 0;
    std::vector<Notification> expectedLog;
    std::uintptr_t nextItem = 1;

    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const auto size = [&] { return static_cast<std::int32_t>(model.size()); };

    for (int step = 0; step < 40000; ++step) {
        const int operation = pick(0, 99);
        if (operation < 55) {
            void* item = pick(0, 4) == 0 ? nullptr : Item(nextItem++);
            if (size() == modelCapacity) {
                modelCapacity += TListClone::GrowthIncrement(modelCapacity);
            }
            ASSERT_EQ(list.Add(item), size());
            model.push_back(item);
            if (item != nullptr) {
                expectedLog.push_back({item, TListNotification::ItemAdded});
            }
        } else if (operation < 85) {
            const std::int32_t index = pick(-1, size());
            if (index < 0 || index >= size()) {
                ExpectListFailure([&] { list.Delete(index); });
            } else {
                void* item = model[static_cast<std::size_t>(index)];
                list.Delete(index);
                model.erase(model.begin() + index);
                if (item != nullptr) {
                    expectedLog.push_back({item, TListNotification::ItemDeleted});
                }
            }
        } else if (operation < 92) {
            const std::int32_t index = pick(-1, size());
            if (index < 0 || index >= size()) {
                ExpectListFailure([&] { list.Get(index); });
            } else {
                ASSERT_EQ(list.Get(index), model[static_cast<std::size_t>(index)]);
            }
        } else if (operation < 96) {
            const std::int32_t count = pick(0, size() + 40);
            for (std::int32_t index = size() - 1; index >= count; --index) {
                if (model[static_cast<std::size_t>(index)] != nullptr) {
                    expectedLog.push_back(
                        {model[static_cast<std::size_t>(index)], TListNotification::ItemDeleted});
                }
            }
            model.resize(static_cast<std::size_t>(count), nullptr);
            modelCapacity = std::max(modelCapacity, count);
            list.SetCount(count);
        } else if (operation < 99) {
            const std::int32_t capacity = pick(size() - 2, size() + 100);
            if (capacity < size()) {
                ExpectListFailure([&] { list.SetCapacity(capacity); });
            } else {
                list.SetCapacity(capacity);
                modelCapacity = capacity;
            }
        } else if (pick(0, 9) == 0) {
            for (auto item = model.rbegin(); item != model.rend(); ++item) {
                if (*item != nullptr) {
                    expectedLog.push_back({*item, TListNotification::ItemDeleted});
                }
            }
            model.clear();
            modelCapacity = 0;
            list.Clear();
        }
        ASSERT_EQ(list.Count(), size()) << "step " << step;
        ASSERT_EQ(list.Capacity(), modelCapacity) << "step " << step;
        ASSERT_EQ(list.log, expectedLog) << "step " << step;
        list.log.clear();
        expectedLog.clear();
        if (step % 16 == 0) {
            ASSERT_EQ(Contents(list), model) << "step " << step;
        }
    }
    EXPECT_EQ(Contents(list), model);
}

}  // namespace
}  // namespace MyLibrary
