#include "MyLibrary/TemplateList/ListClone.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "MyLibrary/StringUnit/Assertion.h"

namespace MyLibrary {
namespace {

constexpr const char* kListErrorText = "Listエラー";
constexpr const char* kListErrorSource = "MyLibrary/TemplateList/ListClone";
constexpr int kListErrorLine = 127;

}  // namespace

std::string LoadListMessage(int stringId) {
    switch (stringId) {
        case kListCapacityErrorId:
            return "リストの容量が超えました (%d)";
        case kListCountErrorId:
            return "リストの個数を超えました (%d)";
        case kListIndexErrorId:
            return "リストのインデックスが範囲を超えています (%d)";
        default:
            return {};
    }
}

TListClone::~TListClone() {
    // Resolves to TListClone::Clear: overrides of a derived class no longer exist here.
    Clear();
}

std::int32_t TListClone::Add(void* item) {
    const std::int32_t index = count_;
    if (count_ == capacity_) {
        Grow();
        // An overriding Grow that added no slot must not let the store below run past the array.
        if (count_ == capacity_) {
            RangeError(kListCapacityErrorId, capacity_);
        }
    }
    items_[index] = item;
    ++count_;
    if (item != nullptr) {
        Notify(item, TListNotification::ItemAdded);
    }
    return index;
}

void TListClone::Delete(std::int32_t index) {
    if (index < 0 || index >= count_) {
        RangeError(kListIndexErrorId, index);
    }
    void* const item = items_[index];
    --count_;
    if (index < count_) {
        std::memmove(items_ + index, items_ + index + 1,
                     static_cast<std::size_t>(count_ - index) * sizeof(void*));
    }
    if (item != nullptr) {
        Notify(item, TListNotification::ItemDeleted);
    }
}

void* TListClone::Get(std::int32_t index) const {
    if (index < 0 || index >= count_) {
        RangeError(kListIndexErrorId, index);
    }
    return items_[index];
}

void TListClone::SetCapacity(std::int32_t newCapacity) {
    if (newCapacity < count_ || newCapacity > kMaxListSize) {
        RangeError(kListCapacityErrorId, newCapacity);
    }
    if (newCapacity == capacity_) {
        return;
    }
    if (newCapacity == 0) {
        std::free(items_);
        items_ = nullptr;
        capacity_ = 0;
        return;
    }
    // realloc keeps the first min(old, new) slots and, when it fails, the old array: the fields
    // are only touched once the new array exists.
    void* const resized = std::realloc(items_, static_cast<std::size_t>(newCapacity) * sizeof(void*));
    if (resized == nullptr) {
        throw std::bad_alloc();
    }
    items_ = static_cast<void**>(resized);
    capacity_ = newCapacity;
}

void TListClone::SetCount(std::int32_t newCount) {
    if (newCount < 0 || newCount > kMaxListSize) {
        RangeError(kListCountErrorId, newCount);
    }
    if (newCount > capacity_) {
        SetCapacity(newCount);
    }
    if (newCount > count_) {
        std::fill(items_ + count_, items_ + newCount, nullptr);
    } else {
        for (std::int32_t index = count_ - 1; index >= newCount; --index) {
            Delete(index);
        }
    }
    count_ = newCount;
}

void TListClone::Clear() {
    SetCount(0);
    SetCapacity(0);
}

std::int32_t TListClone::GrowthIncrement(std::int32_t capacity) {
    if (capacity > 64) {
        return capacity / 4;
    }
    if (capacity > 8) {
        return 16;
    }
    return 4;
}

void TListClone::Grow() {
    // capacity_ <= kMaxListSize, so the sum stays far below the int32 limit.
    SetCapacity(capacity_ + GrowthIncrement(capacity_));
}

void TListClone::Notify(void* /*item*/, TListNotification /*action*/) {}

void TListClone::ListError(const std::string& /*message*/, std::int32_t /*value*/) {
    RaiseAssertion(kListErrorText, kListErrorSource, kListErrorLine);
}

void TListClone::RangeError(int stringId, std::int32_t value) {
    TListClone::ListError(LoadListMessage(stringId), value);
}

}  // namespace MyLibrary
