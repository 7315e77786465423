#include "launcher/switches.h"

#include <windows.h>

#include <cstddef>

namespace {

// Longer than any switch; a longer word is none.
constexpr std::size_t kWordSize = 32;

struct SwitchName {
  const char* name;
  StartSwitch value;
};
const SwitchName kSwitches[] = {
    {"report", StartSwitch::kReport},
    {"graphics", StartSwitch::kGraphics},
    {"controls", StartSwitch::kControls},
    {"?", StartSwitch::kHelp},
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// ASCII only, so the answer does not depend on the system's locale.
bool SameIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (LowerAscii(*a) != LowerAscii(*b)) return false;
  return *a == *b;
}

StartSwitch SwitchOf(const char* word) {
  if (word[0] != '/' && word[0] != '-') return StartSwitch::kNone;
  for (const SwitchName& known : kSwitches)
    if (SameIgnoringCase(word + 1, known.name)) return known.value;
  return StartSwitch::kNone;
}

// Copies the word at text (its quotes left out) into word and returns where
// the next one may start. fits says whether it fitted whole.
const char* NextWord(const char* text, char* word, bool& fits) {
  std::size_t length = 0;
  bool quoted = false;
  fits = true;
  for (; *text != '\0' && (quoted || !IsBlank(*text)); ++text) {
    if (*text == '"') {
      quoted = !quoted;
      continue;
    }
    if (length + 1 < kWordSize)
      word[length++] = *text;
    else
      fits = false;
  }
  word[length] = '\0';
  return text;
}

const wchar_t kHelpCaption[] = L"Velmora Config";
const wchar_t kHelpText[] =
    L"velmora-config.exe [/report | /graphics | /controls | /?]\n"
    L"\n"
    L"/report\n"
    L"    이 PC에 대한 보고서를 config\\report.txt 에 기록합니다.\n"
    L"    Writes a report on this PC to config\\report.txt.\n"
    L"/graphics\n"
    L"    첫 화면 없이 그래픽 설정만 엽니다.\n"
    L"    Opens the graphic settings alone, without the first window.\n"
    L"/controls\n"
    L"    첫 화면 없이 컨트롤 설정만 엽니다.\n"
    L"    Opens the control settings alone, without the first window.\n"
    L"/?\n"
    L"    이 도움말을 표시합니다.\n"
    L"    Shows this help.\n"
    L"\n"
    L"스위치가 없으면 첫 화면이 열립니다. \"/\" 대신 \"-\" 도 됩니다.\n"
    L"Without a switch, the first window opens. \"-\" works as \"/\".";

}  // namespace

StartSwitch ParseStartSwitch(const char* commandLine) {
  if (commandLine == nullptr) return StartSwitch::kNone;
  const char* text = commandLine;
  char word[kWordSize];
  while (*text != '\0') {
    if (IsBlank(*text)) {
      ++text;
      continue;
    }
    bool fits = true;
    text = NextWord(text, word, fits);
    if (!fits) continue;
    StartSwitch found = SwitchOf(word);
    if (found != StartSwitch::kNone) return found;
  }
  return StartSwitch::kNone;
}

void ShowSwitchHelp() {
  MessageBoxW(nullptr, kHelpText, kHelpCaption, MB_OK | MB_ICONINFORMATION);
}
