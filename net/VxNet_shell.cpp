// The installed shell of the internet services; a do-nothing one until the application installs its own.
#include "net/VxNet_shell.h"

namespace {
VxNet_shell g_idle_shell;
VxNet_shell* g_shell = &g_idle_shell;
}  // namespace

void VxNet_shell::Install(VxNet_shell* shell) { g_shell = shell ? shell : &g_idle_shell; }

VxNet_shell& VxNet_shell::Current() { return *g_shell; }
