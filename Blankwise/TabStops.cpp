#include "Blankwise/TabStops.h"

#include <algorithm>
#include <utility>

namespace Blankwise {

TabStops::TabStops(std::vector<std::size_t> stops, Beyond beyond, std::size_t repeat)
    : stops_(std::move(stops)), beyond_(beyond), repeat_(repeat), last_(stops_.empty() ? 0 : stops_.back()) {}

TabStops TabStops::Every(std::int32_t width) {
    return TabStops({}, Beyond::Multiples, static_cast<std::size_t>(std::max(width, 1)));
}

TabStops TabStops::List(std::vector<std::int32_t> stops, Beyond beyond, std::int32_t repeat) {
    if (stops.empty()) {
        return Every(repeat);
    }
    if (stops.size() == 1 && beyond == Beyond::NoStops) {
        return Every(stops.front());
    }
    std::vector<std::size_t> columns(stops.begin(), stops.end());
    return TabStops(std::move(columns), beyond,
                    beyond == Beyond::NoStops ? 0 : static_cast<std::size_t>(std::max(repeat, 1)));
}

// Past the last explicit stop the stops repeat every repeat_ columns, but the first stretch after
// it may hold a shorter gap (the first multiple of repeat_ after the last stop): columns fold from
// one repeat past the last stop on, where every gap is repeat_ long.
std::size_t TabStops::Fold(std::size_t column) const {
    if (stops_.empty()) {
        return column % repeat_;
    }
    if (beyond_ == Beyond::NoStops) {
        return std::min(column, last_ + 1);
    }
    const std::size_t repeatsFrom = last_ + repeat_;
    return column < repeatsFrom ? column : repeatsFrom + (column - repeatsFrom) % repeat_;
}

std::size_t TabStops::SpacesFrom(std::size_t column) const {
    if (stops_.empty()) {
        return repeat_ - column % repeat_;
    }
    if (column < last_) {
        return *std::upper_bound(stops_.begin(), stops_.end(), column) - column;
    }
    switch (beyond_) {
        case Beyond::NoStops:
            return 1;
        case Beyond::Multiples:
            return repeat_ - column % repeat_;
        case Beyond::FromLastStop:
            return repeat_ - (column - last_) % repeat_;
    }
    return 1;
}

bool TabStops::IsStop(std::size_t column) const {
    if (stops_.empty()) {
        return column % repeat_ == 0;
    }
    if (column <= last_) {
        return std::binary_search(stops_.begin(), stops_.end(), column);
    }
    switch (beyond_) {
        case Beyond::NoStops:
            return false;
        case Beyond::Multiples:
            return column % repeat_ == 0;
        case Beyond::FromLastStop:
            return (column - last_) % repeat_ == 0;
    }
    return false;
}

std::size_t TabStops::GapBefore(std::size_t column) const {
    if (stops_.empty()) {
        return repeat_;
    }
    if (column <= last_) {
        const auto at = std::lower_bound(stops_.begin(), stops_.end(), column);
        return column - (at == stops_.begin() ? 0 : at[-1]);
    }
    return std::min(column - last_, repeat_);
}

}  // namespace Blankwise
