#pragma once

#include <optional>
#include <span>
#include <vector>

#include "Blankwise/ConversionPipelines.h"

namespace HostEmulator {

// The keys the host program types into a popup menu; the Win32 side maps them to virtual keys.
enum class MenuKey { Home, Down, Right, Return, Escape };

// The keys that choose the item carrying this id in a popup menu laid out as `menu`, whatever item
// is highlighted when it opens: Home highlights the first item, Down the next one (separators are
// skipped), Right opens a submenu with its first item highlighted, Return chooses. Id 0 is the
// cancel item. Nothing when no item carries the id.
std::optional<std::vector<MenuKey>> KeysToChoose(std::span<const Blankwise::TMenuEntry> menu, int id);

}  // namespace HostEmulator
