#include <windows.h>

#include <stdlib.h>

#include "launcher/launcher.h"

// The runtime never expands wildcards in the arguments, so "/?" stays a switch.
extern "C" {
int _dowildcard = 0;
}

// The switches are read from the arguments the C runtime has split before
// WinMain runs, by the rules every Windows program's arguments follow (see
// launcher/switches.h); the raw command line and the show state are not read.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return RunStartUp(instance, __argc, __argv);
}
