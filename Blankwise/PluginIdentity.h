#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Blankwise/BlankwiseVersion.h"
#include "Blankwise/HostPort.h"

namespace Blankwise {

// The plug-in's name and version as it gives them to the host: multi-byte text.
inline constexpr std::string_view kPluginName = "Blankwise";
inline constexpr std::string_view kPluginVersion = "Version " BLANKWISE_VERSION_TEXT;

// Requests of PlugInProc.
enum PlugInRequest : std::uint32_t {
    RequestName = 2306,
    RequestVersion = 2308,
    RequestUninstallable = 2310,
    RequestUninstall = 2311,
};

// Event bits of OnEvents that the plug-in acts on.
inline constexpr std::uint32_t kEventStoreValue = 0x0400;
inline constexpr std::uint32_t kEventRefresh = 0x0040;

// The question asked before the host uninstalls the plug-in, in code page 932.
const std::string& UninstallQuestion();

// QueryStatus: asks the host whether command 4201 is enabled, passing the host's checked-flag
// address on. Returns -1 (all bits set) when the low byte of the reply is nonzero, else 0.
std::int32_t AnswerQueryStatus(HostPort& host, std::intptr_t checkedFlagAddress);

// PlugInProc: the answer to one host request. For the name and the version it returns the length
// in bytes and, when lParam holds a buffer address, copies at most wParam - 1 bytes and a zero
// there; a size of 0 or below (wParam read as signed) writes nothing.
std::intptr_t AnswerPlugInRequest(HostPort& host, std::uint32_t request, std::uintptr_t wParam,
                                  std::intptr_t lParam);

// OnEvents and the one value the plug-in keeps between calls: bit 0x0400 stores the event value,
// then bit 0x0040 sends HostRefresh with the stored value.
class TEventRelay {
  public:
    void OnEvents(HostPort& host, std::uint32_t events, std::intptr_t value);
    std::intptr_t StoredValue() const { return storedValue_; }

  private:
    std::intptr_t storedValue_ = 0;
};

}  // namespace Blankwise
