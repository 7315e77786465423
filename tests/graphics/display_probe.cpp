// Prints the display device catalogue this machine gives, for the end-to-end
// test to work out independently what the utility must write:
//   device <TAB> row <TAB> name <TAB> wMaxSimultaneousTextures <TAB> canRenderWindowed
//   mode <TAB> row <TAB> width <TAB> height <TAB> bits      (the modes of each device)
// Exit code 0 with at least one device, 1 with none.
#include <cstdio>

#include "graphics/display_catalogue.h"

int main() {
  bool any = EnumerateDisplayDevices();
  for (int i = 0; i < DisplayDeviceCatalogue.count; ++i) {
    const DisplayDeviceEntry& entry = DisplayDeviceCatalogue.entries[i];
    std::printf("device\t%d\t%s\t%u\t%u\n", i, entry.name,
                static_cast<unsigned>(entry.deviceDesc.wMaxSimultaneousTextures),
                static_cast<unsigned>(entry.canRenderWindowed));
    for (int m = 0; m < entry.modeCount; ++m)
      std::printf("mode\t%d\t%lu\t%lu\t%lu\n", m, static_cast<unsigned long>(entry.modes[m].dwWidth),
                  static_cast<unsigned long>(entry.modes[m].dwHeight),
                  static_cast<unsigned long>(entry.modes[m].ddpfPixelFormat.dwRGBBitCount));
  }
  ReleaseDisplayDevices();
  return any ? 0 : 1;
}
