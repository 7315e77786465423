// Checks the resources linked into the built velmora-config.exe: the four Korean
// dialog templates control by control (the English ones are checked against them
// as created, in tests/launcher/readable_texts_tests.cpp), the icon group, the
// version record and the manifest.
//
// The executable is opened as a data file, so nothing of it runs. Each template is
// read twice: byte by byte, against the tables below, and by the dialog manager,
// which must be able to create every control of it.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "velmora_version.h"

#ifndef VELMORA_EXE_PATH
#error "VELMORA_EXE_PATH must name the built velmora-config.exe"
#endif

namespace {

const WORD kKorean = MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT);      // 0x0412
const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);  // 0x0411
const WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);  // 0x0409

const DWORD kDialogStyle = 0x80C808C0;  // popup, caption, system menu, centred, modal frame, font
const WORD kFontPoints = 9;
const wchar_t kFontFace[] = L"ＭＳ Ｐゴシック";  // full-width letters, as the game's dialogs have it

// ---------------------------------------------------------------------------------
// Expected templates.

// A control's class: a predefined class by its atom, or a registered class by name.
// windowClass is what GetClassNameA reports for the created control.
struct ControlClass {
  WORD atom;  // 0 when the template names the class
  const char* windowClass;
};
const ControlClass kButton{0x0080, "Button"};
const ControlClass kStatic{0x0082, "Static"};
const ControlClass kComboBox{0x0085, "ComboBox"};
const ControlClass kTrackbar{0, "msctls_trackbar32"};

const DWORD kPush = 0x50010000;        // WS_CHILD WS_VISIBLE WS_TABSTOP BS_PUSHBUTTON
const DWORD kDefPush = 0x50010001;     // ... BS_DEFPUSHBUTTON
const DWORD kCheck = 0x50010003;       // WS_CHILD WS_VISIBLE WS_TABSTOP BS_AUTOCHECKBOX
const DWORD kLabel = 0x50020000;       // WS_CHILD WS_VISIBLE WS_GROUP SS_LEFT
const DWORD kStatus = 0x50020080;      // ... SS_NOPREFIX
const DWORD kDropList = 0x50210003;    // WS_CHILD WS_VISIBLE WS_VSCROLL WS_TABSTOP CBS_DROPDOWNLIST
const DWORD kQualityBar = 0x50010001;  // WS_CHILD WS_VISIBLE WS_TABSTOP TBS_HORZ TBS_AUTOTICKS
const DWORD kCalibrationBar = 0x50010028;  // ... TBS_HORZ TBS_BOTH TBS_ENABLESELRANGE

struct ControlRow {
  int id;  // -1 for static texts
  ControlClass cls;
  const wchar_t* text;
  short x, y, cx, cy;
  DWORD style;
};

struct DialogRow {
  WORD resourceId;
  const char* name;
  const wchar_t* caption;
  short cx, cy;
  std::vector<ControlRow> controls;  // in template order, which is the tab order
};

const DialogRow kLauncher{
    106, "launcher", L"Velmora Config", 187, 85,
    {
        {1021, kButton, L"그래픽 설정", 20, 20, 145, 14, kPush},
        {1023, kButton, L"컨트롤 설정", 20, 39, 145, 14, kPush},
        {2, kButton, L"종료", 20, 60, 145, 14, kPush},
        {-1, kStatic, L"설정하고 싶은 버튼을 눌러 주세요", 5, 5, 165, 8, kLabel},
    }};

const DialogRow kGraphicSettings{
    105, "graphic settings", L"Velmora Graphic Setting", 235, 183,
    {
        {1, kButton, L"확인", 180, 5, 50, 14, kDefPush},
        {2, kButton, L"취소", 180, 25, 50, 14, kPush},
        {1035, kButton, L"테스트", 180, 45, 50, 14, kPush},
        {-1, kStatic, L"사용하는 3D 디바이스를 선택합니다", 5, 5, 115, 10, kLabel},
        {1028, kComboBox, L"", 5, 15, 165, 70, kDropList},
        {-1, kStatic, L"화면의 해상도와 색 품질을 선택합니다", 5, 35, 120, 10, kLabel},
        {1030, kComboBox, L"", 5, 45, 165, 70, kDropList},
        {-1, kStatic, L"재질감의 색 품질을 선택합니다", 5, 65, 96, 8, kLabel},
        {1031, kComboBox, L"", 5, 75, 165, 45, kDropList},
        {-1, kStatic, L"화면의 표시에 이상이 나오는 경우는 체크를 해제해 주세요", 5, 95, 190, 8,
         kLabel},
        {1029, kButton, L"멀티 재질감을 사용", 5, 105, 120, 10, kCheck},
        {1032, kButton, L"압축 재질감을 사용", 5, 120, 86, 10, kCheck},
        {-1, kStatic, L"재질감의 정도를 변경합니다", 5, 135, 96, 8, kLabel},
        {1034, kTrackbar, L"Slider2", 5, 145, 100, 20, kQualityBar},
        {-1, kStatic, L"저해상도", 7, 168, 28, 8, kLabel},
        {-1, kStatic, L"고해상도", 87, 168, 30, 8, kLabel},
        {1036, kStatic, L"", 122, 135, 108, 44, kStatus},
    }};

const DialogRow kControlSettings{
    101, "control settings", L"Velmora Key Setting", 263, 229,
    {
        {1, kButton, L"확인", 205, 209, 50, 14, kDefPush},
        {2, kButton, L"취소", 145, 209, 50, 14, kPush},
        {-1, kStatic, L"입력 디바이스", 5, 5, 46, 8, kLabel},
        {1001, kComboBox, L"", 55, 5, 140, 53, kDropList},
        {1003, kButton, L"Force Feedback", 55, 25, 85, 10, kCheck},
        {1019, kButton, L"리셋", 145, 25, 50, 14, kPush},
        {1037, kButton, L"테스트", 205, 25, 50, 14, kPush},
        {-1, kStatic, L"핸들 좌", 5, 48, 32, 8, kLabel},
        {1006, kComboBox, L"", 50, 45, 65, 60, kDropList},
        {1013, kComboBox, L"", 130, 45, 65, 60, kDropList},
        {1021, kButton, L"캐리브레이트", 205, 45, 50, 14, kPush},
        {-1, kStatic, L"핸들 우", 5, 68, 32, 8, kLabel},
        {1014, kComboBox, L"", 50, 65, 65, 60, kDropList},
        {-1, kStatic, L"액셀", 5, 88, 20, 8, kLabel},
        {1007, kComboBox, L"", 50, 85, 65, 60, kDropList},
        {1015, kComboBox, L"", 130, 85, 65, 60, kDropList},
        {1023, kButton, L"캐리브레이트", 205, 85, 50, 14, kPush},
        {-1, kStatic, L"브레이크", 5, 108, 37, 8, kLabel},
        {1009, kComboBox, L"", 50, 105, 65, 60, kDropList},
        {1016, kComboBox, L"", 130, 105, 65, 60, kDropList},
        {1022, kButton, L"캐리브레이트", 205, 105, 50, 14, kPush},
        {-1, kStatic, L"시프트 다운", 5, 128, 43, 8, kLabel},
        {1011, kComboBox, L"", 50, 125, 65, 60, kDropList},
        {-1, kStatic, L"시프트 업", 5, 148, 35, 8, kLabel},
        {1010, kComboBox, L"", 50, 145, 65, 60, kDropList},
        {-1, kStatic, L"사이드 브레이크", 5, 168, 50, 8, kLabel},
        {1018, kComboBox, L"", 61, 165, 65, 57, kDropList},
        {-1, kStatic, L"라이트 스위치", 130, 128, 44, 8, kLabel},
        {1020, kComboBox, L"", 185, 125, 65, 60, kDropList},
        {-1, kStatic, L"시점 변환 1", 130, 148, 50, 8, kLabel},
        {1012, kComboBox, L"", 185, 145, 65, 60, kDropList},
        {-1, kStatic, L"시점 변환 2", 130, 168, 50, 8, kLabel},
        {1017, kComboBox, L"", 185, 165, 65, 60, kDropList},
        {1038, kStatic, L"", 5, 185, 253, 18, kStatus},
    }};

const DialogRow kCalibration{
    103, "calibration", L"Calibration", 299, 95,
    {
        {1, kButton, L"확인", 240, 5, 50, 14, kDefPush},
        {2, kButton, L"취소", 240, 20, 50, 14, kPush},
        // Three lines: full-width digit, ideographic space, the step.
        {-1, kStatic,
         L"１　입력하지 않고「리셋」버튼을 누릅니다\n"
         L"２　입력의 최소치를 설정하려면「최소치」버튼을 누릅니다\n"
         L"３　입력의 최대치를 설정하려면「최대치」버튼을 누릅니다",
         5, 5, 225, 30, kLabel},
        {1026, kButton, L"최소치", 10, 40, 50, 14, kPush},
        {1019, kButton, L"리셋", 125, 40, 50, 14, kPush},
        {1027, kButton, L"최대치", 240, 40, 50, 14, kPush},
        {1025, kTrackbar, L"Slider1", 5, 55, 290, 30, kCalibrationBar},
    }};

const DialogRow* const kDialogs[] = {&kLauncher, &kGraphicSettings, &kControlSettings,
                                     &kCalibration};

// The tests are parameterised by the template's resource id, which names them.
const DialogRow& Dialog(int resourceId) {
  for (const DialogRow* row : kDialogs) {
    if (row->resourceId == resourceId) return *row;
  }
  static const DialogRow kNone{0, "unknown", L"", 0, 0, {}};
  return kNone;
}

// ---------------------------------------------------------------------------------
// Helpers.

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                              0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                      nullptr, nullptr);
  return out;
}

std::string Hex(DWORD value) {
  char buffer[16];
  wsprintfA(buffer, "0x%08lX", static_cast<unsigned long>(value));
  return buffer;
}

// The executable, mapped as data for the whole test program.
HMODULE Exe() {
  static HMODULE module = LoadLibraryExA(VELMORA_EXE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  return module;
}

struct Blob {
  const BYTE* data = nullptr;
  DWORD size = 0;
};

Blob LoadBlob(LPCSTR type, WORD id, WORD language) {
  Blob blob;
  HRSRC found = FindResourceExA(Exe(), type, MAKEINTRESOURCEA(id), language);
  if (!found) return blob;
  HGLOBAL loaded = LoadResource(Exe(), found);
  if (!loaded) return blob;
  blob.data = static_cast<const BYTE*>(LockResource(loaded));
  blob.size = SizeofResource(Exe(), found);
  return blob;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) {
  reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
  return TRUE;
}

std::vector<WORD> Languages(LPCSTR type, WORD id) {
  std::vector<WORD> languages;
  EnumResourceLanguagesA(Exe(), type, MAKEINTRESOURCEA(id), CollectLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  return languages;
}

// ---------------------------------------------------------------------------------
// A classic dialog template (DLGTEMPLATE, then DLGITEMTEMPLATEs), parsed with bounds
// checks so that a damaged template fails the test instead of crashing it.

struct NameOrOrdinal {
  WORD ordinal = 0;  // nonzero when given as 0xFFFF, ordinal
  std::wstring name;
};

struct ParsedControl {
  DWORD style = 0, exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  WORD id = 0;
  NameOrOrdinal cls, text;
  WORD creationDataSize = 0;
};

struct ParsedDialog {
  DWORD style = 0, exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu, cls;
  std::wstring caption;
  WORD fontPoints = 0;
  std::wstring fontFace;
  std::vector<ParsedControl> controls;
};

class TemplateReader {
 public:
  TemplateReader(const BYTE* data, DWORD size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }

  WORD Word() {
    WORD value = 0;
    Read(&value, sizeof value);
    return value;
  }
  DWORD Dword() {
    DWORD value = 0;
    Read(&value, sizeof value);
    return value;
  }
  short Short() { return static_cast<short>(Word()); }

  std::wstring String() {
    std::wstring text;
    for (WORD c = Word(); ok_ && c != 0; c = Word()) text.push_back(static_cast<wchar_t>(c));
    return text;
  }
  NameOrOrdinal NameOrOrd() {
    NameOrOrdinal value;
    WORD first = Word();
    if (first == 0xFFFF) {
      value.ordinal = Word();
    } else {
      for (WORD c = first; ok_ && c != 0; c = Word()) value.name.push_back(static_cast<wchar_t>(c));
    }
    return value;
  }
  void AlignDword() { offset_ = (offset_ + 3) & ~static_cast<DWORD>(3); }
  void Skip(DWORD count) {
    if (count > size_ - offset_) ok_ = false;
    else offset_ += count;
  }

 private:
  void Read(void* out, DWORD count) {
    if (!ok_ || offset_ > size_ || count > size_ - offset_) {
      ok_ = false;
      return;
    }
    std::memcpy(out, data_ + offset_, count);
    offset_ += count;
  }
  const BYTE* data_;
  DWORD size_;
  DWORD offset_ = 0;
  bool ok_ = true;
};

bool ParseDialogTemplate(const Blob& blob, ParsedDialog* dialog) {
  TemplateReader in(blob.data, blob.size);
  dialog->style = in.Dword();
  dialog->exStyle = in.Dword();
  WORD count = in.Word();
  dialog->x = in.Short();
  dialog->y = in.Short();
  dialog->cx = in.Short();
  dialog->cy = in.Short();
  dialog->menu = in.NameOrOrd();
  dialog->cls = in.NameOrOrd();
  dialog->caption = in.String();
  if (dialog->style & DS_SETFONT) {
    dialog->fontPoints = in.Word();
    dialog->fontFace = in.String();
  }
  for (WORD i = 0; i < count && in.ok(); ++i) {
    ParsedControl control;
    in.AlignDword();
    control.style = in.Dword();
    control.exStyle = in.Dword();
    control.x = in.Short();
    control.y = in.Short();
    control.cx = in.Short();
    control.cy = in.Short();
    control.id = in.Word();
    control.cls = in.NameOrOrd();
    control.text = in.NameOrOrd();
    control.creationDataSize = in.Word();
    in.Skip(control.creationDataSize);
    dialog->controls.push_back(control);
  }
  return in.ok();
}

std::string Describe(const NameOrOrdinal& value) {
  if (value.ordinal) return "#" + std::to_string(value.ordinal);
  return "\"" + Utf8(value.name) + "\"";
}

// Class names are compared without regard to case, as the window manager does:
// windres stores a class given by name in upper case.
bool SameClassName(const std::wstring& a, const char* b) {
  std::wstring wide(b, b + std::strlen(b));
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, wide.c_str(), -1) ==
         CSTR_EQUAL;
}

// ---------------------------------------------------------------------------------
// Dialog templates.

class DialogTemplate : public ::testing::TestWithParam<int> {
 protected:
  static void SetUpTestSuite() {
    // The trackbars need the common controls' classes, as the utility registers them
    // at start-up.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
  }
  void SetUp() override { ASSERT_NE(Exe(), nullptr) << "cannot open " << VELMORA_EXE_PATH; }
};

// Korean, and English for every other interface language; no third that a
// loader could pick on its own.
TEST_P(DialogTemplate, IsKoreanAndEnglish) {
  const DialogRow& row = Dialog(GetParam());
  std::vector<WORD> languages = Languages(MAKEINTRESOURCEA(5) /* RT_DIALOG */, row.resourceId);
  std::sort(languages.begin(), languages.end());
  std::vector<WORD> expected = {kEnglish, kKorean};
  EXPECT_EQ(languages, expected) << "template " << row.resourceId;
}

TEST_P(DialogTemplate, FrameMatches) {
  const DialogRow& row = Dialog(GetParam());
  Blob blob = LoadBlob(MAKEINTRESOURCEA(5), row.resourceId, kKorean);
  ASSERT_NE(blob.data, nullptr) << "no Korean template " << row.resourceId;
  ParsedDialog dialog;
  ASSERT_TRUE(ParseDialogTemplate(blob, &dialog)) << "template " << row.resourceId
                                                  << " is truncated";

  // A DLGTEMPLATEEX would begin with 1, 0xFFFF, read here as the style.
  EXPECT_EQ(Hex(dialog.style), Hex(kDialogStyle)) << row.name;
  EXPECT_EQ(Hex(dialog.exStyle), Hex(0)) << row.name;
  EXPECT_EQ(dialog.x, 0) << row.name;
  EXPECT_EQ(dialog.y, 0) << row.name;
  EXPECT_EQ(dialog.cx, row.cx) << row.name;
  EXPECT_EQ(dialog.cy, row.cy) << row.name;
  EXPECT_EQ(Describe(dialog.menu), "\"\"") << row.name << ": no menu";
  EXPECT_EQ(Describe(dialog.cls), "\"\"") << row.name << ": the standard dialog class";
  EXPECT_EQ(Utf8(dialog.caption), Utf8(row.caption)) << row.name;
  EXPECT_EQ(dialog.fontPoints, kFontPoints) << row.name;
  EXPECT_EQ(Utf8(dialog.fontFace), Utf8(kFontFace)) << row.name;
  EXPECT_EQ(dialog.controls.size(), row.controls.size()) << row.name << ": control count";
}

TEST_P(DialogTemplate, ControlsMatchInOrder) {
  const DialogRow& row = Dialog(GetParam());
  Blob blob = LoadBlob(MAKEINTRESOURCEA(5), row.resourceId, kKorean);
  ASSERT_NE(blob.data, nullptr) << "no Korean template " << row.resourceId;
  ParsedDialog dialog;
  ASSERT_TRUE(ParseDialogTemplate(blob, &dialog)) << "template " << row.resourceId
                                                  << " is truncated";
  ASSERT_EQ(dialog.controls.size(), row.controls.size()) << row.name << ": control count";

  for (size_t i = 0; i < row.controls.size(); ++i) {
    const ControlRow& want = row.controls[i];
    const ParsedControl& got = dialog.controls[i];
    SCOPED_TRACE(std::string(row.name) + " control " + std::to_string(i) + " (id " +
                 std::to_string(want.id) + ", \"" + Utf8(want.text) + "\")");

    EXPECT_EQ(got.id, static_cast<WORD>(want.id));
    if (want.cls.atom) {
      EXPECT_EQ(Describe(got.cls), "#" + std::to_string(want.cls.atom));
    } else {
      EXPECT_TRUE(got.cls.ordinal == 0 && SameClassName(got.cls.name, want.cls.windowClass))
          << "class " << Describe(got.cls) << ", expected \"" << want.cls.windowClass << "\"";
    }
    EXPECT_EQ(Describe(got.text), "\"" + Utf8(want.text) + "\"");
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
    EXPECT_EQ(Hex(got.style), Hex(want.style));
    EXPECT_EQ(Hex(got.exStyle), Hex(0));
    EXPECT_EQ(got.creationDataSize, 0);
  }
}

INT_PTR CALLBACK IgnoreEverything(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The dialog manager builds the dialog from the template: every control is created,
// in template order, with its class and text. The dialog is made a Unicode one here
// so that the texts read back do not depend on the ANSI code page the tests run
// under (Wine passes an ANSI dialog's texts through it).
TEST_P(DialogTemplate, CreatesEveryControl) {
  const DialogRow& row = Dialog(GetParam());
  Blob blob = LoadBlob(MAKEINTRESOURCEA(5), row.resourceId, kKorean);
  ASSERT_NE(blob.data, nullptr) << "no Korean template " << row.resourceId;

  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEW>(blob.data),
                                           nullptr, IgnoreEverything, 0);
  ASSERT_NE(dialog, nullptr) << row.name << ": the dialog cannot be created, error "
                             << GetLastError();

  wchar_t caption[128] = {};
  GetWindowTextW(dialog, caption, 128);
  EXPECT_EQ(Utf8(caption), Utf8(row.caption)) << row.name;

  HWND child = GetWindow(dialog, GW_CHILD);
  for (size_t i = 0; i < row.controls.size(); ++i) {
    const ControlRow& want = row.controls[i];
    SCOPED_TRACE(std::string(row.name) + " control " + std::to_string(i) + " (id " +
                 std::to_string(want.id) + ")");
    ASSERT_NE(child, nullptr) << "missing window";

    char cls[64] = {};
    GetClassNameA(child, cls, sizeof cls);
    EXPECT_STREQ(cls, want.cls.windowClass);
    EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(child)), static_cast<WORD>(want.id));
    if (want.cls.atom == kButton.atom || want.cls.atom == kStatic.atom) {
      wchar_t text[256] = {};
      GetWindowTextW(child, text, 256);
      EXPECT_EQ(Utf8(text), Utf8(want.text));
    }
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << row.name << ": more windows than controls";
  DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(Templates, DialogTemplate, ::testing::Values(106, 105, 101, 103),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Template" + std::to_string(info.param);
                         });

// ---------------------------------------------------------------------------------
// Icon.

#pragma pack(push, 2)
struct IconGroupHeader {
  WORD reserved, type, count;
};
struct IconGroupEntry {
  BYTE width, height, colors, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

const WORD kIconGroup = 104;

TEST(Icon, GroupIsJapaneseOnly) {
  ASSERT_NE(Exe(), nullptr) << "cannot open " << VELMORA_EXE_PATH;
  std::vector<WORD> languages = Languages(MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, kIconGroup);
  ASSERT_EQ(languages.size(), 1u);
  EXPECT_EQ(Hex(languages[0]), Hex(kJapanese));
}

// Every picture of the group is there, in the sizes a shell asks for, and is one
// the system can turn into an icon.
TEST(Icon, PicturesLoad) {
  ASSERT_NE(Exe(), nullptr) << "cannot open " << VELMORA_EXE_PATH;
  Blob group = LoadBlob(MAKEINTRESOURCEA(14), kIconGroup, kJapanese);
  ASSERT_NE(group.data, nullptr);
  ASSERT_GE(group.size, sizeof(IconGroupHeader));
  IconGroupHeader header;
  std::memcpy(&header, group.data, sizeof header);
  EXPECT_EQ(header.type, 1) << "an icon group, not a cursor group";
  ASSERT_EQ(group.size, sizeof header + header.count * sizeof(IconGroupEntry));

  std::vector<int> sizes;
  for (WORD i = 0; i < header.count; ++i) {
    IconGroupEntry entry;
    std::memcpy(&entry, group.data + sizeof header + i * sizeof entry, sizeof entry);
    int size = entry.width ? entry.width : 256;
    SCOPED_TRACE("picture " + std::to_string(entry.id) + ", " + std::to_string(size) + " px");
    sizes.push_back(size);
    Blob picture = LoadBlob(MAKEINTRESOURCEA(3) /* RT_ICON */, entry.id, kJapanese);
    ASSERT_NE(picture.data, nullptr);
    EXPECT_EQ(picture.size, entry.bytes);
    HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(picture.data), picture.size, TRUE,
                                          0x00030000, size, size, 0);
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
  }
  for (int wanted : {16, 32}) {
    bool present = false;
    for (int size : sizes) present = present || size == wanted;
    EXPECT_TRUE(present) << "no " << wanted << " px picture";
  }
}

// ---------------------------------------------------------------------------------
// Version record.

TEST(VersionRecord, FixedPart) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(VELMORA_EXE_PATH, &ignored);
  ASSERT_GT(size, 0u) << "no version record, error " << GetLastError();
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(VELMORA_EXE_PATH, 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof *fixed);
  EXPECT_EQ(Hex(fixed->dwSignature), Hex(0xFEEF04BD));
  // The four numbers of the file VERSION, two to a word (1.0.2.2: 0x00010000, 0x00020002).
  const DWORD ms = MAKELONG(VELMORA_VERSION_MINOR, VELMORA_VERSION_MAJOR);
  const DWORD ls = MAKELONG(VELMORA_VERSION_TWEAK, VELMORA_VERSION_PATCH);
  EXPECT_EQ(Hex(fixed->dwFileVersionMS), Hex(ms));
  EXPECT_EQ(Hex(fixed->dwFileVersionLS), Hex(ls));
  EXPECT_EQ(Hex(fixed->dwProductVersionMS), Hex(ms));
  EXPECT_EQ(Hex(fixed->dwProductVersionLS), Hex(ls));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug, pre-release or patch flag";
}

TEST(VersionRecord, Strings) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(VELMORA_EXE_PATH, &ignored);
  ASSERT_GT(size, 0u) << "no version record, error " << GetLastError();
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(VELMORA_EXE_PATH, 0, size, info.data()));

  // One translation, and the string table it names.
  WORD* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(Hex(translation[0]), Hex(kKorean));
  EXPECT_EQ(translation[1], 1200) << "UTF-16 strings";

  struct StringRow {
    const char* key;
    const char* value;
  };
  // The numbers as the record has always written them: "1, 0, 2, 2".
  const std::string version = std::to_string(VELMORA_VERSION_MAJOR) + ", " +
                              std::to_string(VELMORA_VERSION_MINOR) + ", " +
                              std::to_string(VELMORA_VERSION_PATCH) + ", " +
                              std::to_string(VELMORA_VERSION_TWEAK);
  const StringRow rows[] = {
      {"FileVersion", version.c_str()},
      {"ProductVersion", version.c_str()},
      {"FileDescription", "Velmora Config"},
      {"ProductName", "Velmora Config"},
      {"InternalName", "velmora-config.exe"},
      {"OriginalFilename", "velmora-config.exe"},
  };
  for (const StringRow& row : rows) {
    std::string path = std::string("\\StringFileInfo\\041204B0\\") + row.key;
    char* value = nullptr;
    length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value),
                               &length))
        << "no " << row.key;
    EXPECT_STREQ(value, row.value) << row.key;
  }
}

// ---------------------------------------------------------------------------------
// Manifest.

std::string ManifestText() {
  Blob blob = LoadBlob(MAKEINTRESOURCEA(24) /* RT_MANIFEST */, 1,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
  if (!blob.data) return std::string();
  return std::string(reinterpret_cast<const char*>(blob.data), blob.size);
}

BOOL CALLBACK CountName(HMODULE, LPCSTR, LPSTR, LONG_PTR count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(Manifest, OnlyTheProcessManifest) {
  ASSERT_NE(Exe(), nullptr) << "cannot open " << VELMORA_EXE_PATH;
  int count = 0;
  EnumResourceNamesA(Exe(), MAKEINTRESOURCEA(24), CountName, reinterpret_cast<LONG_PTR>(&count));
  EXPECT_EQ(count, 1);
  EXPECT_FALSE(ManifestText().empty()) << "no manifest 1";
}

TEST(Manifest, Contents) {
  ASSERT_NE(Exe(), nullptr) << "cannot open " << VELMORA_EXE_PATH;
  std::string manifest = ManifestText();
  ASSERT_FALSE(manifest.empty()) << "no manifest 1";

  struct Fragment {
    const char* text;
    bool present;
  };
  const Fragment fragments[] = {
      {"name=\"Microsoft.Windows.Common-Controls\"", true},
      {"version=\"6.0.0.0\"", true},
      {"publicKeyToken=\"6595b64144ccf1df\"", true},
      {"<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
       true},
      // No execution level: that would switch off file virtualisation for the
      // settings files written beside the executable.
      {"requestedExecutionLevel", false},
      {"trustInfo", false},
  };
  for (const Fragment& fragment : fragments) {
    EXPECT_EQ(manifest.find(fragment.text) != std::string::npos, fragment.present)
        << (fragment.present ? "missing: " : "unwanted: ") << fragment.text << "\nmanifest:\n"
        << manifest;
  }
}

// The system accepts the manifest: it makes an activation context of it and reads
// the DPI setting from it.
TEST(Manifest, ActivationContext) {
  ACTCTXA request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = VELMORA_EXE_PATH;
  request.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE context = CreateActCtxA(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE) << "manifest rejected, error " << GetLastError();

  wchar_t value[32] = {};
  SIZE_T written = 0;
  EXPECT_TRUE(QueryActCtxSettingsW(0, context, nullptr, L"dpiAware", value, 32, &written))
      << "error " << GetLastError();
  EXPECT_EQ(Utf8(value), "true");
  ReleaseActCtx(context);
}

}  // namespace
