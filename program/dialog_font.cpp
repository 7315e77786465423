#include "program/dialog_font.h"

#include <cstring>
#include <cwchar>

#include "program/cp932_text.h"
#include "program/face_choice.h"
#include "program/interface_language.h"

namespace {

// Longer than the texts of one interface's templates, string tables and lists
// together (about 2,500 characters).
constexpr int kTextCapacity = 4096;
// Installed faces looked at beyond the system's own picks.
constexpr int kMaxListedFaces = 64;
// Candidates before the listed faces: the asked-for font, then the same request
// with the Korean and with the Japanese character set, which the system answers
// with its preferred face for that script.
constexpr int kPickedCandidates = 3;
// The message box's text control, on Windows and Wine alike.
constexpr int kMessageBoxTextId = 0xFFFF;

WORD ReadWord(const BYTE* data, size_t offset) {
  WORD value;
  std::memcpy(&value, data + offset, sizeof value);
  return value;
}

DWORD ReadDword(const BYTE* data, size_t offset) {
  DWORD value;
  std::memcpy(&value, data + offset, sizeof value);
  return value;
}

size_t AlignDword(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

// Skips a name-or-ordinal field at `offset`; sets `*text` to the name (or null
// for an ordinal). Returns the offset after it, or 0 when it runs past `size`.
size_t SkipNameOrOrdinal(const BYTE* data, size_t size, size_t offset, const wchar_t** text) {
  if (text != nullptr) *text = nullptr;
  if (offset + 2 > size) return 0;
  if (ReadWord(data, offset) == 0xFFFF) return offset + 4 <= size ? offset + 4 : 0;
  size_t start = offset;
  while (offset + 2 <= size) {
    if (ReadWord(data, offset) == 0) {
      if (text != nullptr) *text = reinterpret_cast<const wchar_t*>(data + start);
      return offset + 2;
    }
    offset += 2;
  }
  return 0;
}

// Where the parts of a dialog template (DLGTEMPLATE, every template of ours)
// lie.
struct TemplateLayout {
  const BYTE* data;
  size_t size;
  const wchar_t* caption;
  WORD pointSize;
  size_t faceOffset;  // 0 when the template names no font
  size_t itemsOffset;
  int itemCount;
};

bool ReadTemplateLayout(const void* resource, size_t size, TemplateLayout& layout) {
  std::memset(&layout, 0, sizeof layout);
  const BYTE* data = static_cast<const BYTE*>(resource);
  layout.data = data;
  layout.size = size;
  if (data == nullptr || size < 18) return false;
  DWORD style = ReadDword(data, 0);
  layout.itemCount = ReadWord(data, 8);
  size_t offset = SkipNameOrOrdinal(data, size, 18, nullptr);                     // menu
  if (offset != 0) offset = SkipNameOrOrdinal(data, size, offset, nullptr);       // class
  if (offset != 0) offset = SkipNameOrOrdinal(data, size, offset, &layout.caption);
  if (offset == 0) return false;
  if ((style & DS_SETFONT) != 0) {
    if (offset + 2 > size) return false;
    layout.pointSize = ReadWord(data, offset);
    layout.faceOffset = offset + 2;
    offset = SkipNameOrOrdinal(data, size, layout.faceOffset, nullptr);
    if (offset == 0) return false;
  }
  layout.itemsOffset = AlignDword(offset);
  return true;
}

const wchar_t* TemplateFace(const TemplateLayout& layout) {
  return layout.faceOffset == 0 ? nullptr
                                : reinterpret_cast<const wchar_t*>(layout.data + layout.faceOffset);
}

struct TextBuffer {
  wchar_t text[kTextCapacity];
  int length;
};

void AppendText(TextBuffer& buffer, const wchar_t* text) {
  if (text == nullptr) return;
  while (*text != L'\0' && buffer.length < kTextCapacity - 1) buffer.text[buffer.length++] = *text++;
  buffer.text[buffer.length] = L'\0';
}

// Adds the caption and every control's text of a template.
void AppendTemplateTexts(const TemplateLayout& layout, TextBuffer& buffer) {
  AppendText(buffer, layout.caption);
  size_t offset = layout.itemsOffset;
  for (int item = 0; item < layout.itemCount; ++item) {
    offset = AlignDword(offset) + 18;  // style, extended style, place, size, id
    offset = SkipNameOrOrdinal(layout.data, layout.size, offset, nullptr);  // class
    const wchar_t* title = nullptr;
    if (offset != 0) offset = SkipNameOrOrdinal(layout.data, layout.size, offset, &title);
    if (offset == 0 || offset + 2 > layout.size) return;
    AppendText(buffer, title);
    offset += 2 + ReadWord(layout.data, offset);  // creation data
  }
}

// Template `name` in the chosen interface's language: never the loader's own
// pick, which on Windows follows the thread's locale.
bool LoadDialogTemplate(HINSTANCE instance, const wchar_t* name, TemplateLayout& layout) {
  HRSRC found = FindResourceExW(instance, reinterpret_cast<LPCWSTR>(RT_DIALOG), name,
                                InterfaceTemplateLanguage());
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(instance, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  return ReadTemplateLayout(data, SizeofResource(instance, found), layout);
}

// Characters of `text` the font selected into `dc` has no glyph for. Line
// breaks and other control characters are never drawn and do not count.
int CountMissingGlyphs(HDC dc, const wchar_t* text, int length) {
  int missing = 0;
  WORD glyphs[256];
  for (int start = 0; start < length; start += 256) {
    int count = length - start < 256 ? length - start : 256;
    if (GetGlyphIndicesW(dc, text + start, count, glyphs, GGI_MARK_NONEXISTING_GLYPHS) ==
        GDI_ERROR)
      return length;
    for (int i = 0; i < count; ++i)
      if (glyphs[i] == 0xFFFF && text[start + i] >= L' ') ++missing;
  }
  return missing;
}

// The installed faces with Hangul or kana, listed once per process: a font
// installed while the utility runs is not looked at.
struct FaceList {
  bool listed;
  wchar_t faces[kMaxListedFaces][LF_FACESIZE];
  int count;
};
FaceList installedFaces;

int CALLBACK ListFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM list) {
  FaceList& faces = *reinterpret_cast<FaceList*>(list);
  // '@' names the same face turned for vertical writing.
  if (font->lfFaceName[0] == L'@' || faces.count >= kMaxListedFaces) return 1;
  for (int i = 0; i < faces.count; ++i)
    if (std::wcscmp(faces.faces[i], font->lfFaceName) == 0) return 1;
  lstrcpynW(faces.faces[faces.count++], font->lfFaceName, LF_FACESIZE);
  return 1;
}

const FaceList& InstalledFaces(HDC dc) {
  if (installedFaces.listed) return installedFaces;
  installedFaces.listed = true;
  installedFaces.count = 0;
  LOGFONTW wanted;
  std::memset(&wanted, 0, sizeof wanted);
  wanted.lfCharSet = HANGUL_CHARSET;
  EnumFontFamiliesExW(dc, &wanted, ListFace, reinterpret_cast<LPARAM>(&installedFaces), 0);
  wanted.lfCharSet = SHIFTJIS_CHARSET;
  EnumFontFamiliesExW(dc, &wanted, ListFace, reinterpret_cast<LPARAM>(&installedFaces), 0);
  return installedFaces;
}

// The candidates for one choice, measured on one screen DC.
struct FaceSearch {
  HDC dc;
  LOGFONTW asked;
  const wchar_t* text;
  int length;
  wchar_t realized[kPickedCandidates + kMaxListedFaces][LF_FACESIZE];
  int missing[kPickedCandidates + kMaxListedFaces];
};

int MeasureCandidate(int index, void* context) {
  FaceSearch& search = *static_cast<FaceSearch*>(context);
  LOGFONTW font = search.asked;
  if (index == 1) font.lfCharSet = HANGUL_CHARSET;
  if (index == 2) font.lfCharSet = SHIFTJIS_CHARSET;
  if (index >= kPickedCandidates) {
    const FaceList& faces = InstalledFaces(search.dc);
    if (index - kPickedCandidates >= faces.count) return -1;
    lstrcpynW(font.lfFaceName, faces.faces[index - kPickedCandidates], LF_FACESIZE);
    font.lfCharSet = DEFAULT_CHARSET;
  }
  HFONT created = CreateFontIndirectW(&font);
  if (created == nullptr) return -1;
  HGDIOBJ previous = SelectObject(search.dc, created);
  search.realized[index][0] = L'\0';
  GetTextFaceW(search.dc, LF_FACESIZE, search.realized[index]);
  int missing = CountMissingGlyphs(search.dc, search.text, search.length);
  SelectObject(search.dc, previous);
  DeleteObject(created);
  search.missing[index] = missing;
  return missing;
}

// Chooses the face for `text` against the font `asked`; returns the
// candidate's index (0: the asked-for font itself).
int ChooseFace(FaceSearch& search, const LOGFONTW& asked, const wchar_t* text, int length) {
  search.asked = asked;
  search.text = text;
  search.length = length;
  search.dc = GetDC(nullptr);
  int chosen = ChooseCoveringFace(kPickedCandidates + kMaxListedFaces, MeasureCandidate, &search);
  ReleaseDC(nullptr, search.dc);
  return chosen;
}

LOGFONTW TemplateFont(const TemplateLayout& layout) {
  LOGFONTW font;
  std::memset(&font, 0, sizeof font);
  HDC screen = GetDC(nullptr);
  font.lfHeight = -MulDiv(layout.pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  font.lfCharSet = DEFAULT_CHARSET;  // what the dialog manager asks for, too
  const wchar_t* face = TemplateFace(layout);
  lstrcpynW(font.lfFaceName, face != nullptr ? face : L"", LF_FACESIZE);
  return font;
}

// The answer for the dialogs of one interface: made when a dialog first needs
// it, and again only when the interface or the list texts change.
struct DialogFontChoice {
  bool decided;
  InterfaceLanguage language;
  DialogFontFacts facts;
  bool replaced;
};
DialogFontChoice dialogFont;
FaceSearch search;

const DialogListTexts* listTexts;
int listTextCount;

struct TemplateTexts {
  TextBuffer buffer;
  bool haveFont;
  TemplateLayout first;
};
TemplateTexts templateTexts;

BOOL CALLBACK CollectTemplate(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR context) {
  TemplateTexts& texts = *reinterpret_cast<TemplateTexts*>(context);
  TemplateLayout layout;
  if (!LoadDialogTemplate(module, name, layout)) return TRUE;
  AppendTemplateTexts(layout, texts.buffer);
  if (!texts.haveFont && layout.faceOffset != 0) {
    texts.first = layout;
    texts.haveFont = true;
  }
  return TRUE;
}

// Adds every string of one string block, in the chosen interface's language.
BOOL CALLBACK CollectStringBlock(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR context) {
  TextBuffer& buffer = *reinterpret_cast<TextBuffer*>(context);
  HRSRC found = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING), name,
                                InterfaceTemplateLanguage());
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const WCHAR* block = loaded != nullptr ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
  if (block == nullptr) return TRUE;
  DWORD words = SizeofResource(module, found) / sizeof(WCHAR);
  wchar_t text[512];
  for (DWORD at = 0, entry = 0; entry < 16 && at < words; ++entry) {
    DWORD length = block[at];
    if (at + 1 + length > words) break;
    DWORD copied = length < 511 ? length : 511;
    std::memcpy(text, block + at + 1, copied * sizeof(wchar_t));
    text[copied] = L'\0';
    AppendText(buffer, text);
    at += 1 + length;
  }
  return TRUE;
}

// Adds every row of the lists the layers above fill from their tables.
void AppendListTexts(TextBuffer& buffer) {
  for (int list = 0; list < listTextCount; ++list) {
    for (int row = 0; row < listTexts[list].count; ++row) {
      wchar_t shown[MAX_PATH];
      WideFromCp932(listTexts[list].text(row), shown, MAX_PATH);
      AppendText(buffer, shown);
    }
  }
}

void DecideDialogFont(HINSTANCE instance) {
  InterfaceLanguage language = ProgramInterface().language;
  if (dialogFont.decided && dialogFont.language == language) return;
  dialogFont.decided = true;
  dialogFont.language = language;
  dialogFont.replaced = false;
  DialogFontFacts& facts = dialogFont.facts;
  std::memset(&facts, 0, sizeof facts);
  templateTexts.buffer.length = 0;
  templateTexts.buffer.text[0] = L'\0';
  templateTexts.haveFont = false;
  EnumResourceNamesW(instance, reinterpret_cast<LPCWSTR>(RT_DIALOG), CollectTemplate,
                     reinterpret_cast<LONG_PTR>(&templateTexts));
  if (!templateTexts.haveFont) return;
  // The texts the windows are given from the string tables: statuses, and
  // the lines over the graphics test, drawn in the face chosen here.
  EnumResourceNamesW(instance, reinterpret_cast<LPCWSTR>(RT_STRING), CollectStringBlock,
                     reinterpret_cast<LONG_PTR>(&templateTexts.buffer));
  AppendListTexts(templateTexts.buffer);
  LOGFONTW asked = TemplateFont(templateTexts.first);
  int chosen = ChooseFace(search, asked, templateTexts.buffer.text, templateTexts.buffer.length);
  lstrcpynW(facts.asked, asked.lfFaceName, LF_FACESIZE);
  lstrcpynW(facts.realized, search.realized[0], LF_FACESIZE);
  lstrcpynW(facts.used, search.realized[chosen], LF_FACESIZE);
  facts.characters = templateTexts.buffer.length;
  facts.missingRealized = search.missing[0];
  facts.missingUsed = search.missing[chosen];
  dialogFont.replaced = chosen != 0;
}

// A copy of the template with `face` in place of its font's name; the
// controls follow unchanged from the next DWORD boundary.
void* CopyTemplateWithFace(const TemplateLayout& layout, const wchar_t* face) {
  size_t faceBytes = (std::wcslen(face) + 1) * sizeof(wchar_t);
  size_t itemsOffset = AlignDword(layout.faceOffset + faceBytes);
  size_t itemsBytes = layout.size > layout.itemsOffset ? layout.size - layout.itemsOffset : 0;
  BYTE* copy = static_cast<BYTE*>(
      HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, itemsOffset + itemsBytes));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, layout.data, layout.faceOffset);
  std::memcpy(copy + layout.faceOffset, face, faceBytes);
  if (itemsBytes > 0) std::memcpy(copy + itemsOffset, layout.data + layout.itemsOffset, itemsBytes);
  return copy;
}

// The message box being shown with a stand-in face (one at a time: it is modal).
struct MessageFont {
  HHOOK hook;
  const wchar_t* text;  // what the box shows, the caller's own
  LOGFONTW font;
  HFONT created;
};
MessageFont messageFont;

// Gives the message box's text the stand-in font and makes room for it: the
// text grows to what it needs in that font, the box with it, and the buttons
// move down and stay centred. The box has been laid out for the system's
// font by then, so only the difference is added.
void RefontMessageBox(HWND box) {
  HWND text = GetDlgItem(box, kMessageBoxTextId);
  if (text == nullptr || messageFont.created != nullptr) return;
  messageFont.created = CreateFontIndirectW(&messageFont.font);
  if (messageFont.created == nullptr) return;
  // Places relative to the box through the window tree: the box may not have
  // reached its place on the screen yet.
  RECT place;
  GetClientRect(text, &place);
  MapWindowPoints(text, box, reinterpret_cast<POINT*>(&place), 2);
  int width = place.right - place.left;
  int height = place.bottom - place.top;
  // Lines as they are written, as long as they fit in three quarters of the
  // screen; a longer one wraps there.
  const UINT measure = DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX;
  int widest = GetSystemMetrics(SM_CXSCREEN) * 3 / 4;
  RECT needed = {0, 0, 0, 0};
  HDC dc = GetDC(text);
  HGDIOBJ previous = SelectObject(dc, messageFont.created);
  DrawTextW(dc, messageFont.text, -1, &needed, measure);
  if (needed.right > widest) {
    needed = {0, 0, width > widest ? width : widest, 0};
    DrawTextW(dc, messageFont.text, -1, &needed, measure | DT_WORDBREAK);
  }
  SelectObject(dc, previous);
  ReleaseDC(text, dc);
  int growX = needed.right > width ? needed.right - width : 0;
  int growY = needed.bottom > height ? needed.bottom - height : 0;
  SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(messageFont.created), FALSE);
  if (growX > 0 || growY > 0) {
    SetWindowPos(text, nullptr, 0, 0, width + growX, height + growY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t className[16] = L"";
      GetClassNameW(child, className, 16);
      if (lstrcmpiW(className, L"Button") != 0) continue;
      POINT button = {0, 0};
      MapWindowPoints(child, box, &button, 1);
      SetWindowPos(child, nullptr, button.x + growX / 2, button.y + growY, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT frame;
    GetWindowRect(box, &frame);
    SetWindowPos(box, nullptr, frame.left - growX / 2, frame.top - growY / 2,
                 frame.right - frame.left + growX, frame.bottom - frame.top + growY,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(text, nullptr, TRUE);
}

// Acts once the box has answered WM_INITDIALOG: by then it has placed its
// text and buttons (it may be activated before it has placed them all).
LRESULT CALLBACK WatchMessageBox(int code, WPARAM wParam, LPARAM lParam) {
  const CWPRETSTRUCT* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && message->message == WM_INITDIALOG) {
    wchar_t className[16] = L"";
    GetClassNameW(message->hwnd, className, 16);
    if (std::wcscmp(className, L"#32770") == 0) RefontMessageBox(message->hwnd);
  }
  return CallNextHookEx(messageFont.hook, code, wParam, lParam);
}

}  // namespace

void SetDialogListTexts(const DialogListTexts* lists, int count) {
  listTexts = lists;
  listTextCount = lists != nullptr && count > 0 ? count : 0;
  dialogFont.decided = false;
}

const DLGTEMPLATE* ProgramDialogTemplate(HINSTANCE instance, WORD id, void** copy) {
  *copy = nullptr;
  TemplateLayout layout;
  if (!LoadDialogTemplate(instance, MAKEINTRESOURCEW(id), layout)) return nullptr;
  DecideDialogFont(instance);
  if (dialogFont.replaced && layout.faceOffset != 0)
    *copy = CopyTemplateWithFace(layout, dialogFont.facts.used);
  return reinterpret_cast<const DLGTEMPLATE*>(*copy != nullptr ? *copy : layout.data);
}

void ReleaseDialogTemplate(void* copy) {
  if (copy != nullptr) HeapFree(GetProcessHeap(), 0, copy);
}

INT_PTR ShowProgramDialog(HINSTANCE instance, WORD id, HWND owner, DLGPROC procedure,
                          LPARAM parameter) {
  void* copy = nullptr;
  const DLGTEMPLATE* dialog = ProgramDialogTemplate(instance, id, &copy);
  if (dialog == nullptr) return -1;
  INT_PTR result = DialogBoxIndirectParamW(instance, dialog, owner, procedure, parameter);
  ReleaseDialogTemplate(copy);
  return result;
}

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  NONCLIENTMETRICSW metrics;
  std::memset(&metrics, 0, sizeof metrics);
  metrics.cbSize = sizeof metrics;
  if (text == nullptr || messageFont.hook != nullptr ||
      !SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return MessageBoxW(owner, text, caption, type);
  int chosen = ChooseFace(search, metrics.lfMessageFont, text, static_cast<int>(std::wcslen(text)));
  if (chosen == 0) return MessageBoxW(owner, text, caption, type);
  messageFont.text = text;
  messageFont.font = metrics.lfMessageFont;
  messageFont.font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(messageFont.font.lfFaceName, search.realized[chosen], LF_FACESIZE);
  messageFont.created = nullptr;
  messageFont.hook = SetWindowsHookExW(WH_CALLWNDPROCRET, WatchMessageBox, nullptr, GetCurrentThreadId());
  int result = MessageBoxW(owner, text, caption, type);
  if (messageFont.hook != nullptr) UnhookWindowsHookEx(messageFont.hook);
  messageFont.hook = nullptr;
  if (messageFont.created != nullptr) DeleteObject(messageFont.created);
  messageFont.created = nullptr;
  return result;
}

void DescribeDialogFont(HINSTANCE instance, DialogFontFacts& facts) {
  DecideDialogFont(instance);
  facts = dialogFont.facts;
}
