// The game's Japanese texts are code page 932 bytes; these helpers must show them
// as the intended characters whatever the system code page is (the tests run
// without a Japanese locale).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "program/cp932_text.h"

namespace {

// "キーボード" as the game stores it.
const char kKeyboard[] = "\x83\x4c\x81\x5b\x83\x7b\x81\x5b\x83\x68";

TEST(Cp932TextTest, ConvertsAndCutsAtCharacters) {
  struct Case {
    const char* name;
    const char* text;
    int capacity;
    const wchar_t* expected;
    int expectedLength;
  };
  const Case cases[] = {
      {"katakana word", kKeyboard, 32, L"キーボード", 5},
      {"exactly fits", kKeyboard, 6, L"キーボード", 5},
      // One unit short: the last character goes, never half of a byte pair.
      {"one short", kKeyboard, 5, L"キーボー", 4},
      {"room for the terminator only", kKeyboard, 1, L"", 0},
      {"ASCII passes through", "graphic.cfg", 32, L"graphic.cfg", 11},
      {"mixed", "input.cfg \x82\xcc\x95\xdb\x91\xb6", 32, L"input.cfg の保存", 13},
      {"full-width digits", "\x82\x4f\x82\x50\x82\x58", 8, L"０１９", 3},
      {"empty", "", 8, L"", 0},
      {"null text", nullptr, 8, L"", 0},
  };
  for (const Case& c : cases) {
    wchar_t out[64];
    for (wchar_t& ch : out) ch = L'#';
    int length = WideFromCp932(c.text, out, c.capacity);
    EXPECT_EQ(c.expectedLength, length) << c.name;
    EXPECT_EQ(std::wstring(c.expected), std::wstring(out)) << c.name;
    // Nothing written beyond the capacity the caller gave.
    if (c.capacity < 64) {
      EXPECT_EQ(L'#', out[c.capacity]) << c.name;
    }
  }
  EXPECT_EQ(0, WideFromCp932(kKeyboard, nullptr, 8));
}

TEST(Cp932TextTest, ListRowsShowTheIntendedText) {
  HWND combo = CreateWindowW(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL, 0, 0, 100, 100,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, combo);
  EXPECT_EQ(0, AddCp932ListRow(combo, kKeyboard));
  EXPECT_EQ(1, AddCp932ListRow(combo, "\x83\x7b\x83\x5e\x83\x93\x82\x50\x82\x4f"));
  const wchar_t* expected[] = {L"キーボード", L"ボタン１０"};
  for (int row = 0; row < 2; ++row) {
    wchar_t shown[32] = {};
    SendMessageW(combo, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(shown));
    EXPECT_EQ(std::wstring(expected[row]), std::wstring(shown)) << "row " << row;
  }
  DestroyWindow(combo);
}

}  // namespace
