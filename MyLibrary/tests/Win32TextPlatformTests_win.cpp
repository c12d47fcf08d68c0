// The Win32 platform's multi-byte forms and unit lengths, which it reads from a table of each unit's
// form, against WideCharToMultiByte itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {
namespace {

std::string ApiForm(std::u16string_view text) {
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(text.size());
    std::string bytes(static_cast<std::size_t>(
                          ::WideCharToMultiByte(::GetACP(), 0, wide, units, nullptr, 0, nullptr, nullptr)),
                      '\0');
    ::WideCharToMultiByte(::GetACP(), 0, wide, units, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                          nullptr);
    return bytes;
}

bool IsSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// Every unit alone, then texts of units from every range the table tells apart (surrogates lone,
// paired and in runs, zero, unmapped letters, ASCII, kana, kanji, any unit at all) so that the
// pieces between surrogate runs join as the API joins them.
TEST(Win32TextPlatform, FormsAndLengthsAreTheApis) {
    const TextPlatform& system = SystemTextPlatform();
    const std::uint8_t* columns = system.UnitColumns();
    ASSERT_NE(columns, nullptr);
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const std::u16string one(1, static_cast<char16_t>(unit));
        const std::string form = ApiForm(one);
        ASSERT_EQ(system.ToMultiByte(one), form) << "U+" << std::hex << unit;
        ASSERT_EQ(system.MultiByteLength(one), form.size()) << "U+" << std::hex << unit;
        ASSERT_EQ(columns[unit], IsSurrogate(unit) ? TextPlatform::kColumnsFromNeighbours : form.size())
            << "U+" << std::hex << unit;
    }
    static constexpr char16_t kUnits[] = {u'a',      u' ',      u'\t',     u'\0',     u'\u3000',
                                          u'\u3042', u'\u6F22', u'\uFF71', u'\u0E01', u'\xD842',
                                          u'\xDFB7', u'\xD800', u'\xDC00'};
    std::mt19937 random(932);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kUnits));
    std::uniform_int_distribution<std::uint32_t> anyUnit(0, 0xFFFF);
    for (int round = 0; round < 3000; ++round) {
        std::u16string text(random() % 24, u'\0');
        for (char16_t& unit : text) {
            const std::size_t k = pick(random);
            unit = k < std::size(kUnits) ? kUnits[k] : static_cast<char16_t>(anyUnit(random));
        }
        ASSERT_EQ(system.ToMultiByte(text), ApiForm(text)) << "round " << round;
        ASSERT_EQ(system.MultiByteLength(text), ApiForm(text).size()) << "round " << round;
    }
}

}  // namespace
}  // namespace MyLibrary
