// The display device catalogue against scripted DirectDraw machines: which 3D
// devices are listed, with which modes in which order, under which names, and
// that every COM object and mode array is given back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/display_catalogue.h"
#include "tests/fakes/fake_ddraw.h"

namespace {

constexpr DWORD kStereo = DDSCAPS2_STEREOSURFACELEFT;

// The usual modes of a desktop card, delivered in the driver's own order.
std::vector<FakeMode> DesktopModes() {
  return {{1280, 1024, 16, 0}, {640, 480, 32, 0}, {800, 600, 16, 0}, {1024, 768, 16, 0},
          {640, 480, 16, 0},   {1280, 960, 32, 0}, {640, 480, 8, 0}, {800, 600, 24, 0}};
}

struct ExpectedEntry {
  std::string name;
  std::string modes;  // "WxHxD WxHxD ..."
  int canRenderWindowed;
  int hasStereoMode;
  bool secondary;  // driverGuidRef set
};

struct CatalogueCase {
  const char* title;
  std::vector<FakeDriver> drivers;
  bool result;
  std::vector<ExpectedEntry> entries;
  int devicesOffered;  // -1: not checked
  int driversOffered;  // -1: not checked
};

std::string ModesOf(const DisplayDeviceEntry& entry) {
  std::string text;
  for (int i = 0; i < entry.modeCount; ++i) {
    const DisplayModeEntry& mode = entry.modes[i];
    if (!text.empty()) text += ' ';
    text += std::to_string(mode.dwWidth) + "x" + std::to_string(mode.dwHeight) + "x" +
            std::to_string(mode.ddpfPixelFormat.dwRGBBitCount);
  }
  return text;
}

std::vector<FakeDevice> ManyDevices(const std::string& prefix, int count) {
  std::vector<FakeDevice> devices;
  for (int i = 0; i < count; ++i) devices.push_back(HardwareDevice(prefix + std::to_string(i)));
  return devices;
}

const char kSortedDesktop16And32[] =
    "640x480x16 640x480x32 800x600x16 1024x768x16 1280x960x32 1280x1024x16";
const char kSortedDesktopAll[] =
    "640x480x16 640x480x32 800x600x16 800x600x24 1024x768x16 1280x960x32 1280x1024x16";

std::vector<CatalogueCase> Cases() {
  std::vector<CatalogueCase> cases;
  cases.push_back({"software devices only",
                   {PrimaryDriver("Primary", DesktopModes(),
                                  {SoftwareDevice("RGB Emulation"), SoftwareDevice("Ramp")})},
                   false, {}, 2, 1});
  cases.push_back({"a driver of 8-bit modes only gives nothing; the next driver is listed",
                   {PrimaryDriver("Old card", {{640, 480, 8, 0}, {800, 600, 8, 0}},
                                  {HardwareDevice("Old HAL")}),
                    SecondaryDriver("Second card", {{640, 480, 16, 0}}, {HardwareDevice("HAL")})},
                   true,
                   {{"Second card", "640x480x16", 0, 0, true}}, -1, 2});
  cases.push_back(
      {"each device keeps the depths it renders; modes come out sorted",
       {PrimaryDriver("Primary", DesktopModes(),
                      {HardwareDevice("No 24", DDBD_16 | DDBD_32), HardwareDevice("All depths"),
                       HardwareDevice("Only 16", DDBD_16), HardwareDevice("Only 24", DDBD_24)})},
       true,
       {{"No 24", kSortedDesktop16And32, 1, 0, false},
        {"All depths", kSortedDesktopAll, 1, 0, false},
        {"Only 16", "640x480x16 800x600x16 1024x768x16 1280x1024x16", 1, 0, false},
        {"Only 24", "800x600x24", 1, 0, false}},
       4, 1});
  cases.push_back({"a device that renders none of the driver's depths is not listed",
                   {PrimaryDriver("Primary", {{640, 480, 32, 0}},
                                  {HardwareDevice("Only 16", DDBD_16), HardwareDevice("HAL")})},
                   true,
                   {{"HAL", "640x480x32", 1, 0, false}}, 2, 1});
  cases.push_back({"widths and heights compare as unsigned numbers",
                   {PrimaryDriver("Primary",
                                  {{0x80000000u, 480, 16, 0}, {640, 0x80000000u, 16, 0},
                                   {640, 480, 16, 0}},
                                  {HardwareDevice("HAL")})},
                   true,
                   {{"HAL", "640x480x16 640x2147483648x16 2147483648x480x16", 1, 0, false}}, 1,
                   1});
  cases.push_back(
      {"stereo only counts for a kept mode",
       {PrimaryDriver("Primary", {{640, 480, 16, 0}, {800, 600, 32, kStereo}, {320, 200, 8, kStereo}},
                      {HardwareDevice("Stereo", kAllDepths), HardwareDevice("Flat", DDBD_16)})},
       true,
       {{"Stereo", "640x480x16 800x600x32", 1, 1, false}, {"Flat", "640x480x16", 1, 0, false}},
       2, 1});
  cases.push_back(
      {"primary: 3D device names; secondary: the driver description, twice",
       {PrimaryDriver("Primary Display Driver", {{640, 480, 16, 0}},
                      {HardwareDevice("Direct3D HAL"), HardwareDevice("Direct3D T&L HAL")}),
        SecondaryDriver("Voodoo Accelerator", {{640, 480, 16, 0}},
                        {HardwareDevice("Voodoo HAL"), HardwareDevice("Voodoo T&L HAL")})},
       true,
       {{"Direct3D HAL", "640x480x16", 1, 0, false},
        {"Direct3D T&L HAL", "640x480x16", 1, 0, false},
        {"Voodoo Accelerator", "640x480x16", 0, 0, true},
        {"Voodoo Accelerator", "640x480x16", 0, 0, true}},
       4, 2});
  cases.push_back({"windowed rendering needs the capability and the primary driver",
                   {PrimaryDriver("Primary", {{640, 480, 16, 0}}, {HardwareDevice("HAL")}, 0),
                    SecondaryDriver("Second", {{640, 480, 16, 0}}, {HardwareDevice("HAL")},
                                    DDCAPS2_CANRENDERWINDOWED)},
                   true,
                   {{"HAL", "640x480x16", 0, 0, false}, {"Second", "640x480x16", 0, 0, true}}, 2,
                   2});
  cases.push_back(
      {"names are cut to their first 38 characters",
       {PrimaryDriver("Primary", {{640, 480, 16, 0}},
                      {HardwareDevice("0123456789012345678901234567890123456789abcdefghij")}),
        SecondaryDriver("ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJ", {{640, 480, 16, 0}},
                        {HardwareDevice("x")})},
       true,
       {{"01234567890123456789012345678901234567", "640x480x16", 1, 0, false},
        {"ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGH", "640x480x16", 0, 0, true}},
       2, 2});
  {
    // Sixteen counted entries end everything, here in the middle of the second
    // driver: its last device and the third driver are never looked at.
    std::vector<FakeDevice> second = ManyDevices("B", 7);
    second.insert(second.begin() + 2, SoftwareDevice("B-soft"));
    CatalogueCase full{"the 16th entry ends the enumeration, also inside a driver",
                       {PrimaryDriver("A", {{640, 480, 16, 0}}, ManyDevices("A", 10)),
                        SecondaryDriver("B", {{640, 480, 16, 0}}, second),
                        SecondaryDriver("C", {{640, 480, 16, 0}}, ManyDevices("C", 3))},
                       true, {}, 10 + 7, 2};
    for (int i = 0; i < 10; ++i) full.entries.push_back({"A" + std::to_string(i), "640x480x16", 1, 0, false});
    for (int i = 0; i < 6; ++i) full.entries.push_back({"B", "640x480x16", 0, 0, true});
    cases.push_back(full);
  }
  {
    CatalogueCase seventeen{"a 17th device of one driver is not offered",
                            {PrimaryDriver("A", {{640, 480, 16, 0}}, ManyDevices("D", 17))},
                            true, {}, 16, 1};
    for (int i = 0; i < 16; ++i) seventeen.entries.push_back({"D" + std::to_string(i), "640x480x16", 1, 0, false});
    cases.push_back(seventeen);
  }
  {
    FakeDriver broken = PrimaryDriver("Broken", {{640, 480, 16, 0}}, {HardwareDevice("Never")});
    broken.createFails = true;
    FakeDriver no3d = SecondaryDriver("2D only", {{640, 480, 16, 0}}, {HardwareDevice("Never")});
    no3d.noDirect3D = true;
    cases.push_back({"drivers without DirectDraw 7 or Direct3D 7 are skipped silently",
                     {broken, no3d, SecondaryDriver("Good", {{800, 600, 32, 0}}, {HardwareDevice("HAL")})},
                     true,
                     {{"Good", "800x600x32", 0, 0, true}}, 1, 3});
  }
  cases.push_back({"a driver with no modes gives nothing",
                   {PrimaryDriver("Primary", {}, {HardwareDevice("HAL")})}, false, {}, -1, 1});
  cases.push_back({"no driver at all", {}, false, {}, 0, 0});
  return cases;
}

void ExpectEverythingGivenBack(const FakeDisplaySystem& fake, const std::string& title) {
  EXPECT_EQ(0, fake.LiveObjects()) << title << ": COM objects not released";
  EXPECT_EQ(0, fake.OverReleases()) << title << ": objects released once too often";
  EXPECT_EQ(0, fake.foreignFrees) << title << ": a block freed twice or not ours";
}

void CheckCatalogue(const CatalogueCase& c, const FakeDisplaySystem& fake, bool result) {
  const DisplayDeviceCatalogueRecord& catalogue = DisplayDeviceCatalogue;
  EXPECT_EQ(c.result, result) << c.title;
  ASSERT_EQ(static_cast<int>(c.entries.size()), catalogue.count) << c.title;
  for (int i = 0; i < catalogue.count; ++i) {
    const DisplayDeviceEntry& entry = catalogue.entries[i];
    const ExpectedEntry& expected = c.entries[i];
    EXPECT_EQ(expected.name, entry.name) << c.title << " entry " << i;
    EXPECT_EQ(expected.modes, ModesOf(entry)) << c.title << " entry " << i;
    EXPECT_EQ(expected.canRenderWindowed, entry.canRenderWindowed) << c.title << " entry " << i;
    EXPECT_EQ(expected.hasStereoMode, entry.hasStereoMode) << c.title << " entry " << i;
    EXPECT_EQ(1, entry.hardwareRasterization) << c.title << " entry " << i;
    EXPECT_EQ(&entry.deviceGuid, entry.deviceGuidRef) << c.title << " entry " << i;
    EXPECT_TRUE(IsEqualGUID(entry.deviceGuid, entry.deviceDesc.deviceGUID)) << c.title << " " << i;
    EXPECT_EQ(static_cast<DWORD>(sizeof(DDCAPS_DX7)), entry.driverCaps.dwSize) << c.title;
    EXPECT_EQ(static_cast<DWORD>(DDCAPS_BLT), entry.emulationCaps.dwCaps) << c.title;
    if (expected.secondary) {
      EXPECT_EQ(&entry.driverGuid, entry.driverGuidRef) << c.title << " entry " << i;
    } else {
      EXPECT_EQ(nullptr, entry.driverGuidRef) << c.title << " entry " << i;
      EXPECT_TRUE(IsEqualGUID(GUID_NULL, entry.driverGuid)) << c.title << " entry " << i;
    }
  }
  if (c.devicesOffered >= 0) {
    EXPECT_EQ(c.devicesOffered, fake.devicesOffered) << c.title;
  }
  if (c.driversOffered >= 0) {
    EXPECT_EQ(c.driversOffered, fake.driversOffered) << c.title;
  }
  ASSERT_EQ(1u, fake.driverEnumerationFlags.size()) << c.title;
  EXPECT_EQ(7u, fake.driverEnumerationFlags[0]) << c.title;
  EXPECT_EQ(0, fake.guidMismatches) << c.title;
  EXPECT_EQ(0, fake.wrongCapsSizes) << c.title;
  EXPECT_EQ(0, fake.wrongModeRequests) << c.title;
  // Only the counted entries own a mode array.
  EXPECT_EQ(static_cast<size_t>(catalogue.count), fake.liveBlocks.size()) << c.title;
}

TEST(DisplayCatalogueTest, ListsHardwareDevicesWithTheModesTheyRender) {
  for (const CatalogueCase& c : Cases()) {
    FakeDisplaySystem fake(c.drivers);
    bool result = EnumerateDisplayDevices();
    CheckCatalogue(c, fake, result);
    ExpectEverythingGivenBack(fake, c.title);
    // Each Direct3D object goes right after the DirectDraw object it came from.
    for (size_t i = 0; i < fake.releaseOrder.size(); ++i) {
      if (fake.releaseOrder[i] == "d3d") {
        EXPECT_TRUE(i > 0 && fake.releaseOrder[i - 1] == "ddraw") << c.title;
      }
    }
    ReleaseDisplayDevices();
    EXPECT_TRUE(fake.liveBlocks.empty()) << c.title << ": mode arrays left after the release";
    EXPECT_EQ(0, DisplayDeviceCatalogue.count) << c.title;
  }
}

TEST(DisplayCatalogueTest, SecondBuildStartsFromNothingAndFreesTheFirst) {
  FakeDisplaySystem fake({PrimaryDriver("Primary", DesktopModes(),
                                        {HardwareDevice("HAL"), HardwareDevice("T&L HAL")}),
                          SecondaryDriver("Second", DesktopModes(), {HardwareDevice("x")})});
  ASSERT_TRUE(EnumerateDisplayDevices());
  std::vector<std::string> first;
  for (int i = 0; i < DisplayDeviceCatalogue.count; ++i)
    first.push_back(std::string(DisplayDeviceCatalogue.entries[i].name) + ": " +
                    ModesOf(DisplayDeviceCatalogue.entries[i]));
  ASSERT_TRUE(EnumerateDisplayDevices());
  std::vector<std::string> second;
  for (int i = 0; i < DisplayDeviceCatalogue.count; ++i)
    second.push_back(std::string(DisplayDeviceCatalogue.entries[i].name) + ": " +
                     ModesOf(DisplayDeviceCatalogue.entries[i]));
  EXPECT_EQ(first, second);
  EXPECT_EQ(3, DisplayDeviceCatalogue.count);
  EXPECT_EQ(3u, fake.liveBlocks.size()) << "the first build's arrays were not freed";

  // A machine that lost its devices: the rebuild empties the catalogue.
  fake.drivers = {PrimaryDriver("Primary", DesktopModes(), {SoftwareDevice("RGB")})};
  EXPECT_FALSE(EnumerateDisplayDevices());
  EXPECT_EQ(0, DisplayDeviceCatalogue.count);
  EXPECT_TRUE(fake.liveBlocks.empty());
  ExpectEverythingGivenBack(fake, "rebuild");
}

// Out of memory at any one allocation: no crash, no leak, and the driver whose
// mode list could not be held (or the device whose copy could not) is left out.
TEST(DisplayCatalogueTest, EveryFailedAllocationSkipsCleanly) {
  std::vector<FakeDriver> machine = {
      PrimaryDriver("Primary", DesktopModes(), {HardwareDevice("HAL"), HardwareDevice("T&L")}),
      SecondaryDriver("Second", {{640, 480, 16, 0}, {800, 600, 16, 0}}, {HardwareDevice("x")})};
  int total = 0;
  {
    FakeDisplaySystem counting(machine);
    ASSERT_TRUE(EnumerateDisplayDevices());
    ASSERT_EQ(3, DisplayDeviceCatalogue.count);
    total = counting.allocations;
  }
  // One allocation per delivered mode (the list grows by one), one per entry.
  EXPECT_EQ(8 + 2 + 3, total);
  for (int failing = 1; failing <= total; ++failing) {
    FakeDisplaySystem fake(machine);
    fake.failAllocation = failing;
    EnumerateDisplayDevices();
    std::string title = "allocation " + std::to_string(failing) + " fails";
    std::vector<std::string> names;
    for (int i = 0; i < DisplayDeviceCatalogue.count; ++i) {
      names.push_back(DisplayDeviceCatalogue.entries[i].name);
      EXPECT_GT(DisplayDeviceCatalogue.entries[i].modeCount, 0) << title;
      EXPECT_NE(nullptr, DisplayDeviceCatalogue.entries[i].modes) << title;
    }
    std::vector<std::string> expected;
    if (failing <= 8) expected = {"Second"};                      // primary's mode list
    else if (failing == 9) expected = {"T&L", "Second"};          // HAL's copy
    else if (failing == 10) expected = {"HAL", "Second"};         // T&L's copy
    else expected = {"HAL", "T&L"};                               // the second driver
    EXPECT_EQ(expected, names) << title;
    EXPECT_EQ(static_cast<size_t>(DisplayDeviceCatalogue.count), fake.liveBlocks.size()) << title;
    ExpectEverythingGivenBack(fake, title);
  }
}

TEST(DisplayCatalogueTest, CompareDisplayModesOrdersWidthHeightDepth) {
  struct Pair {
    DWORD a[3];
    DWORD b[3];
    int expected;
  };
  const Pair pairs[] = {
      {{640, 480, 16}, {640, 480, 16}, 0},        {{640, 480, 16}, {800, 600, 16}, -1},
      {{800, 600, 16}, {640, 480, 32}, 1},        {{640, 480, 32}, {640, 400, 16}, 1},
      {{640, 480, 16}, {640, 480, 32}, -1},       {{0xFFFFFFFFu, 1, 1}, {1, 1, 1}, 1},
      {{1, 0x80000000u, 1}, {1, 0x7FFFFFFFu, 1}, 1}, {{1, 1, 0x80000000u}, {1, 1, 16}, 1},
  };
  for (const Pair& p : pairs) {
    DisplayModeEntry a = {}, b = {};
    a.dwWidth = p.a[0];
    a.dwHeight = p.a[1];
    a.ddpfPixelFormat.dwRGBBitCount = p.a[2];
    b.dwWidth = p.b[0];
    b.dwHeight = p.b[1];
    b.ddpfPixelFormat.dwRGBBitCount = p.b[2];
    EXPECT_EQ(p.expected, CompareDisplayModes(a, b)) << p.a[0] << "x" << p.a[1] << "x" << p.a[2];
    EXPECT_EQ(-p.expected, CompareDisplayModes(b, a)) << p.a[0] << "x" << p.a[1] << "x" << p.a[2];
  }
}

}  // namespace
