// The installed shell.
#include "modes/VxShell.h"

namespace {
VxShell* g_shell = nullptr;
}

void VxShell::Install(VxShell* shell) { g_shell = shell; }
VxShell* VxShell::Current() { return g_shell; }
