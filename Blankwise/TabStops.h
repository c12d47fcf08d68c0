#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Blankwise {

// Where tabs stop, in display columns counted from 0: every width columns (the plug-in's fixed 4,
// the command line's --tabs N), or a list as GNU expand and unexpand take one: explicit stops in
// ascending order, then either stops every repeat columns, at the multiples of repeat ("/N") or
// counted from the last explicit stop ("+N"), or no more stops, so that past the last one a tab
// is one column wide and no spaces compress into a tab.
class TabStops {
  public:
    enum class Beyond : std::uint8_t { NoStops, Multiples, FromLastStop };

    // Stops every width columns (1 or more).
    static TabStops Every(std::int32_t width);
    // Explicit stops (ascending, each 1 or more) and what lies beyond the last (repeat 1 or more
    // unless beyond is NoStops). As in GNU expand, a single stop with nothing beyond it is a stop
    // every that many columns, and a repeat without explicit stops one every repeat columns.
    static TabStops List(std::vector<std::int32_t> stops, Beyond beyond, std::int32_t repeat);

    // The width when the stops lie at every width columns, else 0.
    std::int32_t EveryWidth() const { return stops_.empty() ? static_cast<std::int32_t>(repeat_) : 0; }

    // column folded into the stretch the stops repeat in: every column after it is as far from its
    // next stop, and is a stop or not, as the same column after column itself. Below the repeated
    // stretch a column stays as it is. A folded column is below the last explicit stop plus twice
    // the repeat (at most the last stop plus one without a repeat).
    std::size_t Fold(std::size_t column) const;
    // Whether a stop lies after column: always but past the last stop of a list without a repeat.
    bool HasStopAfter(std::size_t column) const { return beyond_ != Beyond::NoStops || column < last_; }
    // The spaces a tab at column becomes: those up to the next stop, or one past the last stop.
    std::size_t SpacesFrom(std::size_t column) const;
    // Whether a stop lies at column (1 or more).
    bool IsStop(std::size_t column) const;
    // The columns from the stop before a stop at column (or from column 0) to it.
    std::size_t GapBefore(std::size_t column) const;

    bool operator==(const TabStops&) const = default;

  private:
    TabStops(std::vector<std::size_t> stops, Beyond beyond, std::size_t repeat);

    std::vector<std::size_t> stops_;  // the explicit stops; none for a stop every repeat_ columns
    Beyond beyond_;
    std::size_t repeat_;  // 0 with Beyond::NoStops
    std::size_t last_;    // the last explicit stop, 0 without one
};

}  // namespace Blankwise
