#pragma once

#include "Blankwise/HostPort.h"

namespace Blankwise {

// The plug-in's one command: offers the conversion menu at the pointer and applies the chosen
// conversion to the selection, or to the whole document when nothing is selected.
void RunConversionCommand(HostPort& host);

}  // namespace Blankwise
