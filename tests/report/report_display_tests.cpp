// The report's display sections over a scripted DirectDraw: the catalogue's own
// verdicts and failing calls, and what resolving a graphic.cfg corrected.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/display_catalogue.h"
#include "program/program_directory.h"
#include "report/report_sections.h"
#include "tests/fakes/fake_ddraw.h"
#include "tests/report/report_test_support.h"
#include "tests/settings/settings_test_files.h"

namespace {

std::vector<FakeMode> Desktop() { return {{640, 480, 16, 0}, {800, 600, 32, 0}}; }

// Every verdict and every failing call, and more acceptable devices than fit.
std::vector<FakeDriver> Machine() {
  std::vector<FakeDriver> drivers;
  drivers.push_back(PrimaryDriver("Primary", Desktop(),
                                  {HardwareDevice("Good"), SoftwareDevice("Soft"),
                                   HardwareDevice("Only24", DDBD_24)}));
  drivers.push_back(SecondaryDriver("Broken", Desktop(), {HardwareDevice("B")}));
  drivers.back().createFails = true;
  drivers.push_back(SecondaryDriver("No3D", Desktop(), {HardwareDevice("N")}));
  drivers.back().noDirect3D = true;
  drivers.push_back(SecondaryDriver("Capless", Desktop(), {HardwareDevice("C")}));
  drivers.back().capsResult = DDERR_GENERIC;
  drivers.push_back(SecondaryDriver("Mute", Desktop(), {}));
  drivers.back().devicesResult = DDERR_INVALIDOBJECT;
  drivers.push_back(SecondaryDriver("Many", Desktop(), std::vector<FakeDevice>(15, HardwareDevice("M"))));
  drivers.push_back(SecondaryDriver("Late", Desktop(), {HardwareDevice("L")}));
  return drivers;
}

struct Told {
  int drivers = 0;
  std::vector<std::string> events;
};

void Offered(void* context, const GUID*, const char*, const char*) { ++static_cast<Told*>(context)->drivers; }
std::string Call(DisplayCatalogueCall call, HRESULT result) {
  char text[32];
  std::snprintf(text, sizeof text, "call %d %08lX", static_cast<int>(call),
                static_cast<unsigned long>(result));
  return text;
}
void Failed(void* context, DisplayCatalogueCall call, HRESULT result) {
  static_cast<Told*>(context)->events.push_back(Call(call, result));
}
void Modes(void*, int32_t) {}
void Judged(void* context, const char* name, DisplayDeviceVerdict verdict, int32_t row) {
  static_cast<Told*>(context)->events.push_back(std::string(name) + " " + std::to_string(verdict) +
                                                " " + std::to_string(row));
}

TEST(ReportDisplayTest, TheObserverIsToldEveryVerdictAndFailureAndTheCatalogueStaysTheRunsOwn) {
  std::vector<std::string> expected = {
      "Good 0 0", "Soft 1 -1", "Only24 2 -1",
      Call(kCallCreateDirectDraw, DDERR_NODIRECTDRAWHW), Call(kCallQueryDirect3D, E_NOINTERFACE),
      Call(kCallGetCaps, DDERR_GENERIC), "C 0 1", Call(kCallEnumDevices, DDERR_INVALIDOBJECT)};
  for (int i = 0; i < 14; ++i) expected.push_back("M 0 " + std::to_string(i + 2));
  expected.push_back("M 4 -1");
  expected.push_back("L 4 -1");

  FakeDisplaySystem machine(Machine());
  Told told;
  DisplayCatalogueObserver observer = {&told, Offered, Failed, Modes, Judged, nullptr};
  DisplayObserver = &observer;
  EnumerateDisplayDevices();
  DisplayObserver = nullptr;
  EXPECT_EQ(expected, told.events);
  EXPECT_EQ(7, told.drivers);
  ASSERT_EQ(kDisplayDeviceCapacity, DisplayDeviceCatalogue.count);
  EXPECT_STREQ("Many", DisplayDeviceCatalogue.entries[15].name);

  // Unwatched, the run stops at the 16th device as it always has.
  machine.driversOffered = machine.devicesOffered = 0;
  EnumerateDisplayDevices();
  EXPECT_EQ(kDisplayDeviceCapacity, DisplayDeviceCatalogue.count);
  EXPECT_EQ(6, machine.driversOffered);
  EXPECT_EQ(3 + 1 + 14, machine.devicesOffered);
  ReleaseDisplayDevices();
  EXPECT_EQ(0, machine.LiveObjects());
  EXPECT_TRUE(machine.liveBlocks.empty());
}

TEST(ReportDisplayTest, ADeviceWhoseModesFindNoMemoryIsToldSo) {
  FakeDisplaySystem machine({PrimaryDriver("P", Desktop(), {HardwareDevice("D")})});
  machine.failAllocation = 3;  // two for the driver's modes, one at a time; then the device's
  Told told;
  DisplayCatalogueObserver observer = {&told, Offered, Failed, Modes, Judged, nullptr};
  DisplayObserver = &observer;
  EXPECT_FALSE(EnumerateDisplayDevices());
  DisplayObserver = nullptr;
  EXPECT_EQ(std::vector<std::string>{"D 3 -1"}, told.events);
}

char Problem[1024];
void DisplaySections(ReportText& report) { ReportDisplay(report, Problem, sizeof Problem); }

class ReportFileTest : public ReportSectionTest {
 protected:
  std::string Report() { return ReportSectionTest::Report(DisplaySections); }
};

TEST_F(ReportFileTest, TheDisplaySectionsSayEachVerdictAndCorrectionInWords) {
  const std::string stored =
      "DEVICE=\"Gone\"\r\nWIDTH=1024\r\nHEIGHT=768\r\nCOLORDEPTH=16\r\nTEXTUREQUALITY=-3\r\n";
  WriteFileBytes(folder_.File("config\\graphic.cfg"), stored);
  std::string text;
  {
    FakeDisplaySystem machine(Machine());
    text = Report();
  }
  const char* lines[] = {
      "\xEF\xBB\xBF",
      "\r\n  3D device \"Soft\": rejected: it does not rasterise in hardware\r\n",
      "\r\n  3D device \"Only24\": rejected: no display mode it can render to\r\n",
      "\r\n  DirectDrawCreateEx failed: 0x", "(DDERR_NODIRECTDRAWHW: no DirectDraw hardware); the driver is skipped\r\n",
      "\r\n  GetCaps failed: 0x80004005 (E_FAIL)",
      "\r\n    Device row 15: \"Many\"\r\n      texture stages: 2\r\n      windowed rendering: no\r\n"
      "      mode 0: 640 x 480 : 16 bit color\r\n      mode 1: 800 x 600 : 32 bit color\r\n",
      "\r\n  3D device \"L\": not listed: beyond the 16-device limit\r\n",
      "\r\nDevices listed: 16 (at most 16)\r\n",
      "\r\n  DEVICE=\"Gone\"\r\n",
      "\r\n  DEVICE \"Gone\": this machine has no device of that name; row 0 is shown\r\n",
      "\r\n  WIDTH 1024, HEIGHT 768, COLORDEPTH 16: not a mode of this device; 640 x 480 : 16 bit color is shown\r\n",
      "\r\n  TEXTUREQUALITY -3: outside 0 to 4; 0\r\n"};
  size_t from = 0;
  for (const char* line : lines) {
    size_t at = text.find(line, from);
    EXPECT_NE(std::string::npos, at) << "missing, or out of order: " << line << "\n" << text;
    if (at != std::string::npos) from = at;
  }
  EXPECT_EQ(std::string::npos, text.find("\r\r")) << text;
  std::string after;
  ASSERT_TRUE(ReadFileBytes(folder_.File("config\\graphic.cfg"), after));
  EXPECT_EQ(stored, after);
  EXPECT_EQ(2, folder_.EntryCount()) << "config and the report, nothing else";
}

// Each listed device made as the game makes it: the step that failed is told,
// every object is released once, and the desktop is left alone.
TEST_F(ReportFileTest, EachDeviceIsTriedAndItsFailingStepTold) {
  FakeDisplaySystem machine({PrimaryDriver("P", Desktop(), {HardwareDevice("Draws"), HardwareDevice("NoDevice")}),
                             SecondaryDriver("NoSurface", Desktop(), {HardwareDevice("S")})});
  machine.drivers[0].devices[1].createResult = D3DERR_INVALID_DEVICE;
  machine.drivers[1].surfaceResult = DDERR_OUTOFVIDEOMEMORY;
  std::string text = Report();
  for (const char* line : {"\r\n  row 0 \"Draws\": renders: yes\r\n",
                           "\r\n  row 1 \"NoDevice\": renders: no: CreateDevice failed: 0x887602C1",
                           "\r\n  row 2 \"NoSurface\": renders: no: CreateSurface (64 x 64 off-screen 3D surface) failed: 0x8876017C"})
    EXPECT_NE(std::string::npos, text.find(line)) << line << "\n" << text;
  EXPECT_STREQ("", Problem);
  EXPECT_EQ(0, machine.LiveObjects());
  EXPECT_EQ(0, machine.OverReleases());
  EXPECT_EQ(0, machine.desktopChanges);
  EXPECT_EQ(0, machine.guidMismatches);

  // Nothing draws: the report is to open with the sentence that says so.
  machine.drivers[0].devices[0].createResult = DDERR_GENERIC;
  Report();
  EXPECT_EQ(0u, std::string(Problem).rfind("3D rendering does not work on this system: none of the listed 3D devices", 0))
      << Problem;
  EXPECT_EQ(0, machine.LiveObjects());
}

// A renderer value that names no renderer (set in the test prefix's registry):
// neither the report nor its opening sentence names one.
TEST_F(ReportFileTest, ARendererValueThatIsNoNameNamesNoRenderer) {
  const DWORD one = 1;
  const std::string tooLong(80, 'g');
  const struct { DWORD type; const void* data; DWORD size; const char* said; } cases[] = {
      {REG_DWORD, &one, sizeof one, "is no text but REG_DWORD\r\n"},
      {REG_SZ, tooLong.c_str(), 81, "could not be read: 0x800700EA"}};
  FakeDisplaySystem machine({PrimaryDriver("P", Desktop(), {HardwareDevice("Fails")})});
  machine.drivers[0].devices[0].createResult = DDERR_GENERIC;
  for (const auto& c : cases) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\Direct3D", "renderer",
                                             c.type, c.data, c.size));
    std::string text = Report();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\Direct3D", "renderer");
    EXPECT_NE(std::string::npos, text.find(std::string("\r\nWine's Direct3D renderer: the value \"renderer\" "
                                                       "under HKCU\\Software\\Wine\\Direct3D ") + c.said))
        << text;
    EXPECT_NE(nullptr, std::strstr(Problem, "could be created; under Wine")) << Problem;
  }
}

TEST_F(ReportFileTest, AMissingDirectDrawIsALineNotAMessage) {
  FakeDisplaySystem machine(Machine());
  machine.enumerateResult = HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  std::string text = Report();
  EXPECT_NE(std::string::npos,
            text.find("DirectDrawEnumerateExA failed: 0x8007007E (ddraw.dll could not be loaded)"));
  EXPECT_NE(std::string::npos, text.find("Devices listed: none; the graphic settings say "
                                         "\"\xEF\xBC\x93\xEF\xBC\xA4"));  // "３Ｄ"
}

}  // namespace
