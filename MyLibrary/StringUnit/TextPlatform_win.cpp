#include <windows.h>

#include <limits>
#include <stdexcept>

#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected on Windows");

const wchar_t* AsWide(std::u16string_view text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}

int CheckedLength(std::size_t length) {
    if (length > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("text too long for the Win32 API");
    }
    return static_cast<int>(length);
}

// The real API: WideCharToMultiByte in the code page GetACP reports when the library is loaded,
// CompareStringW in the user's default locale.
class Win32TextPlatform final : public TextPlatform {
  public:
    unsigned CodePage() const override { return codePage_; }

    std::string ToMultiByte(std::u16string_view text) const override {
        std::string bytes(MultiByteLength(text), '\0');
        if (!bytes.empty()) {
            ::WideCharToMultiByte(codePage_, 0, AsWide(text), CheckedLength(text.size()), bytes.data(),
                                  CheckedLength(bytes.size()), nullptr, nullptr);
        }
        return bytes;
    }

    std::size_t MultiByteLength(std::u16string_view text) const override {
        if (text.empty()) {
            return 0;
        }
        const int length = ::WideCharToMultiByte(codePage_, 0, AsWide(text), CheckedLength(text.size()),
                                                 nullptr, 0, nullptr, nullptr);
        return length > 0 ? static_cast<std::size_t>(length) : 0;
    }

    bool LocaleEqual(std::u16string_view a, std::u16string_view b, bool ignoreCase) const override {
        return ::CompareStringW(LOCALE_USER_DEFAULT, ignoreCase ? NORM_IGNORECASE : 0, AsWide(a),
                                CheckedLength(a.size()), AsWide(b), CheckedLength(b.size())) == CSTR_EQUAL;
    }

    bool ComparesByCodeUnit() const override { return false; }

  private:
    UINT codePage_ = ::GetACP();
};

// Made when the library is loaded, so the code page is the one GetACP reports then.
const Win32TextPlatform kWin32TextPlatform;

}  // namespace

const TextPlatform& SystemTextPlatform() {
    return kWin32TextPlatform;
}

}  // namespace MyLibrary
