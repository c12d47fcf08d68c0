#pragma once

#include <cstdint>
#include <string>

namespace MyLibrary {

enum class TListNotification : std::uint8_t { ItemAdded = 0, ItemDeleted = 2 };

// String table ids of the list's range failure messages.
inline constexpr int kListCapacityErrorId = 65440;
inline constexpr int kListCountErrorId = 65441;
inline constexpr int kListIndexErrorId = 65442;

// The message of a list range failure, "%d" not yet filled in (UTF-8).
std::string LoadListMessage(int stringId);

// An ordered, growable array of untyped pointers indexed from 0. It never frees what its items
// point to; every non-null item that enters or leaves is reported to Notify. Range failures raise
// the "Listエラー" assertion failure and leave the list unchanged; when a larger slot array cannot
// be allocated, std::bad_alloc leaves it unchanged too.
//
// The destructor clears the list, but by then a derived class's Notify is gone: a derived class
// that must hear ItemDeleted for the items still held calls Clear() in its own destructor.
class TListClone {
  public:
    static constexpr std::int32_t kMaxListSize = 0x7FFFFFF;  // INT32_MAX / 16

    TListClone() = default;
    TListClone(const TListClone&) = delete;
    TListClone& operator=(const TListClone&) = delete;
    virtual ~TListClone();

    // Appends the item (null allowed) and returns its 0-based index; grows when every slot is used.
    std::int32_t Add(void* item);
    // Removes the item at the 0-based index and closes the gap; the capacity stays.
    void Delete(std::int32_t index);
    void* Get(std::int32_t index) const;
    // Resizes the slot array to exactly newCapacity slots (Count() <= newCapacity <= kMaxListSize).
    void SetCapacity(std::int32_t newCapacity);
    // Grows with null items (not notified) or deletes items from the end, last first.
    void SetCount(std::int32_t newCount);

    std::int32_t Count() const { return count_; }
    std::int32_t Capacity() const { return capacity_; }
    void* const* Items() const { return items_; }

    // Count to 0, then capacity to 0 (Items() null): items leave last first.
    virtual void Clear();

    // The number of slots Grow adds to a list of the given capacity: a quarter above 64 slots,
    // 16 above 8, else 4. Never cut back to kMaxListSize, so growth past it fails.
    static std::int32_t GrowthIncrement(std::int32_t capacity);

    // Reports a range failure; uses neither argument and always raises the list assertion.
    [[noreturn]] static void ListError(const std::string& message, std::int32_t value);

  protected:
    // Capacity + GrowthIncrement(capacity); called by Add when every slot is in use.
    virtual void Grow();
    virtual void Notify(void* item, TListNotification action);

  private:
    [[noreturn]] static void RangeError(int stringId, std::int32_t value);

    void** items_ = nullptr;
    std::int32_t count_ = 0;
    std::int32_t capacity_ = 0;
};

}  // namespace MyLibrary
