#include "CommandLine/Program/TabStopList.h"

namespace BlankwiseCli {
namespace {

std::string Quoted(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(1, '\'').append(text).append(1, '\'');
    return quoted;
}

// "'/' specifier ...": the sign quoted, then what is wrong with it.
std::string SpecifierMessage(char sign, std::string_view what) {
    std::string message{'\'', sign, '\''};
    return message.append(" specifier ").append(what);
}

bool IsSeparator(char c) {
    return c == ',' || c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

// One entry at a time: an optional sign, then digits, up to a separator or the end. An entry
// after a repeat of the same value is refused; a repeat of an earlier value is the list's repeat.
std::optional<std::string> TabStopList::Add(std::string_view value) {
    bool repeatInValue = false;
    std::size_t pos = 0;
    while (pos < value.size()) {
        if (IsSeparator(value[pos])) {
            ++pos;
            continue;
        }
        char sign = 0;
        for (; pos < value.size() && (value[pos] == '/' || value[pos] == '+'); ++pos) {
            sign = value[pos];  // the last of several counts, as in GNU expand
        }
        const std::size_t digitsStart = pos;
        std::int64_t number = 0;
        for (; pos < value.size() && IsDigit(value[pos]); ++pos) {
            number = number * 10 + (value[pos] - '0');
            if (number > kMaxTabStop) {
                number = std::int64_t{kMaxTabStop} + 1;  // stays too large, without overflow
            }
        }
        if (pos < value.size() && (value[pos] == '/' || value[pos] == '+')) {
            return SpecifierMessage(value[pos], "not at start of number: ").append(Quoted(value.substr(pos)));
        }
        if (pos < value.size() && !IsSeparator(value[pos])) {
            return "tab size contains invalid character(s): " + Quoted(value.substr(pos));
        }
        if (pos == digitsStart) {
            continue;  // a sign without a number, or nothing: no entry, as GNU expand reads it
        }
        if (number > kMaxTabStop) {
            return "tab stop is too large " + Quoted(value.substr(digitsStart, pos - digitsStart));
        }
        if (auto error = AddEntry(sign, static_cast<std::int32_t>(number), repeatInValue)) {
            return error;
        }
    }
    return std::nullopt;
}

std::optional<std::string> TabStopList::AddEntry(char sign, std::int32_t value, bool& repeatInValue) {
    if (repeatInValue) {
        return SpecifierMessage(repeatSign_, "only allowed with the last value");
    }
    if (sign == 0) {
        stops_.push_back(value);
        return std::nullopt;
    }
    if (repeatSign_ != 0) {
        return repeatSign_ == sign ? SpecifierMessage(sign, "only allowed with the last value")
                                   : SpecifierMessage('/', "is mutually exclusive with '+'");
    }
    repeatSign_ = sign;
    repeat_ = value;
    repeatInValue = true;
    return std::nullopt;
}

std::variant<Blankwise::TabStops, std::string> TabStopList::Finish(
    const Blankwise::TabStops& fallback) const {
    std::int32_t before = 0;
    for (const std::int32_t stop : stops_) {
        if (stop == 0) {
            return std::string("tab size cannot be 0");
        }
        if (stop <= before) {
            return std::string("tab sizes must be ascending");
        }
        before = stop;
    }
    if (repeatSign_ != 0 && repeat_ == 0) {
        return std::string("tab size cannot be 0");
    }
    if (stops_.empty() && repeatSign_ == 0) {
        return fallback;
    }
    using Beyond = Blankwise::TabStops::Beyond;
    const Beyond beyond = repeatSign_ == '/'   ? Beyond::Multiples
                          : repeatSign_ == '+' ? Beyond::FromLastStop
                                               : Beyond::NoStops;
    return Blankwise::TabStops::List(stops_, beyond, repeat_);
}

}  // namespace BlankwiseCli
