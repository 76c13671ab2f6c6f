#include "res/Resources.h"

// Every GUI test program gets the program's resources before its main runs, whichever fixture it
// uses: a window, template or dialog made without them would come up empty. This file is compiled
// into each test program itself, so no linker drops it the way it would drop an unreferenced object
// of a static library.
namespace {
const bool g_resourcesRegistered = (RegisterResources(), true);
} // namespace
