// "config\graphic.cfg": file bytes in, resolved GraphicSettings out against a
// scripted machine; GraphicSettings in, file bytes out; failed saves.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/display_catalogue.h"
#include "graphics/graphic_settings_file.h"
#include "tests/fakes/fake_ddraw.h"
#include "tests/settings/settings_test_files.h"

namespace {

const char kNoFile[] = "\x01no file";

// Entry 0 "HAL" (two texture stages), 1 "T&L HAL" (one stage), both on the
// primary driver; 2 and 3 "Voodoo", a secondary card without 640 x 480 whose
// first device has no 16-bit rendering.
std::vector<FakeDriver> TestMachine() {
  std::vector<FakeMode> desktop = {{1280, 1024, 16, 0}, {640, 480, 32, 0}, {800, 600, 16, 0},
                                   {1024, 768, 16, 0},  {640, 480, 16, 0}, {1280, 960, 32, 0},
                                   {640, 480, 8, 0},    {800, 600, 24, 0}};
  return {PrimaryDriver("Primary", desktop,
                        {HardwareDevice("HAL", kAllDepths, 2), HardwareDevice("T&L HAL", kAllDepths, 1)}),
          SecondaryDriver("Voodoo", {{1024, 768, 16, 0}, {800, 600, 32, 0}, {800, 600, 16, 0}},
                          {HardwareDevice("V1", DDBD_32, 4), HardwareDevice("V2", kAllDepths, 4)})};
}

// device, multiTexture, mode, window, width, height, colorDepth, textureDepth,
// textureQuality, textureCompress
typedef GraphicSettingsRecord R;

std::string Fields(const GraphicSettingsRecord& r) {
  char text[160];
  snprintf(text, sizeof text,
           "device %d multi %d mode %d window %d %dx%dx%d texdepth %d quality %d compress %d",
           r.device, r.multiTexture, r.mode, r.window, r.width, r.height, r.colorDepth,
           r.textureDepth, r.textureQuality, r.textureCompress);
  return text;
}

struct LoadCase {
  const char* title;
  const char* file;  // kNoFile: no file at all
  GraphicSettingsRecord expected;
};

TEST(GraphicSettingsFileTest, LoadResolvesTheFileAgainstTheMachine) {
  const LoadCase cases[] = {
      {"no file: first-run defaults, multitexture asked for", kNoFile,
       R{0, 1, 0, 0, 640, 480, 16, 0, 2, 0}},
      {"an empty file is no file", "", R{0, 1, 0, 0, 640, 480, 16, 0, 2, 0}},
      {"blank lines are a file read: no multitexture asked for", "\r\n\r\n  \r\n",
       R{0, 0, 0, 0, 640, 480, 16, 0, 2, 0}},
      {"a file without MULTITEXTURE", "VERSION=2\r\nDEVICE=\"HAL\"\r\n",
       R{0, 0, 0, 0, 640, 480, 16, 0, 2, 0}},
      {"the whole file as saved",
       "VERSION=2\r\nDEVICE=\"HAL\"\r\nMULTITEXTURE=1\r\nWIDTH=1280\r\nHEIGHT=960\r\n"
       "COLORDEPTH=32\r\nTEXTUREDEPTH=32\r\nTEXTUREQUALITY=3\r\nTEXTURECOMPRESS=1\r\nWINDOW=1\r\n",
       R{0, 1, 5, 1, 1280, 960, 32, 32, 3, 1}},
      {"second device by name; one texture stage gives no multitexture",
       "DEVICE=\"T&L HAL\"\nMULTITEXTURE=1\nWIDTH=800\nHEIGHT=600\nCOLORDEPTH=24\n",
       R{1, 0, 3, 0, 800, 600, 24, 0, 2, 0}},
      {"a name without quotes reads as empty", "DEVICE=T&L HAL\r\n",
       R{0, 0, 0, 0, 640, 480, 16, 0, 2, 0}},
      {"an unknown name gives device 0", "DEVICE=\"GeForce\"\r\nWIDTH=800\r\nHEIGHT=600\r\n",
       R{0, 0, 2, 0, 800, 600, 16, 0, 2, 0}},
      {"names compare case-sensitively", "DEVICE=\"hal\"\r\nDEVICE=\"t&l hal\"\r\n",
       R{0, 0, 0, 0, 640, 480, 16, 0, 2, 0}},
      {"an unsupported mode falls back to 640 x 480 of lowest depth",
       "WIDTH=800\r\nHEIGHT=600\r\nCOLORDEPTH=8\r\n", R{0, 0, 0, 0, 640, 480, 16, 0, 2, 0}},
      {"the 8-bit desktop mode is never offered", "WIDTH=640\r\nHEIGHT=480\r\nCOLORDEPTH=8\r\n",
       R{0, 0, 0, 0, 640, 480, 16, 0, 2, 0}},
      {"without 640 x 480 the device's smallest mode; no window on a secondary card",
       "DEVICE=\"Voodoo\"\r\nWIDTH=640\r\nHEIGHT=480\r\nWINDOW=1\r\nMULTITEXTURE=1\r\n",
       R{2, 1, 0, 0, 800, 600, 32, 0, 2, 0}},
      {"two entries of one name: the first", "DEVICE=\"Voodoo\"\r\nWIDTH=800\r\nHEIGHT=600\r\n",
       R{2, 0, 0, 0, 800, 600, 32, 0, 2, 0}},
      {"out-of-range options are brought into range",
       "TEXTUREQUALITY=9\r\nTEXTUREDEPTH=24\r\nTEXTURECOMPRESS=5\r\nMULTITEXTURE=7\r\nWINDOW=-2\r\n",
       R{0, 1, 0, 1, 640, 480, 16, 0, 4, 1}},
      {"negative quality gives 0; texture depth 16 stays", "TEXTUREQUALITY=-3\r\nTEXTUREDEPTH=16\r\n",
       R{0, 0, 0, 0, 640, 480, 16, 16, 0, 0}},
      {"later lines win; VERSION is not compared",
       "VERSION=7\r\nWIDTH=800\r\nWIDTH=1024\r\nHEIGHT=768\r\nTEXTUREQUALITY=1\r\nTEXTUREQUALITY=0\r\n",
       R{0, 0, 4, 0, 1024, 768, 16, 0, 0, 0}},
      {"negative sizes match no mode (no unsigned wrap)",
       "WIDTH=-1\r\nHEIGHT=-1\r\nCOLORDEPTH=-1\r\n", R{0, 0, 0, 0, 640, 480, 16, 0, 2, 0}},
      {"unknown keys and junk are ignored", "GAMMA=3\r\n=\r\nWIDTH\r\nHEIGHT=abc\r\n",
       R{0, 0, 0, 0, 640, 480, 16, 0, 2, 0}},
  };
  for (const LoadCase& c : cases) {
    ScratchFolder folder;
    std::string path = folder.File("graphic.cfg");
    if (c.file != kNoFile) WriteFileBytes(path, c.file);
    FakeDisplaySystem machine(TestMachine());
    GraphicSettingsRecord loaded;
    memset(&loaded, 0x5A, sizeof loaded);
    ASSERT_TRUE(LoadGraphicSettings(nullptr, NativePath(path).c_str(), loaded)) << c.title;
    EXPECT_EQ(Fields(c.expected), Fields(loaded)) << c.title;
    // The load keeps its promise to the dialog: the record names a real mode.
    const DisplayDeviceEntry& entry = DisplayDeviceCatalogue.entries[loaded.device];
    ASSERT_LT(loaded.mode, entry.modeCount) << c.title;
    EXPECT_EQ(static_cast<DWORD>(loaded.width), entry.modes[loaded.mode].dwWidth) << c.title;
    std::string after;
    if (c.file != kNoFile) {
      ASSERT_TRUE(ReadFileBytes(path, after));
      EXPECT_EQ(c.file, after) << c.title << ": the load changed the file";
    } else {
      EXPECT_FALSE(FileExists(path)) << c.title << ": the load made a file";
    }
  }
}

TEST(GraphicSettingsFileTest, UnreadableFileGivesTheNoFileDefaults) {
  ScratchFolder folder;
  std::string path = folder.File("graphic.cfg");
  MakeFolder(path);  // a folder where the file should be
  FakeDisplaySystem machine(TestMachine());
  GraphicSettingsRecord loaded = {};
  ASSERT_TRUE(LoadGraphicSettings(nullptr, NativePath(path).c_str(), loaded));
  EXPECT_EQ(Fields(R{0, 1, 0, 0, 640, 480, 16, 0, 2, 0}), Fields(loaded));
}

struct SaveCase {
  const char* title;
  GraphicSettingsRecord settings;
  const char* bytes;
};

TEST(GraphicSettingsFileTest, SaveWritesTheTenLinesInOrder) {
  const SaveCase cases[] = {
      {"first run, nothing changed", R{0, 1, 0, 0, 640, 480, 16, 0, 2, 0},
       "VERSION=2\r\nDEVICE=\"HAL\"\r\nMULTITEXTURE=1\r\nWIDTH=640\r\nHEIGHT=480\r\n"
       "COLORDEPTH=16\r\nTEXTUREDEPTH=0\r\nTEXTUREQUALITY=2\r\nTEXTURECOMPRESS=0\r\nWINDOW=0\r\n"},
      {"every field; mode is not written", R{3, 0, 2, 1, 1024, 768, 16, 32, 4, 1},
       "VERSION=2\r\nDEVICE=\"Voodoo\"\r\nMULTITEXTURE=0\r\nWIDTH=1024\r\nHEIGHT=768\r\n"
       "COLORDEPTH=16\r\nTEXTUREDEPTH=32\r\nTEXTUREQUALITY=4\r\nTEXTURECOMPRESS=1\r\nWINDOW=1\r\n"},
      {"a row the catalogue lacks writes an empty name, never another entry's",
       R{17, 0, 0, 0, 640, 480, 16, 16, 0, 0},
       "VERSION=2\r\nDEVICE=\"\"\r\nMULTITEXTURE=0\r\nWIDTH=640\r\nHEIGHT=480\r\n"
       "COLORDEPTH=16\r\nTEXTUREDEPTH=16\r\nTEXTUREQUALITY=0\r\nTEXTURECOMPRESS=0\r\nWINDOW=0\r\n"},
      {"negative numbers as they are", R{-1, -1, 0, -1, -640, 480, 16, 0, -2, 0},
       "VERSION=2\r\nDEVICE=\"\"\r\nMULTITEXTURE=-1\r\nWIDTH=-640\r\nHEIGHT=480\r\n"
       "COLORDEPTH=16\r\nTEXTUREDEPTH=0\r\nTEXTUREQUALITY=-2\r\nTEXTURECOMPRESS=0\r\nWINDOW=-1\r\n"},
  };
  for (const SaveCase& c : cases) {
    ScratchFolder folder;
    std::string path = folder.File("graphic.cfg");
    WriteFileBytes(path, "VERSION=7\r\nDEVICE=\"old\"\r\n");
    FakeDisplaySystem machine(TestMachine());
    ASSERT_TRUE(EnumerateDisplayDevices());
    GraphicSettings = c.settings;
    EXPECT_TRUE(SaveGraphicSettings(NativePath(path).c_str())) << c.title;
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes)) << c.title;
    EXPECT_EQ(c.bytes, bytes) << c.title;
    EXPECT_EQ(1, folder.EntryCount()) << c.title << ": a temporary file was left";
  }
}

TEST(GraphicSettingsFileTest, NameWithQuoteIsWrittenAsItIsAndReadsBackAsDeviceZero) {
  ScratchFolder folder;
  std::string path = folder.File("graphic.cfg");
  FakeDisplaySystem machine({PrimaryDriver("P", {{640, 480, 16, 0}, {800, 600, 16, 0}},
                                           {HardwareDevice("HAL"), HardwareDevice("The \"Fast\" one")})});
  ASSERT_TRUE(EnumerateDisplayDevices());
  GraphicSettings = R{1, 1, 1, 0, 800, 600, 16, 0, 2, 0};
  ASSERT_TRUE(SaveGraphicSettings(NativePath(path).c_str()));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_NE(std::string::npos, bytes.find("\r\nDEVICE=\"The \"Fast\" one\"\r\n")) << bytes;
  GraphicSettingsRecord loaded = {};
  ASSERT_TRUE(LoadGraphicSettings(nullptr, NativePath(path).c_str(), loaded));
  EXPECT_EQ(Fields(R{0, 1, 1, 0, 800, 600, 16, 0, 2, 0}), Fields(loaded));
}

TEST(GraphicSettingsFileTest, SavedFileLoadsBackToTheSameSettings) {
  const GraphicSettingsRecord saved[] = {
      R{0, 1, 5, 1, 1280, 960, 32, 32, 3, 1}, R{1, 0, 3, 0, 800, 600, 24, 16, 0, 0},
      R{2, 1, 0, 0, 800, 600, 32, 0, 4, 1}};
  for (const GraphicSettingsRecord& s : saved) {
    ScratchFolder folder;
    std::string path = folder.File("graphic.cfg");
    FakeDisplaySystem machine(TestMachine());
    ASSERT_TRUE(EnumerateDisplayDevices());
    GraphicSettings = s;
    ASSERT_TRUE(SaveGraphicSettings(NativePath(path).c_str()));
    GraphicSettingsRecord loaded = {};
    ASSERT_TRUE(LoadGraphicSettings(nullptr, NativePath(path).c_str(), loaded));
    EXPECT_EQ(Fields(s), Fields(loaded));
  }
}

// A file the player made read-only, a folder in its place, a missing folder:
// the save reports failure and whatever was there stays as it was.
TEST(GraphicSettingsFileTest, FailedSaveLeavesTheOldFileIntact) {
  const std::string old = "VERSION=2\r\nDEVICE=\"HAL\"\r\nWIDTH=800\r\n";
  enum Obstacle { ReadOnlyFile, FolderInPlace, MissingFolder };
  for (Obstacle obstacle : {ReadOnlyFile, FolderInPlace, MissingFolder}) {
    ScratchFolder folder;
    std::string path = folder.File("graphic.cfg");
    if (obstacle == ReadOnlyFile) {
      WriteFileBytes(path, old);
      SetReadOnly(path, true);
    } else if (obstacle == FolderInPlace) {
      MakeFolder(path);
    } else {
      path = folder.File("missing\\graphic.cfg");
    }
    FakeDisplaySystem machine(TestMachine());
    ASSERT_TRUE(EnumerateDisplayDevices());
    GraphicSettings = R{0, 1, 0, 0, 640, 480, 16, 0, 2, 0};
    EXPECT_FALSE(SaveGraphicSettings(NativePath(path).c_str())) << obstacle;
    if (obstacle == ReadOnlyFile) {
      std::string bytes;
      ASSERT_TRUE(ReadFileBytes(path, bytes));
      EXPECT_EQ(old, bytes);
    }
    EXPECT_EQ(obstacle == MissingFolder ? 0 : 1, folder.EntryCount())
        << obstacle << ": something was left beside the file";
  }
}

// What resolving changed, bit by bit, against one device that binds one
// texture, cannot render in a window and offers 640 x 480 x 16 and 800 x 600 x 32.
TEST(ResolveGraphicSettingsTest, TellsEachCorrectionItMakes) {
  struct Case {
    const char* name;
    void (*change)(GraphicRequest&);
    uint32_t expected;
  } cases[] = {
      {"as offered", [](GraphicRequest&) {}, 0},
      {"unknown device", [](GraphicRequest& r) { std::strcpy(r.deviceName, "Other"); }, kCorrectedDevice},
      {"no device named", [](GraphicRequest& r) { r.deviceName[0] = '\0'; }, 0},
      {"missing mode", [](GraphicRequest& r) { r.colorDepth = 24; }, kCorrectedMode},
      {"multitexture 7", [](GraphicRequest& r) { r.multiTexture = 7; },
       kCorrectedMultiTextureRange | kCorrectedMultiTextureDevice},
      {"multitexture 1", [](GraphicRequest& r) { r.multiTexture = 1; }, kCorrectedMultiTextureDevice},
      {"window 1", [](GraphicRequest& r) { r.window = 1; }, kCorrectedWindowDevice},
      {"window -2", [](GraphicRequest& r) { r.window = -2; }, kCorrectedWindowRange | kCorrectedWindowDevice},
      {"texture depth 24", [](GraphicRequest& r) { r.textureDepth = 24; }, kCorrectedTextureDepth},
      {"texture depth 32", [](GraphicRequest& r) { r.textureDepth = 32; }, 0},
      {"quality 5", [](GraphicRequest& r) { r.textureQuality = 5; }, kCorrectedTextureQuality},
      {"compress 2", [](GraphicRequest& r) { r.textureCompress = 2; }, kCorrectedTextureCompress},
  };
  FakeDisplaySystem machine({PrimaryDriver("P", {{640, 480, 16, 0}, {800, 600, 32, 0}}, {HardwareDevice("Card", kAllDepths, 1)}, 0)});
  ASSERT_TRUE(EnumerateDisplayDevices());
  for (const Case& c : cases) {
    GraphicRequest request = {};
    std::strcpy(request.deviceName, "Card");
    request.width = 800;
    request.height = 600;
    request.colorDepth = 32;
    request.textureQuality = 2;
    c.change(request);
    GraphicSettingsRecord out;
    uint32_t corrections = 0xFFFFFFFF;
    ResolveGraphicSettings(request, out, &corrections);
    EXPECT_EQ(c.expected, corrections) << c.name;
  }
}

}  // namespace
