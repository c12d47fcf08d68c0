#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {
namespace {

const TextPlatform* chosenPlatform = nullptr;

}  // namespace

const TextPlatform& CurrentTextPlatform() {
    return chosenPlatform != nullptr ? *chosenPlatform : SystemTextPlatform();
}

void UseTextPlatform(const TextPlatform& platform) {
    chosenPlatform = &platform;
}

}  // namespace MyLibrary
