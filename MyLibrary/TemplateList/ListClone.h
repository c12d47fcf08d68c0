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
// the "Listエラー" assertion failure and leave the list unchanged.
class TListClone {
public:
    static constexpr std::int32_t kMaxListSize = 0x7FFFFFF;  // INT32_MAX / 16

    TListClone() = default;
    TListClone(const TListClone&) = delete;
    TListClone& operator=(const TListClone&) = delete;
    virtual ~TListClone();

    std::int32_t Add(void* item);
    void Delete(std::int32_t index);
    void* Get(std::int32_t index) const;
    void SetCapacity(std::int32_t newCapacity);
    void SetCount(std::int32_t newCount);

    std::int32_t Count() const { return count_; }
    std::int32_t Capacity() const { return capacity_; }
    void* const* Items() const { return items_; }

    virtual void Clear();

    // Reports a range failure; uses neither argument and always raises the list assertion.
    [[noreturn]] static void ListError(const std::string& message, std::int32_t value);

protected:
    virtual void Grow();
    virtual void Notify(void* item, TListNotification action);

private:
    [[noreturn]] static void RangeError(int stringId, std::int32_t value);

    void** items_ = nullptr;
    std::int32_t count_ = 0;
    std::int32_t capacity_ = 0;
};

}  // namespace MyLibrary
