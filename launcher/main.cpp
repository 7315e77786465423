#include <windows.h>

#include "launcher/launcher.h"

// The command line is read only for its switches (see launcher/switches.h); the
// show state is not read.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  return RunStartUp(instance, commandLine);
}
