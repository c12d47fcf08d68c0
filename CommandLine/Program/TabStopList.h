#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Blankwise/TabStops.h"

namespace BlankwiseCli {

// The largest tab stop or repeat --tabs takes: a tab can become that many spaces, and folded
// columns (below the last stop and twice the repeat) stay within the 32-bit columns.
inline constexpr std::int32_t kMaxTabStop = 100'000'000;

// The --tabs options as GNU expand and unexpand read them: each value a width N or a list of
// stops separated by commas or blanks, whose last entry may be /N (stops every N columns after
// the last stop) or +N (every N columns counted from it); several values add up to one list.
class TabStopList {
  public:
    // Adds the entries of one --tabs value; the message of a wrong one.
    std::optional<std::string> Add(std::string_view value);
    // The stops of all the values (fallback when none gave an entry), or the message of a list
    // that is no list: a zero, a stop not larger than the one before, both /N and +N.
    std::variant<Blankwise::TabStops, std::string> Finish(const Blankwise::TabStops& fallback) const;

  private:
    std::optional<std::string> AddEntry(char sign, std::int32_t value, bool& repeatInValue);

    std::vector<std::int32_t> stops_;
    char repeatSign_ = 0;  // '/' or '+' once a repeat is given
    std::int32_t repeat_ = 0;
};

}  // namespace BlankwiseCli
