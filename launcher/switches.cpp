#include "launcher/switches.h"

#include <windows.h>

#include "program/dialog_font.h"

namespace {

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
    L"/graphics, /controls 의 종료 코드는 저장했거나 취소했으면 0, 저장하지 못했으면 1,\n"
    L"3D 디바이스가 없거나 DirectInput을 시작하지 못해 설정 창을 열 수 없었으면 2입니다.\n"
    L"Exit code of /graphics, /controls: 0 saved or cancelled, 1 the save failed,\n"
    L"2 the settings window could not open (no 3D device, or DirectInput could not start).\n"
    L"\n"
    L"스위치가 없으면 첫 화면이 열립니다. \"/\" 대신 \"-\" 도 됩니다.\n"
    L"Without a switch, the first window opens. \"-\" works as \"/\".";

}  // namespace

StartSwitch ParseStartSwitch(int argc, const char* const* argv) {
  if (argv == nullptr) return StartSwitch::kNone;
  for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
    StartSwitch found = SwitchOf(argv[i]);
    if (found != StartSwitch::kNone) return found;
  }
  return StartSwitch::kNone;
}

void ShowSwitchHelp() {
  ShowMessageBox(nullptr, kHelpText, kHelpCaption, MB_OK | MB_ICONINFORMATION);
}
