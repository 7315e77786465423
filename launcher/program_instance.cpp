#include <windows.h>

#include "launcher/launcher.h"

// Set by start-up before any dialog exists; test programs set it to their own
// module, which carries the same templates.
HINSTANCE ProgramInstance;
