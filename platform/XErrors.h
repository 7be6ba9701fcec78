// The X error handler of the programs' windows (internal to platform/).
#pragma once

namespace platform {

// Installs the handler before the video library starts; nothing without X.
void InstallXErrorHandler();

}  // namespace platform
