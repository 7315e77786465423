#include <windows.h>

#include "launcher/launcher.h"

// The command line and show state are not read: the two settings files are the
// utility's only configuration.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return RunStartUp(instance);
}
