#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "MyLibrary/StringUnit/Assertion.h"
#include "MyLibrary/TemplateList/ListClone.h"

namespace MyLibrary {
namespace {

struct Notification {
    void* item;
    TListNotification action;
    bool operator==(const Notification&) const = default;
};

// Records every notification.
class RecordingList : public TListClone {
  public:
    ~RecordingList() override { Clear(); }
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
        EXPECT_STREQ(failure.what(), "Listエラー (MyLibrary/TemplateList/ListClone, 127 行)");
    }
}

TEST(TListClone, GrowthRule) {
    TListClone list;
    std::vector<std::int32_t> capacities;
    for (std::int32_t i = 0; i < 300; ++i) {
        ASSERT_EQ(list.Add(Item(static_cast<std::uintptr_t>(i))), i);
        if (capacities.empty() || capacities.back() != list.Capacity()) {
            capacities.push_back(list.Capacity());
        }
    }
    EXPECT_EQ(capacities,
              (std::vector<std::int32_t>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147, 183, 228, 285, 356}));

    const std::int32_t max = TListClone::kMaxListSize;
    EXPECT_EQ(TListClone::GrowthIncrement(65), 16);
    EXPECT_EQ(107'374'182 + TListClone::GrowthIncrement(107'374'182), max);
    EXPECT_EQ(107'374'183 + TListClone::GrowthIncrement(107'374'183), max + 1);
    std::int32_t capacity = 0;  // as far as Add alone can grow a list
    while (capacity + TListClone::GrowthIncrement(capacity) <= max) {
        capacity += TListClone::GrowthIncrement(capacity);
    }
    EXPECT_EQ(capacity, 118'633'501);
}

TEST(TListClone, RangeFailuresLeaveTheListUnchanged) {
    const std::int32_t max = TListClone::kMaxListSize;
    const std::function<void(TListClone&)> actions[] = {
        [](TListClone& l) { l.SetCapacity(l.Count() - 1); },
        [&](TListClone& l) { l.SetCapacity(max + 1); },
        [](TListClone& l) { l.SetCount(-1); },
        [&](TListClone& l) { l.SetCount(max + 1); },
        [](TListClone& l) { l.Get(-1); },
        [](TListClone& l) { l.Get(l.Count()); },
        [](TListClone& l) { l.Delete(-1); },
        [](TListClone& l) { l.Delete(l.Count()); },
    };
    for (const auto& action : actions) {
        RecordingList list;
        for (std::uintptr_t i = 0; i < 5; ++i) {
            list.Add(i == 2 ? nullptr : Item(i));
        }
        const std::vector<void*> before = Contents(list);
        void* const* const items = list.Items();
        list.log.clear();
        ExpectListFailure([&] { action(list); });
        EXPECT_EQ(Contents(list), before);
        EXPECT_EQ(list.Capacity(), 8);
        EXPECT_EQ(list.Items(), items);
        EXPECT_TRUE(list.log.empty());
    }
}

// A Grow override that adds no slot.
class StuckList : public TListClone {
  protected:
    void Grow() override {}
};

TEST(TListClone, AddDoesNotWritePastTheArrayWhenGrowAddsNoSlot) {
    StuckList list;
    list.SetCapacity(1);
    list.Add(Item(1));
    ExpectListFailure([&] { list.Add(Item(2)); });
    EXPECT_EQ(Contents(list), std::vector<void*>{Item(1)});
}

// Random operations against std::vector, with the capacities and notifications the list must
// produce: nulls are stored but never notified, SetCount fills with nulls and deletes last first.
TEST(TListClone, AgreesWithVectorOnRandomOperations) {
    std::mt19937 random(20240601);
    auto pick = [&](std::int32_t low, std::int32_t high) {
        return std::uniform_int_distribution<std::int32_t>(low, high)(random);
    };
    RecordingList list;
    std::vector<void*> model;
    std::int32_t capacity = 0;
    std::vector<Notification> expected;
    const auto size = [&] { return static_cast<std::int32_t>(model.size()); };
    const auto deleted = [&](void* item) {
        if (item != nullptr) {
            expected.push_back({item, TListNotification::ItemDeleted});
        }
    };
    for (std::uintptr_t step = 0; step < 40000; ++step) {
        const std::int32_t operation = pick(0, 999);
        const std::int32_t index = pick(-1, size());
        const bool inRange = index >= 0 && index < size();
        if (operation < 550) {
            void* item = pick(0, 4) == 0 ? nullptr : Item(step);
            if (size() == capacity) {
                capacity += TListClone::GrowthIncrement(capacity);
            }
            ASSERT_EQ(list.Add(item), size());
            model.push_back(item);
            if (item != nullptr) {
                expected.push_back({item, TListNotification::ItemAdded});
            }
        } else if (operation < 850 && !inRange) {
            ExpectListFailure([&] { list.Delete(index); });
        } else if (operation < 850) {
            deleted(model[static_cast<std::size_t>(index)]);
            model.erase(model.begin() + index);
            list.Delete(index);
        } else if (operation < 920) {
            if (inRange) {
                ASSERT_EQ(list.Get(index), model[static_cast<std::size_t>(index)]);
            }
        } else if (operation < 960) {
            const std::int32_t count = pick(0, size() + 40);
            for (std::int32_t i = size() - 1; i >= count; --i) {
                deleted(model[static_cast<std::size_t>(i)]);
            }
            model.resize(static_cast<std::size_t>(count), nullptr);
            capacity = std::max(capacity, count);
            list.SetCount(count);
        } else if (operation < 998) {
            const std::int32_t newCapacity = pick(size(), size() + 100);
            list.SetCapacity(newCapacity);
            capacity = newCapacity;
        } else {
            for (auto item = model.rbegin(); item != model.rend(); ++item) {
                deleted(*item);
            }
            model.clear();
            capacity = 0;
            list.Clear();
            ASSERT_EQ(list.Items(), nullptr);
        }
        ASSERT_EQ(list.Capacity(), capacity) << "step " << step;
        ASSERT_EQ(list.log, expected) << "step " << step;
        list.log.clear();
        expected.clear();
        if (step % 16 == 0) {
            ASSERT_EQ(Contents(list), model) << "step " << step;
        }
    }
}

}  // namespace
}  // namespace MyLibrary
