#include "controls/input_tables.h"

#include "controls/input_manager.h"
#include "resources/resource_ids.h"

// The game reads the row index stored in config\input.cfg, never the name, so
// rows are only ever appended to by a new game version, never moved. The key
// names are the DirectInput key constants without DIK_, the code beside each is
// that constant's value.
const InputTableRow KeyNameTable[kKeyNameRows + 1] = {
    {"NONE", 0},             // 0
    {"ESCAPE", 1},           // 1
    {"1", 2},                // 2
    {"2", 3},                // 3
    {"3", 4},                // 4
    {"4", 5},                // 5
    {"5", 6},                // 6
    {"6", 7},                // 7
    {"7", 8},                // 8
    {"8", 9},                // 9
    {"9", 10},               // 10
    {"0", 11},               // 11
    {"MINUS", 12},           // 12
    {"EQUALS", 13},          // 13
    {"BACK", 14},            // 14
    {"TAB", 15},             // 15
    {"Q", 16},               // 16
    {"W", 17},               // 17
    {"E", 18},               // 18
    {"R", 19},               // 19
    {"T", 20},               // 20
    {"Y", 21},               // 21
    {"U", 22},               // 22
    {"I", 23},               // 23
    {"O", 24},               // 24
    {"P", 25},               // 25
    {"LBRACKET", 26},        // 26
    {"RBRACKET", 27},        // 27
    {"RETURN", 28},          // 28
    {"LCONTROL", 29},        // 29
    {"A", 30},               // 30
    {"S", 31},               // 31
    {"D", 32},               // 32
    {"F", 33},               // 33
    {"G", 34},               // 34
    {"H", 35},               // 35
    {"J", 36},               // 36
    {"K", 37},               // 37
    {"L", 38},               // 38
    {"SEMICOLON", 39},       // 39
    {"APOSTROPHE", 40},      // 40
    {"GRAVE", 41},           // 41
    {"LSHIFT", 42},          // 42
    {"BACKSLASH", 43},       // 43
    {"Z", 44},               // 44
    {"X", 45},               // 45
    {"C", 46},               // 46
    {"V", 47},               // 47
    {"B", 48},               // 48
    {"N", 49},               // 49
    {"M", 50},               // 50
    {"COMMA", 51},           // 51
    {"PERIOD", 52},          // 52
    {"SLASH", 53},           // 53
    {"RSHIFT", 54},          // 54
    {"MULTIPLY", 55},        // 55
    {"LMENU", 56},           // 56
    {"SPACE", 57},           // 57
    {"CAPITAL", 58},         // 58
    {"F1", 59},              // 59
    {"F2", 60},              // 60
    {"F3", 61},              // 61
    {"F4", 62},              // 62
    {"F5", 63},              // 63
    {"F6", 64},              // 64
    {"F7", 65},              // 65
    {"F8", 66},              // 66
    {"F9", 67},              // 67
    {"F10", 68},             // 68
    {"NUMLOCK", 69},         // 69
    {"SCROLL", 70},          // 70
    {"NUMPAD7", 71},         // 71
    {"NUMPAD8", 72},         // 72
    {"NUMPAD9", 73},         // 73
    {"SUBTRACT", 74},        // 74
    {"NUMPAD4", 75},         // 75
    {"NUMPAD5", 76},         // 76
    {"NUMPAD6", 77},         // 77
    {"ADD", 78},             // 78
    {"NUMPAD1", 79},         // 79
    {"NUMPAD2", 80},         // 80
    {"NUMPAD3", 81},         // 81
    {"NUMPAD0", 82},         // 82
    {"DECIMAL", 83},         // 83
    {"F11", 87},             // 84
    {"F12", 88},             // 85
    {"F13", 100},            // 86
    {"F14", 101},            // 87
    {"F15", 102},            // 88
    {"KANA", 112},           // 89
    {"CONVERT", 121},        // 90
    {"NOCONVERT", 123},      // 91
    {"YEN", 125},            // 92
    {"NUMPADEQUALS", 141},   // 93
    {"CIRCUMFLEX", 144},     // 94
    {"AT", 145},             // 95
    {"COLON", 146},          // 96
    {"UNDERLINE", 147},      // 97
    {"KANJI", 148},          // 98
    {"STOP", 149},           // 99
    {"AX", 150},             // 100
    {"UNLABELED", 151},      // 101
    {"NUMPADENTER", 156},    // 102
    {"RCONTROL", 157},       // 103
    {"NUMPADCOMMA", 179},    // 104
    {"DIVIDE", 181},         // 105
    {"SYSRQ", 183},          // 106
    {"RMENU", 184},          // 107
    {"HOME", 199},           // 108
    {"UP", 200},             // 109
    {"PRIOR", 201},          // 110
    {"LEFT", 203},           // 111
    {"RIGHT", 205},          // 112
    {"END", 207},            // 113
    {"DOWN", 208},           // 114
    {"NEXT", 209},           // 115
    {"INSERT", 210},         // 116
    {"DELETE", 211},         // 117
    {"LWIN", 219},           // 118
    {"RWIN", 220},           // 119
    {"APPS", 221},           // 120
    {nullptr, 255},
};

// Controller inputs. The names are code page 932 bytes (the game and older
// files compare them as such); every byte is escaped so that no following hex
// digit can run into an escape. Rows 3k+1..3k+3 are the negative half, the
// positive half and the whole of axis k; from lZ on the half ending in "＋" is
// the negative one. Rows 25.. are buttons 0..31.
const InputTableRow JoystickInputTable[kJoystickInputRows + 1] = {
    {"\x82\xC8\x82\xB5", 0},                         // 0 なし
    {"\x8D\xB6", 1},                                 // 1 左
    {"\x89\x45", 2},                                 // 2 右
    {"\x8D\xB6\x89\x45", 3},                         // 3 左右
    {"\x8F\xE3", 4},                                 // 4 上
    {"\x89\xBA", 5},                                 // 5 下
    {"\x8F\xE3\x89\xBA", 6},                         // 6 上下
    {"\x82\x79\x8E\xB2\x81\x7B", 7},                 // 7 Ｚ軸＋
    {"\x82\x79\x8E\xB2\x81\x7C", 8},                 // 8 Ｚ軸－
    {"\x82\x79\x8E\xB2", 9},                         // 9 Ｚ軸
    {"\x82\x71\x82\x77\x81\x7B", 10},                // 10 ＲＸ＋
    {"\x82\x71\x82\x77\x81\x7C", 11},                // 11 ＲＸ－
    {"\x82\x71\x82\x77", 12},                        // 12 ＲＸ
    {"\x82\x71\x82\x78\x81\x7B", 13},                // 13 ＲＹ＋
    {"\x82\x71\x82\x78\x81\x7C", 14},                // 14 ＲＹ－
    {"\x82\x71\x82\x78", 15},                        // 15 ＲＹ
    {"\x82\x71\x82\x79\x81\x7B", 16},                // 16 ＲＺ＋
    {"\x82\x71\x82\x79\x81\x7C", 17},                // 17 ＲＺ－
    {"\x82\x71\x82\x79", 18},                        // 18 ＲＺ
    {"\x82\x72\x82\x50\x81\x7B", 19},                // 19 Ｓ１＋
    {"\x82\x72\x82\x50\x81\x7C", 20},                // 20 Ｓ１－
    {"\x82\x72\x82\x50", 21},                        // 21 Ｓ１
    {"\x82\x72\x82\x51\x81\x7B", 22},                // 22 Ｓ２＋
    {"\x82\x72\x82\x51\x81\x7C", 23},                // 23 Ｓ２－
    {"\x82\x72\x82\x51", 24},                        // 24 Ｓ２
    {"\x83\x7B\x83\x5E\x83\x93\x82\x50", 25},        // 25 ボタン１
    {"\x83\x7B\x83\x5E\x83\x93\x82\x51", 26},        // 26 ボタン２
    {"\x83\x7B\x83\x5E\x83\x93\x82\x52", 27},        // 27 ボタン３
    {"\x83\x7B\x83\x5E\x83\x93\x82\x53", 28},        // 28 ボタン４
    {"\x83\x7B\x83\x5E\x83\x93\x82\x54", 29},        // 29 ボタン５
    {"\x83\x7B\x83\x5E\x83\x93\x82\x55", 30},        // 30 ボタン６
    {"\x83\x7B\x83\x5E\x83\x93\x82\x56", 31},        // 31 ボタン７
    {"\x83\x7B\x83\x5E\x83\x93\x82\x57", 32},        // 32 ボタン８
    {"\x83\x7B\x83\x5E\x83\x93\x82\x58", 33},        // 33 ボタン９
    {"\x83\x7B\x83\x5E\x83\x93\x82\x50\x82\x4F", 34}, // 34 ボタン１０
    {"\x83\x7B\x83\x5E\x83\x93\x82\x50\x82\x50", 35}, // 35 ボタン１１
    {"\x83\x7B\x83\x5E\x83\x93\x82\x50\x82\x51", 36}, // 36 ボタン１２
    {"\x83\x7B\x83\x5E\x83\x93\x82\x50\x82\x52", 37}, // 37 ボタン１３
    {"\x83\x7B\x83\x5E\x83\x93\x82\x50\x82\x53", 38}, // 38 ボタン１４
    {"\x83\x7B\x83\x5E\x83\x93\x82\x50\x82\x54", 39}, // 39 ボタン１５
    {"\x83\x7B\x83\x5E\x83\x93\x82\x50\x82\x55", 40}, // 40 ボタン１６
    {"\x83\x7B\x83\x5E\x83\x93\x82\x50\x82\x56", 41}, // 41 ボタン１７
    {"\x83\x7B\x83\x5E\x83\x93\x82\x50\x82\x57", 42}, // 42 ボタン１８
    {"\x83\x7B\x83\x5E\x83\x93\x82\x50\x82\x58", 43}, // 43 ボタン１９
    {"\x83\x7B\x83\x5E\x83\x93\x82\x51\x82\x4F", 44}, // 44 ボタン２０
    {"\x83\x7B\x83\x5E\x83\x93\x82\x51\x82\x50", 45}, // 45 ボタン２１
    {"\x83\x7B\x83\x5E\x83\x93\x82\x51\x82\x51", 46}, // 46 ボタン２２
    {"\x83\x7B\x83\x5E\x83\x93\x82\x51\x82\x52", 47}, // 47 ボタン２３
    {"\x83\x7B\x83\x5E\x83\x93\x82\x51\x82\x53", 48}, // 48 ボタン２４
    {"\x83\x7B\x83\x5E\x83\x93\x82\x51\x82\x54", 49}, // 49 ボタン２５
    {"\x83\x7B\x83\x5E\x83\x93\x82\x51\x82\x55", 50}, // 50 ボタン２６
    {"\x83\x7B\x83\x5E\x83\x93\x82\x51\x82\x56", 51}, // 51 ボタン２７
    {"\x83\x7B\x83\x5E\x83\x93\x82\x51\x82\x57", 52}, // 52 ボタン２８
    {"\x83\x7B\x83\x5E\x83\x93\x82\x51\x82\x58", 53}, // 53 ボタン２９
    {"\x83\x7B\x83\x5E\x83\x93\x82\x52\x82\x4F", 54}, // 54 ボタン３０
    {"\x83\x7B\x83\x5E\x83\x93\x82\x52\x82\x50", 55}, // 55 ボタン３１
    {"\x83\x7B\x83\x5E\x83\x93\x82\x52\x82\x51", 56}, // 56 ボタン３２
    {nullptr, 255},
};

// キーボード
const char KeyboardDeviceName[] = "\x83\x4C\x81\x5B\x83\x7B\x81\x5B\x83\x68";

namespace {

// What the controller rows show in the English interface: the stored row is
// the same in both, only its name differs. Each half of an axis is named by
// its true sign (row 7 is the negative half of Z), in ASCII.
const char* const kJoystickInputEnglishNames[kJoystickInputRows] = {
    "None",                                   // 0
    "X axis -", "X axis +", "X axis",         // 1..3
    "Y axis -", "Y axis +", "Y axis",         // 4..6
    "Z axis -", "Z axis +", "Z axis",         // 7..9
    "Rx axis -", "Rx axis +", "Rx axis",      // 10..12
    "Ry axis -", "Ry axis +", "Ry axis",      // 13..15
    "Rz axis -", "Rz axis +", "Rz axis",      // 16..18
    "Slider 1 -", "Slider 1 +", "Slider 1",   // 19..21
    "Slider 2 -", "Slider 2 +", "Slider 2",   // 22..24
    "Button 1", "Button 2", "Button 3", "Button 4", "Button 5", "Button 6", "Button 7",
    "Button 8", "Button 9", "Button 10", "Button 11", "Button 12", "Button 13", "Button 14",
    "Button 15", "Button 16", "Button 17", "Button 18", "Button 19", "Button 20", "Button 21",
    "Button 22", "Button 23", "Button 24", "Button 25", "Button 26", "Button 27", "Button 28",
    "Button 29", "Button 30", "Button 31", "Button 32",
};

}  // namespace

const InterfaceText KeyboardDeviceText = {KeyboardDeviceName, "Keyboard"};

// LEFT, RIGHT, ACCELE, BRAKE, SHIFTDOWN, SHIFTUP, SIDEBRAKE, LIGHT, VIEWUP,
// VIEWDOWN: the order the lists are filled and preset in.
const int FunctionComboIds[kFunctionCount] = {
    IDC_CONTROL_LEFT,      IDC_CONTROL_RIGHT,     IDC_CONTROL_ACCELE, IDC_CONTROL_BRAKE,
    IDC_CONTROL_SHIFTDOWN, IDC_CONTROL_SHIFTUP,   IDC_CONTROL_SIDEBRAKE,
    IDC_CONTROL_LIGHT,     IDC_CONTROL_VIEWUP,    IDC_CONTROL_VIEWDOWN,
};

const char* const AxisMode[kAxisModeCount] = {"Digital", "Analog"};

const AxisModeCombo AxisModeComboIds[kModeListCount] = {
    {IDC_CONTROL_LEFT_MODE, IDC_CONTROL_CALIBRATE_LEFT},      // steering, both LEFT and RIGHT
    {IDC_CONTROL_ACCELE_MODE, IDC_CONTROL_CALIBRATE_ACCELE},  // accelerator
    {IDC_CONTROL_BRAKE_MODE, IDC_CONTROL_CALIBRATE_BRAKE},    // brake
};

// Rows in FunctionComboIds order. Preset 0 indexes KeyNameTable, the others
// JoystickInputTable. In the keyboard preset SHIFTDOWN is the up arrow and
// SHIFTUP the down arrow, as players of the game know them.
const InputPreset PresetTable[kPresetCount] = {
    // LEFT, RIGHT, X (accelerator), Z (brake), UP, DOWN, C, D, A, S
    {{111, 112, 45, 44, 109, 114, 46, 32, 30, 31}, 0},
    // wheel, flight stick, rudder: stick left/right, up accelerates, down
    // brakes, buttons 8 and 9 shift; analog on all three mode lists
    {{1, 2, 4, 5, 32, 33, 26, 29, 27, 28}, 1},
    // gamepad, traditional joystick: buttons 1 and 3 for the pedals, no side
    // brake and no light
    {{1, 2, 25, 27, 29, 30, 0, 0, 28, 26}, 0},
    // any other controller; every row here also exists in KeyNameTable
    {{1, 2, 4, 5, 25, 26, 27, 28, 29, 30}, 0},
};

const char* ShownInputName(const InputTableRow* table, int row) {
  bool controller = table == JoystickInputTable;
  if (row < 0 || row >= (controller ? kJoystickInputRows : kKeyNameRows)) return nullptr;
  if (controller && !KoreanInterface()) return kJoystickInputEnglishNames[row];
  return table[row].name;
}

bool ShownInputNamesAreGameText(const InputTableRow* table) {
  return table == JoystickInputTable && KoreanInterface();
}

namespace {

constexpr int kKeyboardPreset = 0;
constexpr int kGamepadPreset = 2;
constexpr int kGenericPreset = 3;

}  // namespace

int PresetForDevice(const InputManager& manager, int deviceRow) {
  if (deviceRow == 0) return kKeyboardPreset;
  // A row the manager does not hold (a stale selection, CB_ERR) has no record
  // to look at. The generic preset is the safe answer: its rows exist in both
  // tables, so whichever list it lands in shows a real row.
  int count = manager.joystickCount;
  if (count > kMaxJoysticks) count = kMaxJoysticks;
  if (deviceRow < 0 || deviceRow > count) return kGenericPreset;
  switch (manager.joystickRecords[deviceRow - 1].subtype) {
    case DIDEVTYPEJOYSTICK_FLIGHTSTICK:
    case DIDEVTYPEJOYSTICK_RUDDER:
    case DIDEVTYPEJOYSTICK_WHEEL:
      return kSteeringPreset;
    case DIDEVTYPEJOYSTICK_TRADITIONAL:
    case DIDEVTYPEJOYSTICK_GAMEPAD:
      return kGamepadPreset;
    default:
      return kGenericPreset;
  }
}
