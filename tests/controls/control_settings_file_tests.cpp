// config\input.cfg: bytes on disk -> ControlSettingsRecord and back, the
// defaults of a controls run, and saves that fail without harming the old file.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "controls/control_settings_file.h"
#include "controls/input_tables.h"
#include "program/program_directory.h"
#include "tests/controls/first_run_input_file.h"
#include "tests/settings/settings_test_files.h"

namespace {

// Every field, with the device name's bytes in hex, so a failure shows which
// field went wrong.
std::string Describe(const ControlSettingsRecord& r) {
  std::string device;
  char text[160];
  size_t length = strnlen(r.device, sizeof r.device);
  for (size_t i = 0; i < length; ++i) {
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned char>(r.device[i]));
    device += text;
  }
  if (length == sizeof r.device) device += "(unterminated)";
  auto analog = [](const AnalogFunctionSetting& a) {
    char out[64];
    std::snprintf(out, sizeof out, "%d,%d,%d,%d", a.input, a.axisMode, a.calibMin, a.calibMax);
    return std::string(out);
  };
  std::snprintf(text, sizeof text,
                " ff=%d shiftUp=%d shiftDown=%d side=%d light=%d viewUp=%d viewDown=%d",
                r.forceFeedback, r.shiftUp, r.shiftDown, r.sideBrake, r.light, r.viewUp,
                r.viewDown);
  return "version=" + std::to_string(r.version) + " device=[" + device + "]" + text +
         " left=" + analog(r.left) + " right=" + analog(r.right) +
         " accele=" + analog(r.accele) + " brake=" + analog(r.brake);
}

void ExpectSameRecord(const ControlSettingsRecord& expected, const ControlSettingsRecord& actual) {
  EXPECT_EQ(Describe(expected), Describe(actual));
  // Bytes after the device name's terminator too: nothing is left behind.
  EXPECT_EQ(0, std::memcmp(&expected, &actual, sizeof expected));
}

// What PrepareControlSettings starts a load from.
ControlSettingsRecord Fresh() {
  ControlSettingsRecord r;
  std::memset(&r, 0, sizeof r);
  r.version = 1;
  return r;
}

// A record where every word holds its own value, to show which ones a load
// touched.
ControlSettingsRecord Marked() {
  ControlSettingsRecord r = Fresh();
  std::strcpy(r.device, "old pad");
  r.version = 3;
  r.forceFeedback = 11;
  r.left = {12, 13, 14, 15};
  r.right = {16, 17, 18, 19};
  r.accele = {20, 21, 22, 23};
  r.brake = {24, 25, 26, 27};
  r.shiftUp = 28;
  r.shiftDown = 29;
  r.sideBrake = 30;
  r.light = 31;
  r.viewUp = 32;
  r.viewDown = 33;
  return r;
}

void SetDevice(ControlSettingsRecord& r, const char* name) {
  std::memset(r.device, 0, sizeof r.device);
  std::strcpy(r.device, name);
}


TEST(ControlSettingsFileTest, RecordLayoutIsTheFilesFieldOrder) {
  EXPECT_EQ(356u, sizeof(ControlSettingsRecord));
  EXPECT_EQ(16u, sizeof(AnalogFunctionSetting));
  struct Case {
    const char* field;
    size_t offset;
    size_t expected;
  } cases[] = {
      {"version", offsetof(ControlSettingsRecord, version), 0},
      {"device", offsetof(ControlSettingsRecord, device), 4},
      {"forceFeedback", offsetof(ControlSettingsRecord, forceFeedback), 264},
      {"left", offsetof(ControlSettingsRecord, left), 268},
      {"right", offsetof(ControlSettingsRecord, right), 284},
      {"accele", offsetof(ControlSettingsRecord, accele), 300},
      {"brake", offsetof(ControlSettingsRecord, brake), 316},
      {"shiftUp", offsetof(ControlSettingsRecord, shiftUp), 332},
      {"shiftDown", offsetof(ControlSettingsRecord, shiftDown), 336},
      {"sideBrake", offsetof(ControlSettingsRecord, sideBrake), 340},
      {"light", offsetof(ControlSettingsRecord, light), 344},
      {"viewUp", offsetof(ControlSettingsRecord, viewUp), 348},
      {"viewDown", offsetof(ControlSettingsRecord, viewDown), 352},
      {"input", offsetof(AnalogFunctionSetting, input), 0},
      {"axisMode", offsetof(AnalogFunctionSetting, axisMode), 4},
      {"calibMin", offsetof(AnalogFunctionSetting, calibMin), 8},
      {"calibMax", offsetof(AnalogFunctionSetting, calibMax), 12},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, c.offset) << c.field;

  const char* keys[] = {"VERSION", "DEVICE",    "FORCEFEEDBACK", "LEFT",  "RIGHT",
                        "ACCELE",  "BRAKE",     "SHIFTUP",       "SHIFTDOWN",
                        "SIDEBRAKE", "LIGHT",   "VIEWUP",        "VIEWDOWN"};
  for (int i = 0; i < 13; ++i) EXPECT_STREQ(keys[i], ControlKeyTable[i]) << "index " << i;
  EXPECT_EQ(nullptr, ControlKeyTable[13]);
}

// File bytes -> record. Each load starts from Marked(), so a field the file
// does not name must come through untouched.
TEST(ControlSettingsFileTest, LoadStoresWhatTheFileSays) {
  struct Case {
    const char* name;
    std::string bytes;
    void (*expect)(ControlSettingsRecord&);
  } cases[] = {
      {"empty file", "", [](ControlSettingsRecord&) {}},
      {"blank lines only", "\r\n\r\n   \r\n\t\r\n\n", [](ControlSettingsRecord&) {}},
      {"DEVICE and LEFT", "DEVICE=\"Wheel X\"\r\nLEFT=3,1,-200,900\r\n",
       [](ControlSettingsRecord& r) {
         SetDevice(r, "Wheel X");
         r.left = {3, 1, -200, 900};
       }},
      {"LEFT=3 alone", "LEFT=3\r\n", [](ControlSettingsRecord& r) { r.left = {3, 0, 0, 0}; }},
      {"VERSION=5", "VERSION=5\r\n", [](ControlSettingsRecord& r) { r.version = 5; }},
      {"negatives, last line without line end",
       "FORCEFEEDBACK=-1\r\nBRAKE=-5,-1,-1000,-2147483648\r\nVIEWDOWN=-7",
       [](ControlSettingsRecord& r) {
         r.forceFeedback = -1;
         r.brake = {-5, -1, -1000, INT_MIN};
         r.viewDown = -7;
       }},
      {"unknown keys and other spellings",
       "JUMP=4\r\nLEFTY=9\r\nleft=8\r\nSHIFT=3\r\n;LIGHT=5\r\nLIGHT=6\r\n",
       [](ControlSettingsRecord& r) { r.light = 6; }},
      {"later line wins",
       "LEFT=1,1,1,1\r\nLEFT=2\r\nDEVICE=\"Alpha stick\"\r\nDEVICE=\"B\"\r\nVERSION=2\r\n"
       "VERSION=4\r\n",
       [](ControlSettingsRecord& r) {
         r.left = {2, 0, 0, 0};
         SetDevice(r, "B");
         r.version = 4;
       }},
      {"malformed values",
       "SHIFTUP=abc\r\nSHIFTDOWN=12abc\r\nRIGHT=7,x,3\r\nACCELE=,5\r\nDEVICE=no quote\r\n"
       "VERSION=99999999999\r\nSIDEBRAKE\r\nBRAKE=1 ,2\r\n",
       [](ControlSettingsRecord& r) {
         r.shiftUp = 0;
         r.shiftDown = 12;
         r.right = {7, 0, 0, 0};
         r.accele = {0, 0, 0, 0};
         SetDevice(r, "");
         r.version = INT_MAX;
         r.sideBrake = 0;
         r.brake = {1, 0, 0, 0};
       }},
      {"no range checks",
       "LEFT=500,7,123456,-99999\r\nSHIFTUP=121\r\nVIEWUP=-1\r\nFORCEFEEDBACK=2\r\n",
       [](ControlSettingsRecord& r) {
         r.left = {500, 7, 123456, -99999};
         r.shiftUp = 121;
         r.viewUp = -1;
         r.forceFeedback = 2;
       }},
      {"blanks, spaces around '=', LF and CR line ends",
       "  RIGHT = 4,1,-10,10\nACCELE\t5,1,2,3\rLIGHT==9\n",
       [](ControlSettingsRecord& r) {
         r.right = {4, 1, -10, 10};
         r.accele = {5, 1, 2, 3};
         r.light = 9;
       }},
      {"unclosed quote runs to the line end", "DEVICE=\"Pad 2\r\nLIGHT=1\r\n",
       [](ControlSettingsRecord& r) {
         SetDevice(r, "Pad 2");
         r.light = 1;
       }},
      {"reading stops at a NUL byte", std::string("LEFT=1\r\n\0RIGHT=2\r\n", 19),
       [](ControlSettingsRecord& r) { r.left = {1, 0, 0, 0}; }},
      {"the keyboard's file", kFirstRunKeyboardFile,
       [](ControlSettingsRecord& r) {
         r.version = 1;
         SetDevice(r, KeyboardDeviceName);
         r.forceFeedback = 0;
         r.left = {111, 0, 0, -1000};
         r.right = {112, 0, 0, 1000};
         r.accele = {45, 0, 0, -1000};
         r.brake = {44, 0, 0, 1000};
         r.shiftUp = 114;
         r.shiftDown = 109;
         r.sideBrake = 46;
         r.light = 32;
         r.viewUp = 30;
         r.viewDown = 31;
       }},
  };
  ScratchFolder folder;
  const std::string path = folder.File("input.cfg");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(path, c.bytes);
    ControlSettingsRecord expected = Marked();
    c.expect(expected);
    ControlSettingsRecord actual = Marked();
    EXPECT_TRUE(LoadControlSettings(NativePath(path).c_str(), actual));
    ExpectSameRecord(expected, actual);
  }
}

// A DEVICE line beyond the reader's 255 bytes keeps what fits, terminated,
// and nothing past it reaches the other fields.
TEST(ControlSettingsFileTest, OverlongDeviceLineIsCutNotOverrun) {
  ScratchFolder folder;
  const std::string path = folder.File("input.cfg");
  WriteFileBytes(path, "DEVICE=\"" + std::string(400, 'W') + "\"\r\nLIGHT=4\r\n");
  ControlSettingsRecord actual = Marked();
  ASSERT_TRUE(LoadControlSettings(NativePath(path).c_str(), actual));
  ControlSettingsRecord expected = Marked();
  SetDevice(expected, std::string(255 - 8, 'W').c_str());
  expected.light = 4;
  ExpectSameRecord(expected, actual);
}

TEST(ControlSettingsFileTest, UnreadableFileLeavesTheRecordAlone) {
  ScratchFolder folder;
  MakeFolder(folder.File("folder.cfg"));
  const std::string paths[] = {folder.File("missing.cfg"), folder.File("folder.cfg"),
                               folder.File("no\\such\\dir\\input.cfg"), ""};
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    ControlSettingsRecord actual = Marked();
    EXPECT_FALSE(LoadControlSettings(NativePath(path).c_str(), actual));
    ExpectSameRecord(Marked(), actual);
  }
}

// Record -> file bytes: thirteen lines, CR LF, SHIFTUP before SHIFTDOWN.
TEST(ControlSettingsFileTest, SaveWritesThirteenLines) {
  struct Case {
    const char* name;
    void (*edit)(ControlSettingsRecord&);
    std::string bytes;
  } cases[] = {
      {"cleared record",
       [](ControlSettingsRecord&) {},
       "VERSION=1\r\nDEVICE=\"\"\r\nFORCEFEEDBACK=0\r\nLEFT=0,0,0,0\r\nRIGHT=0,0,0,0\r\n"
       "ACCELE=0,0,0,0\r\nBRAKE=0,0,0,0\r\nSHIFTUP=0\r\nSHIFTDOWN=0\r\nSIDEBRAKE=0\r\n"
       "LIGHT=0\r\nVIEWUP=0\r\nVIEWDOWN=0\r\n"},
      {"a wheel, version 5 kept, negative and extreme values",
       [](ControlSettingsRecord& r) {
         r.version = 5;
         SetDevice(r, "Logi Wheel USB");
         r.forceFeedback = 1;
         r.left = {1, 1, -3, -987};
         r.right = {2, 1, 4, 1000};
         r.accele = {4, 1, INT_MIN, INT_MAX};
         r.brake = {5, 1, 0, -1};
         r.shiftUp = 33;
         r.shiftDown = 32;
         r.sideBrake = 26;
         r.light = 29;
         r.viewUp = 27;
         r.viewDown = -28;
       },
       "VERSION=5\r\nDEVICE=\"Logi Wheel USB\"\r\nFORCEFEEDBACK=1\r\nLEFT=1,1,-3,-987\r\n"
       "RIGHT=2,1,4,1000\r\nACCELE=4,1,-2147483648,2147483647\r\nBRAKE=5,1,0,-1\r\n"
       "SHIFTUP=33\r\nSHIFTDOWN=32\r\nSIDEBRAKE=26\r\nLIGHT=29\r\nVIEWUP=27\r\n"
       "VIEWDOWN=-28\r\n"},
      {"a name that lost its terminator stops at the field's end",
       [](ControlSettingsRecord& r) { std::memset(r.device, 'N', sizeof r.device); },
       "VERSION=1\r\nDEVICE=\"" + std::string(259, 'N') +
           "\"\r\nFORCEFEEDBACK=0\r\nLEFT=0,0,0,0\r\nRIGHT=0,0,0,0\r\n"
           "ACCELE=0,0,0,0\r\nBRAKE=0,0,0,0\r\nSHIFTUP=0\r\nSHIFTDOWN=0\r\nSIDEBRAKE=0\r\n"
           "LIGHT=0\r\nVIEWUP=0\r\nVIEWDOWN=0\r\n"},
  };
  ScratchFolder folder;
  const std::string path = folder.File("input.cfg");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ControlSettingsRecord record = Fresh();
    c.edit(record);
    ASSERT_TRUE(SaveControlSettings(NativePath(path).c_str(), record));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(c.bytes, bytes);
    EXPECT_EQ(1, folder.EntryCount());  // no temporary file left beside it
  }
}

// What a player's first run writes when they keep the keyboard and its preset
// and press OK: the defaults of a missing file, the dialog's choices copied in
// as it copies them.
TEST(ControlSettingsFileTest, FirstRunWithTheKeyboardPresetByteForByte) {
  ScratchFolder folder;
  MakeFolder(folder.File("config"));
  SetProgramDirectory(NativePath(folder.path() + "\\velmora-config.exe").c_str(), false, L"C:\\");
  PrepareControlSettings();
  ASSERT_EQ(0, ControlSettingsLoaded);

  const InputPreset& preset = PresetTable[0];
  SetDevice(ControlSettings, KeyboardDeviceName);
  ControlSettings.forceFeedback = 0;
  AnalogFunctionSetting* analog[] = {&ControlSettings.left, &ControlSettings.right,
                                     &ControlSettings.accele, &ControlSettings.brake};
  for (int i = 0; i < 4; ++i) {
    analog[i]->input = preset.rows[i];
    analog[i]->axisMode = preset.axisMode;
  }
  ControlSettings.shiftDown = preset.rows[4];
  ControlSettings.shiftUp = preset.rows[5];
  ControlSettings.sideBrake = preset.rows[6];
  ControlSettings.light = preset.rows[7];
  ControlSettings.viewUp = preset.rows[8];
  ControlSettings.viewDown = preset.rows[9];

  const std::string path = folder.File("config\\input.cfg");
  ASSERT_TRUE(SaveControlSettings(NativePath(path).c_str(), ControlSettings));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, bytes));
  EXPECT_EQ(std::string(kFirstRunKeyboardFile), bytes);

  // The next run reads back exactly what was saved.
  ControlSettingsRecord saved = ControlSettings;
  PrepareControlSettings();
  EXPECT_EQ(1, ControlSettingsLoaded);
  ExpectSameRecord(saved, ControlSettings);
}

// A saved record loads back into a fresh one unchanged, and a saved file
// saves again to the same bytes.
TEST(ControlSettingsFileTest, SaveAndLoadRoundTrip) {
  ControlSettingsRecord record = Fresh();
  record.version = 7;
  SetDevice(record, "\x83\x4A\x83\x6A pad #2 \x5C (USB)");  // カニ, a trail byte 5C
  record.forceFeedback = 1;
  record.left = {3, 1, -12, -1000};
  record.right = {3, 1, 12, 1000};
  record.accele = {7, 0, -999, 998};
  record.brake = {9, 1, 500, -500};
  record.shiftUp = 56;
  record.shiftDown = 25;
  record.sideBrake = 0;
  record.light = 57;
  record.viewUp = 200;
  record.viewDown = -1;

  ScratchFolder folder;
  const std::string first = folder.File("a.cfg");
  const std::string second = folder.File("b.cfg");
  ASSERT_TRUE(SaveControlSettings(NativePath(first).c_str(), record));
  ControlSettingsRecord loaded = Fresh();
  ASSERT_TRUE(LoadControlSettings(NativePath(first).c_str(), loaded));
  ExpectSameRecord(record, loaded);
  ASSERT_TRUE(SaveControlSettings(NativePath(second).c_str(), loaded));
  std::string a, b;
  ASSERT_TRUE(ReadFileBytes(first, a));
  ASSERT_TRUE(ReadFileBytes(second, b));
  EXPECT_EQ(a, b);
}

// A save that cannot be completed reports false and leaves whatever was
// there exactly as it was.
TEST(ControlSettingsFileTest, FailedSaveKeepsTheOldFile) {
  ControlSettingsRecord record = Marked();
  const std::string old = "VERSION=9\r\nLIGHT=3\r\n";
  {
    SCOPED_TRACE("read-only file");
    ScratchFolder folder;
    const std::string path = folder.File("input.cfg");
    WriteFileBytes(path, old);
    SetReadOnly(path, true);
    EXPECT_FALSE(SaveControlSettings(NativePath(path).c_str(), record));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(old, bytes);
    EXPECT_EQ(1, folder.EntryCount());
  }
  {
    SCOPED_TRACE("folder in the file's place");
    ScratchFolder folder;
    const std::string path = folder.File("input.cfg");
    MakeFolder(path);
    WriteFileBytes(path + "\\keep.txt", old);
    EXPECT_FALSE(SaveControlSettings(NativePath(path).c_str(), record));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path + "\\keep.txt", bytes));
    EXPECT_EQ(old, bytes);
    EXPECT_EQ(1, folder.EntryCount());
  }
  {
    SCOPED_TRACE("missing folder");
    ScratchFolder folder;
    EXPECT_FALSE(SaveControlSettings(NativePath(folder.File("config\\input.cfg")).c_str(), record));
    EXPECT_EQ(0, folder.EntryCount());
  }
  {
    SCOPED_TRACE("empty path");
    EXPECT_FALSE(SaveControlSettings(L"", record));
  }
}

// PrepareControlSettings reads config\input.cfg beside the executable, starting
// from nothing each time: the two columns of defaults and the loaded flag.
TEST(ControlSettingsFileTest, PrepareFromWhatIsOnDisk) {
  enum class Disk { NoConfigFolder, NoFile, File, FolderAsFile };
  struct Case {
    const char* name;
    Disk disk;
    std::string bytes;
    uint8_t loaded;
    void (*expect)(ControlSettingsRecord&);
  } cases[] = {
      {"no config folder", Disk::NoConfigFolder, "", 0,
       [](ControlSettingsRecord& r) {
         r.left = {0, 0, 0, -1000};
         r.right = {0, 0, 0, 1000};
         r.accele = {0, 0, 0, -1000};
         r.brake = {0, 0, 0, 1000};
       }},
      {"no file", Disk::NoFile, "", 0,
       [](ControlSettingsRecord& r) {
         r.left = {0, 0, 0, -1000};
         r.right = {0, 0, 0, 1000};
         r.accele = {0, 0, 0, -1000};
         r.brake = {0, 0, 0, 1000};
       }},
      {"a folder named input.cfg", Disk::FolderAsFile, "", 0,
       [](ControlSettingsRecord& r) {
         r.left = {0, 0, 0, -1000};
         r.right = {0, 0, 0, 1000};
         r.accele = {0, 0, 0, -1000};
         r.brake = {0, 0, 0, 1000};
       }},
      {"empty file", Disk::File, "", 1, [](ControlSettingsRecord&) {}},
      {"blank lines", Disk::File, "\r\n \r\n\r\n", 1, [](ControlSettingsRecord&) {}},
      {"only DEVICE and LEFT", Disk::File, "DEVICE=\"Pad\"\r\nLEFT=1,1,-5,900\r\n", 1,
       [](ControlSettingsRecord& r) {
         SetDevice(r, "Pad");
         r.left = {1, 1, -5, 900};
       }},
      {"LEFT=3 alone", Disk::File, "LEFT=3\r\n", 1,
       [](ControlSettingsRecord& r) { r.left = {3, 0, 0, 0}; }},
      {"VERSION=5", Disk::File, "VERSION=5\r\n", 1,
       [](ControlSettingsRecord& r) { r.version = 5; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    if (c.disk != Disk::NoConfigFolder) MakeFolder(folder.File("config"));
    if (c.disk == Disk::File) WriteFileBytes(folder.File("config\\input.cfg"), c.bytes);
    if (c.disk == Disk::FolderAsFile) MakeFolder(folder.File("config\\input.cfg"));
    SetProgramDirectory(NativePath(folder.path() + "\\velmora-config.exe").c_str(), false, L"C:\\");

    // Whatever an earlier run left in memory must not survive.
    std::memset(&ControlSettings, 0x5A, sizeof ControlSettings);
    ControlSettingsLoaded = c.loaded ? 0 : 1;
    PrepareControlSettings();
    EXPECT_EQ(c.loaded, ControlSettingsLoaded);
    ControlSettingsRecord expected = Fresh();
    c.expect(expected);
    ExpectSameRecord(expected, ControlSettings);
  }
}

// VERSION is carried through a run unchanged: read 5, written 5; no VERSION
// line, written as 1.
TEST(ControlSettingsFileTest, VersionIsKeptThroughARun) {
  struct Case {
    std::string file;
    const char* firstLine;
  } cases[] = {
      {"VERSION=5\r\nLIGHT=2\r\n", "VERSION=5\r\n"},
      {"LIGHT=2\r\n", "VERSION=1\r\n"},
      {"VERSION=-3\r\n", "VERSION=-3\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ScratchFolder folder;
    MakeFolder(folder.File("config"));
    const std::string path = folder.File("config\\input.cfg");
    WriteFileBytes(path, c.file);
    SetProgramDirectory(NativePath(folder.path() + "\\velmora-config.exe").c_str(), false, L"C:\\");
    PrepareControlSettings();
    ASSERT_TRUE(SaveControlSettings(NativePath(path).c_str(), ControlSettings));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(c.firstLine, bytes.substr(0, std::strlen(c.firstLine)));
  }
}

}  // namespace
