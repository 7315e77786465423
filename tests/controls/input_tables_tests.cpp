// The input tables are the file's contract with the game: config\input.cfg
// stores row indices into them, and the game compares the Japanese names as
// code page 932 bytes. These tests pin every row and every preset.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "controls/input_manager.h"
#include "controls/input_tables.h"
#include "program/cp932_text.h"

namespace {

std::wstring Decode(const char* cp932) {
  wchar_t wide[128];
  WideFromCp932(cp932, wide, 128);
  return wide;
}

std::string Hex(const char* bytes) {
  std::string out;
  char pair[4];
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes); *p; ++p) {
    std::snprintf(pair, sizeof pair, out.empty() ? "%02X" : " %02X", *p);
    out += pair;
  }
  return out;
}

int CountRows(const InputTableRow* table) {
  int rows = 0;
  while (table[rows].name != nullptr && rows < 1000) ++rows;
  return rows;
}

TEST(InputTablesTest, TablesEndAfterTheirLastRowWithCode255) {
  struct Case {
    const char* table;
    const InputTableRow* rows;
    int expected;
  } cases[] = {
      {"KeyNameTable", KeyNameTable, 121},
      {"JoystickInputTable", JoystickInputTable, 57},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    EXPECT_EQ(c.expected, CountRows(c.rows));
    EXPECT_EQ(nullptr, c.rows[c.expected].name);
    EXPECT_EQ(255, c.rows[c.expected].code);
    for (int row = 0; row < c.expected; ++row)
      EXPECT_GT(std::strlen(c.rows[row].name), 0u) << "row " << row;
  }
  EXPECT_EQ(kKeyNameRows, 121);
  EXPECT_EQ(kJoystickInputRows, 57);
  EXPECT_EQ(kFirstButtonRow + kJoystickButtonRows, kJoystickInputRows);
  EXPECT_EQ(3 * kJoystickAxisCount + 1, kFirstButtonRow);
}

// Every key row against the DirectInput key constant of the same name, so a
// row whose name and code disagree, or a row moved, shows up here.
#define KEY(row, name) {row, #name, DIK_##name}
TEST(InputTablesTest, EveryKeyRowNamesItsDirectInputKey) {
  struct Case {
    int row;
    const char* name;
    int code;
  } cases[] = {
      {0, "NONE", 0},
      KEY(1, ESCAPE), KEY(2, 1), KEY(3, 2), KEY(4, 3), KEY(5, 4), KEY(6, 5), KEY(7, 6),
      KEY(8, 7), KEY(9, 8), KEY(10, 9), KEY(11, 0), KEY(12, MINUS), KEY(13, EQUALS),
      KEY(14, BACK), KEY(15, TAB), KEY(16, Q), KEY(17, W), KEY(18, E), KEY(19, R),
      KEY(20, T), KEY(21, Y), KEY(22, U), KEY(23, I), KEY(24, O), KEY(25, P),
      KEY(26, LBRACKET), KEY(27, RBRACKET), KEY(28, RETURN), KEY(29, LCONTROL), KEY(30, A),
      KEY(31, S), KEY(32, D), KEY(33, F), KEY(34, G), KEY(35, H), KEY(36, J), KEY(37, K),
      KEY(38, L), KEY(39, SEMICOLON), KEY(40, APOSTROPHE), KEY(41, GRAVE), KEY(42, LSHIFT),
      KEY(43, BACKSLASH), KEY(44, Z), KEY(45, X), KEY(46, C), KEY(47, V), KEY(48, B),
      KEY(49, N), KEY(50, M), KEY(51, COMMA), KEY(52, PERIOD), KEY(53, SLASH),
      KEY(54, RSHIFT), KEY(55, MULTIPLY), KEY(56, LMENU), KEY(57, SPACE), KEY(58, CAPITAL),
      KEY(59, F1), KEY(60, F2), KEY(61, F3), KEY(62, F4), KEY(63, F5), KEY(64, F6),
      KEY(65, F7), KEY(66, F8), KEY(67, F9), KEY(68, F10), KEY(69, NUMLOCK),
      KEY(70, SCROLL), KEY(71, NUMPAD7), KEY(72, NUMPAD8), KEY(73, NUMPAD9),
      KEY(74, SUBTRACT), KEY(75, NUMPAD4), KEY(76, NUMPAD5), KEY(77, NUMPAD6), KEY(78, ADD),
      KEY(79, NUMPAD1), KEY(80, NUMPAD2), KEY(81, NUMPAD3), KEY(82, NUMPAD0),
      KEY(83, DECIMAL), KEY(84, F11), KEY(85, F12), KEY(86, F13), KEY(87, F14),
      KEY(88, F15), KEY(89, KANA), KEY(90, CONVERT), KEY(91, NOCONVERT), KEY(92, YEN),
      KEY(93, NUMPADEQUALS), KEY(94, CIRCUMFLEX), KEY(95, AT), KEY(96, COLON),
      KEY(97, UNDERLINE), KEY(98, KANJI), KEY(99, STOP), KEY(100, AX), KEY(101, UNLABELED),
      KEY(102, NUMPADENTER), KEY(103, RCONTROL), KEY(104, NUMPADCOMMA), KEY(105, DIVIDE),
      KEY(106, SYSRQ), KEY(107, RMENU), KEY(108, HOME), KEY(109, UP), KEY(110, PRIOR),
      KEY(111, LEFT), KEY(112, RIGHT), KEY(113, END), KEY(114, DOWN), KEY(115, NEXT),
      KEY(116, INSERT), KEY(117, DELETE), KEY(118, LWIN), KEY(119, RWIN), KEY(120, APPS),
  };
  ASSERT_EQ(121u, sizeof cases / sizeof cases[0]);
  for (const Case& c : cases) {
    EXPECT_STREQ(c.name, KeyNameTable[c.row].name) << "row " << c.row;
    EXPECT_EQ(c.code, KeyNameTable[c.row].code) << "row " << c.row << " " << c.name;
  }
  // Up to DECIMAL the code is the row; F11 is the first row where they part.
  for (int row = 0; row <= 83; ++row) EXPECT_EQ(row, KeyNameTable[row].code);
  EXPECT_STREQ("F11", KeyNameTable[84].name);
  EXPECT_EQ(87, KeyNameTable[84].code);
}
#undef KEY

// Every controller row decoded from code page 932 against the text it means,
// written out as Unicode here.
TEST(InputTablesTest, EveryJoystickRowDecodesToItsJapaneseName) {
  struct Case {
    int row;
    const wchar_t* text;
    int code;
  } cases[] = {
    {0, L"\u306A\u3057", 0},  // なし
    {1, L"\u5DE6", 1},  // 左
    {2, L"\u53F3", 2},  // 右
    {3, L"\u5DE6\u53F3", 3},  // 左右
    {4, L"\u4E0A", 4},  // 上
    {5, L"\u4E0B", 5},  // 下
    {6, L"\u4E0A\u4E0B", 6},  // 上下
    {7, L"\uFF3A\u8EF8\uFF0B", 7},  // Ｚ軸＋
    {8, L"\uFF3A\u8EF8\uFF0D", 8},  // Ｚ軸－
    {9, L"\uFF3A\u8EF8", 9},  // Ｚ軸
    {10, L"\uFF32\uFF38\uFF0B", 10},  // ＲＸ＋
    {11, L"\uFF32\uFF38\uFF0D", 11},  // ＲＸ－
    {12, L"\uFF32\uFF38", 12},  // ＲＸ
    {13, L"\uFF32\uFF39\uFF0B", 13},  // ＲＹ＋
    {14, L"\uFF32\uFF39\uFF0D", 14},  // ＲＹ－
    {15, L"\uFF32\uFF39", 15},  // ＲＹ
    {16, L"\uFF32\uFF3A\uFF0B", 16},  // ＲＺ＋
    {17, L"\uFF32\uFF3A\uFF0D", 17},  // ＲＺ－
    {18, L"\uFF32\uFF3A", 18},  // ＲＺ
    {19, L"\uFF33\uFF11\uFF0B", 19},  // Ｓ１＋
    {20, L"\uFF33\uFF11\uFF0D", 20},  // Ｓ１－
    {21, L"\uFF33\uFF11", 21},  // Ｓ１
    {22, L"\uFF33\uFF12\uFF0B", 22},  // Ｓ２＋
    {23, L"\uFF33\uFF12\uFF0D", 23},  // Ｓ２－
    {24, L"\uFF33\uFF12", 24},  // Ｓ２
    {25, L"\u30DC\u30BF\u30F3\uFF11", 25},  // ボタン１
    {26, L"\u30DC\u30BF\u30F3\uFF12", 26},  // ボタン２
    {27, L"\u30DC\u30BF\u30F3\uFF13", 27},  // ボタン３
    {28, L"\u30DC\u30BF\u30F3\uFF14", 28},  // ボタン４
    {29, L"\u30DC\u30BF\u30F3\uFF15", 29},  // ボタン５
    {30, L"\u30DC\u30BF\u30F3\uFF16", 30},  // ボタン６
    {31, L"\u30DC\u30BF\u30F3\uFF17", 31},  // ボタン７
    {32, L"\u30DC\u30BF\u30F3\uFF18", 32},  // ボタン８
    {33, L"\u30DC\u30BF\u30F3\uFF19", 33},  // ボタン９
    {34, L"\u30DC\u30BF\u30F3\uFF11\uFF10", 34},  // ボタン１０
    {35, L"\u30DC\u30BF\u30F3\uFF11\uFF11", 35},  // ボタン１１
    {36, L"\u30DC\u30BF\u30F3\uFF11\uFF12", 36},  // ボタン１２
    {37, L"\u30DC\u30BF\u30F3\uFF11\uFF13", 37},  // ボタン１３
    {38, L"\u30DC\u30BF\u30F3\uFF11\uFF14", 38},  // ボタン１４
    {39, L"\u30DC\u30BF\u30F3\uFF11\uFF15", 39},  // ボタン１５
    {40, L"\u30DC\u30BF\u30F3\uFF11\uFF16", 40},  // ボタン１６
    {41, L"\u30DC\u30BF\u30F3\uFF11\uFF17", 41},  // ボタン１７
    {42, L"\u30DC\u30BF\u30F3\uFF11\uFF18", 42},  // ボタン１８
    {43, L"\u30DC\u30BF\u30F3\uFF11\uFF19", 43},  // ボタン１９
    {44, L"\u30DC\u30BF\u30F3\uFF12\uFF10", 44},  // ボタン２０
    {45, L"\u30DC\u30BF\u30F3\uFF12\uFF11", 45},  // ボタン２１
    {46, L"\u30DC\u30BF\u30F3\uFF12\uFF12", 46},  // ボタン２２
    {47, L"\u30DC\u30BF\u30F3\uFF12\uFF13", 47},  // ボタン２３
    {48, L"\u30DC\u30BF\u30F3\uFF12\uFF14", 48},  // ボタン２４
    {49, L"\u30DC\u30BF\u30F3\uFF12\uFF15", 49},  // ボタン２５
    {50, L"\u30DC\u30BF\u30F3\uFF12\uFF16", 50},  // ボタン２６
    {51, L"\u30DC\u30BF\u30F3\uFF12\uFF17", 51},  // ボタン２７
    {52, L"\u30DC\u30BF\u30F3\uFF12\uFF18", 52},  // ボタン２８
    {53, L"\u30DC\u30BF\u30F3\uFF12\uFF19", 53},  // ボタン２９
    {54, L"\u30DC\u30BF\u30F3\uFF13\uFF10", 54},  // ボタン３０
    {55, L"\u30DC\u30BF\u30F3\uFF13\uFF11", 55},  // ボタン３１
    {56, L"\u30DC\u30BF\u30F3\uFF13\uFF12", 56},  // ボタン３２
  };
  ASSERT_EQ(57u, sizeof cases / sizeof cases[0]);
  for (const Case& c : cases) {
    const char* name = JoystickInputTable[c.row].name;
    ASSERT_NE(nullptr, name) << "row " << c.row;
    EXPECT_EQ(std::wstring(c.text), Decode(name)) << "row " << c.row << ": " << Hex(name);
    EXPECT_EQ(c.code, JoystickInputTable[c.row].code);
    // Strictly valid code page 932 that encodes back to the very same bytes:
    // no byte the game would read differently.
    int length = static_cast<int>(std::strlen(name));
    wchar_t wide[64];
    int units = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, name, length, wide, 64);
    ASSERT_GT(units, 0) << "row " << c.row;
    char back[128];
    int bytes = WideCharToMultiByte(932, 0, wide, units, back, sizeof back, nullptr, nullptr);
    EXPECT_EQ(std::string(name), std::string(back, bytes > 0 ? bytes : 0)) << "row " << c.row;
  }
}

// The bytes the game compares, spelled out.
TEST(InputTablesTest, JapaneseBytesAreTheGamesOwn) {
  EXPECT_EQ("83 4C 81 5B 83 7B 81 5B 83 68", Hex(KeyboardDeviceName));
  EXPECT_EQ(L"\u30AD\u30FC\u30DC\u30FC\u30C9", Decode(KeyboardDeviceName));  // キーボード
  EXPECT_EQ("82 C8 82 B5", Hex(JoystickInputTable[0].name));                 // なし

  // From lZ on, each axis has "＋" (81 7B), "－" (81 7C), then the bare name.
  for (int axis = 2; axis < kJoystickAxisCount; ++axis) {
    SCOPED_TRACE(axis);
    std::string plus = Hex(JoystickInputTable[3 * axis + 1].name);
    std::string minus = Hex(JoystickInputTable[3 * axis + 2].name);
    std::string whole = Hex(JoystickInputTable[3 * axis + 3].name);
    EXPECT_EQ(whole + " 81 7B", plus);
    EXPECT_EQ(whole + " 81 7C", minus);
  }

  // "ボタン" and button number i + 1 in full-width digits, "０" = 82 4F .. "９" = 82 58.
  for (int button = 0; button < kJoystickButtonRows; ++button) {
    std::string expected = "83 7B 83 5E 83 93";
    std::string number = std::to_string(button + 1);
    for (char digit : number) {
      char pair[8];
      std::snprintf(pair, sizeof pair, " 82 %02X", 0x4F + (digit - '0'));
      expected += pair;
    }
    EXPECT_EQ(expected, Hex(JoystickInputTable[kFirstButtonRow + button].name))
        << "button " << button;
  }
}

TEST(InputTablesTest, FunctionAndModeListsInTheirFixedOrder) {
  // LEFT, RIGHT, ACCELE, BRAKE, SHIFTDOWN, SHIFTUP, SIDEBRAKE, LIGHT, VIEWUP, VIEWDOWN
  const int functions[kFunctionCount] = {1006, 1014, 1007, 1009, 1011,
                                         1010, 1018, 1020, 1012, 1017};
  for (int i = 0; i < kFunctionCount; ++i)
    EXPECT_EQ(functions[i], FunctionComboIds[i]) << "position " << i;

  EXPECT_STREQ("Digital", AxisMode[0]);
  EXPECT_STREQ("Analog", AxisMode[1]);

  const AxisModeCombo modes[kModeListCount] = {{1013, 1021}, {1015, 1023}, {1016, 1022}};
  for (int i = 0; i < kModeListCount; ++i) {
    EXPECT_EQ(modes[i].modeListId, AxisModeComboIds[i].modeListId) << "position " << i;
    EXPECT_EQ(modes[i].calibrateButtonId, AxisModeComboIds[i].calibrateButtonId)
        << "position " << i;
  }
}

int KeyRowNamed(const char* name) {
  for (int row = 0; KeyNameTable[row].name != nullptr; ++row)
    if (std::strcmp(KeyNameTable[row].name, name) == 0) return row;
  return -1;
}

int JoystickRowNamed(const wchar_t* text) {
  for (int row = 0; JoystickInputTable[row].name != nullptr; ++row)
    if (Decode(JoystickInputTable[row].name) == text) return row;
  return -1;
}

// The presets by the names the player sees, then as the bare rows the file
// stores, so both a wrong row and a renamed row are caught.
TEST(InputTablesTest, FourPresetsAndTheirModes) {
  const char* keyboard[kFunctionCount] = {"LEFT", "RIGHT", "X", "Z", "UP",
                                          "DOWN", "C",     "D", "A", "S"};
  const wchar_t* left = L"\u5DE6";                      // 左
  const wchar_t* right = L"\u53F3";                     // 右
  const wchar_t* up = L"\u4E0A";                        // 上
  const wchar_t* down = L"\u4E0B";                      // 下
  const wchar_t* none = L"\u306A\u3057";                // なし
  auto button = [](int n) {                             // ボタンｎ
    static std::wstring texts[10];
    texts[n] = std::wstring(L"\u30DC\u30BF\u30F3") + static_cast<wchar_t>(0xFF10 + n);
    return texts[n].c_str();
  };
  const wchar_t* joystick[3][kFunctionCount] = {
      {left, right, up, down, button(8), button(9), button(2), button(5), button(3), button(4)},
      {left, right, button(1), button(3), button(5), button(6), none, none, button(4),
       button(2)},
      {left, right, up, down, button(1), button(2), button(3), button(4), button(5), button(6)},
  };
  const int bare[kPresetCount][kFunctionCount] = {
      {111, 112, 45, 44, 109, 114, 46, 32, 30, 31},
      {1, 2, 4, 5, 32, 33, 26, 29, 27, 28},
      {1, 2, 25, 27, 29, 30, 0, 0, 28, 26},
      {1, 2, 4, 5, 25, 26, 27, 28, 29, 30},
  };
  const int modes[kPresetCount] = {0, 1, 0, 0};

  for (int position = 0; position < kFunctionCount; ++position) {
    SCOPED_TRACE(position);
    EXPECT_EQ(KeyRowNamed(keyboard[position]), PresetTable[0].rows[position]);
    for (int preset = 1; preset < kPresetCount; ++preset)
      EXPECT_EQ(JoystickRowNamed(joystick[preset - 1][position]),
                PresetTable[preset].rows[position])
          << "preset " << preset;
  }
  for (int preset = 0; preset < kPresetCount; ++preset) {
    SCOPED_TRACE(preset);
    EXPECT_EQ(modes[preset], PresetTable[preset].axisMode);
    const int limit = preset == 0 ? kKeyNameRows : kJoystickInputRows;
    for (int position = 0; position < kFunctionCount; ++position) {
      EXPECT_EQ(bare[preset][position], PresetTable[preset].rows[position]);
      EXPECT_GE(PresetTable[preset].rows[position], 0);
      EXPECT_LT(PresetTable[preset].rows[position], limit);
    }
  }
  // The preset given to a row the manager does not know fits either table.
  for (int position = 0; position < kFunctionCount; ++position)
    EXPECT_LT(PresetTable[3].rows[position], kJoystickInputRows);
}

TEST(InputTablesTest, PresetFollowsTheControllerSubtype) {
  struct Case {
    int32_t subtype;
    int preset;
  } cases[] = {
      {0, 3},   {DIDEVTYPEJOYSTICK_UNKNOWN, 3},     {DIDEVTYPEJOYSTICK_TRADITIONAL, 2},
      {DIDEVTYPEJOYSTICK_FLIGHTSTICK, 1},           {DIDEVTYPEJOYSTICK_GAMEPAD, 2},
      {DIDEVTYPEJOYSTICK_RUDDER, 1},                {DIDEVTYPEJOYSTICK_WHEEL, 1},
      {DIDEVTYPEJOYSTICK_HEADTRACKER, 3},           {8, 3},
      {255, 3}, {0x106, 3},                         {-1, 3},
  };
  EXPECT_EQ(1, DIDEVTYPEJOYSTICK_UNKNOWN);
  EXPECT_EQ(7, DIDEVTYPEJOYSTICK_HEADTRACKER);
  InputManager manager;
  manager.joystickCount = 3;
  for (const Case& c : cases) {
    // The controller sits at row 2; its neighbours must not be the ones read.
    manager.joystickRecords[0].subtype = DIDEVTYPEJOYSTICK_WHEEL;
    manager.joystickRecords[1].subtype = c.subtype;
    manager.joystickRecords[2].subtype = DIDEVTYPEJOYSTICK_GAMEPAD;
    EXPECT_EQ(c.preset, PresetForDevice(manager, 2)) << "subtype " << c.subtype;
  }
  EXPECT_EQ(1, PresetForDevice(manager, 1));
  EXPECT_EQ(2, PresetForDevice(manager, 3));
  // Row 0 is the keyboard, whatever the controllers are.
  EXPECT_EQ(0, PresetForDevice(manager, 0));
  manager.joystickCount = 0;
  EXPECT_EQ(0, PresetForDevice(manager, 0));
}

// A row the manager does not hold reads no record: the generic preset comes
// back, whose rows exist in both tables.
TEST(InputTablesTest, RowsTheManagerDoesNotHoldGetTheGenericPreset) {
  InputManager manager;
  for (JoystickRecord& record : manager.joystickRecords) record.subtype = DIDEVTYPEJOYSTICK_WHEEL;
  struct Case {
    int32_t count;
    int row;
    int preset;
  } cases[] = {
      {0, 1, 3},   {2, 3, 3},   {2, 2, 1},   {2, -1, 3},  {2, -100, 3},
      {16, 16, 1}, {16, 17, 3}, {40, 17, 3}, {40, 16, 1}, {-5, 1, 3},
  };
  for (const Case& c : cases) {
    manager.joystickCount = c.count;
    EXPECT_EQ(c.preset, PresetForDevice(manager, c.row))
        << "count " << c.count << ", row " << c.row;
  }
  manager.joystickCount = 0;  // nothing was opened; keep Shutdown from looking
}

}  // namespace
