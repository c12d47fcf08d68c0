#include "ConversionCommand.h"

namespace Blankwise {

void RunConversionCommand(HostPort&) {}

}  // namespace Blankwise
