#include "HostEmulator/HostProgram/MenuKeys.h"

namespace HostEmulator {
namespace {

using Blankwise::TMenuEntry;
using Blankwise::TMenuEntryKind;

// Appends the moves inside one menu level that reach the id, highlighting starting on the level's
// first item. False when the id is nowhere below this level.
bool AppendPath(std::span<const TMenuEntry> entries, int id, std::vector<MenuKey>& keys) {
    std::size_t downs = 0;
    for (const TMenuEntry& entry : entries) {
        if (entry.kind == TMenuEntryKind::Separator) {
            continue;
        }
        const std::size_t mark = keys.size();
        keys.insert(keys.end(), downs, MenuKey::Down);
        if (entry.kind == TMenuEntryKind::Item && entry.id == id) {
            keys.push_back(MenuKey::Return);
            return true;
        }
        if (entry.kind == TMenuEntryKind::Submenu) {
            keys.push_back(MenuKey::Right);
            if (AppendPath(entry.submenu, id, keys)) {
                return true;
            }
        }
        keys.resize(mark);
        ++downs;
    }
    return false;
}

}  // namespace

std::optional<std::vector<MenuKey>> KeysToChoose(std::span<const TMenuEntry> menu, int id) {
    std::vector<MenuKey> keys{MenuKey::Home};
    if (!AppendPath(menu, id, keys)) {
        return std::nullopt;
    }
    return keys;
}

}  // namespace HostEmulator
