// Where the internet services' offers lead: to installers downloaded and started (the Windows build),
// or to the system's packages (Linux). The platform's answer unless a test chooses. UI thread only.
#pragma once

#include "platform/codec_installer.h"

Platform::Software_source Software_source_in_use();
// For tests of the other platform's offers; stays for the rest of the process.
void Use_software_source(Platform::Software_source source);
