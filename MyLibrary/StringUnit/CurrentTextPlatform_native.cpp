#include "TextPlatform.h"

namespace MyLibrary {

const TextPlatform& CurrentTextPlatform() { return NativeTextPlatform(); }

}  // namespace MyLibrary
