#pragma once

#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {

// Makes CurrentTextPlatform() the given platform for the guard's lifetime.
class ScopedTextPlatform {
  public:
    explicit ScopedTextPlatform(const TextPlatform& platform) : previous_(CurrentTextPlatform()) {
        UseTextPlatform(platform);
    }
    ~ScopedTextPlatform() { UseTextPlatform(previous_); }
    ScopedTextPlatform(const ScopedTextPlatform&) = delete;
    ScopedTextPlatform& operator=(const ScopedTextPlatform&) = delete;

  private:
    const TextPlatform& previous_;
};

}  // namespace MyLibrary
