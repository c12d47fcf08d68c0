#pragma once

#include <windows.h>

namespace Blankwise {

// Owns one handle and releases it with Close when it goes. A value-initialised T means "none".
template <class T, auto Close>
class Unique {
  public:
    Unique() = default;
    explicit Unique(T handle) : handle_(handle) {}
    Unique(Unique&& other) noexcept : handle_(other.Release()) {}
    Unique& operator=(Unique&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { Reset(); }

    T Get() const { return handle_; }
    explicit operator bool() const { return handle_ != T{}; }

    // Gives the handle up without closing it.
    T Release() {
        T handle = handle_;
        handle_ = T{};
        return handle;
    }

    void Reset(T handle = T{}) {
        if (handle_ != T{}) {
            Close(handle_);
        }
        handle_ = handle;
    }

  private:
    T handle_{};
};

using UniqueMenu = Unique<HMENU, ::DestroyMenu>;
using UniqueWindow = Unique<HWND, ::DestroyWindow>;
using UniqueHook = Unique<HHOOK, ::UnhookWindowsHookEx>;
using UniqueModule = Unique<HMODULE, ::FreeLibrary>;

}  // namespace Blankwise
