#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {

const TextPlatform& SystemTextPlatform() {
    return NativeTextPlatform();
}

}  // namespace MyLibrary
