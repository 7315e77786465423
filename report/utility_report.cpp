// Section 1 of the report: what the utility is and where it runs.
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "program/dialog_font.h"
#include "program/interface_language.h"
#include "program/program_directory.h"
#include "program/program_instance.h"
#include "report/report_sections.h"

namespace {

// The exe's own version record: its VS_FIXEDFILEINFO, found by its signature,
// so the report always says what the exe's properties say.
bool ReadFileVersion(DWORD& high, DWORD& low) {
  HRSRC found = FindResourceA(ProgramInstance, MAKEINTRESOURCEA(VS_VERSION_INFO),
                              MAKEINTRESOURCEA(16) /* RT_VERSION */);
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(ProgramInstance, found);
  const unsigned char* data =
      loaded != nullptr ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
  DWORD size = SizeofResource(ProgramInstance, found);
  if (data == nullptr) return false;
  for (DWORD offset = 0; offset + sizeof(VS_FIXEDFILEINFO) <= size; offset += 4) {
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, data + offset, sizeof info);
    if (info.dwSignature != 0xFEEF04BD) continue;
    high = info.dwFileVersionMS;
    low = info.dwFileVersionLS;
    return true;
  }
  return false;
}

void ReportVersion(ReportText& report) {
  DWORD high = 0, low = 0;
  if (!ReadFileVersion(high, low)) {
    ReportLine(report, "Version: unknown (the exe's version record could not be read)");
    return;
  }
  ReportLine(report, "Version: %lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(high)),
             static_cast<unsigned long>(LOWORD(high)), static_cast<unsigned long>(HIWORD(low)),
             static_cast<unsigned long>(LOWORD(low)));
}

void ReportPaths(ReportText& report) {
  char shown[kShownTextSize];
  wchar_t module[MAX_PATH + 1];
  DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) {
    ReportLine(report, "Executable: unknown (error %lu)", static_cast<unsigned long>(GetLastError()));
  } else {
    module[length] = L'\0';
    ReportLine(report, "Executable: %s", ShowWideText(module, shown, sizeof shown));
  }
  // The directory as the utility uses it, whole, whatever the system's code page.
  if (ProgramDirectory[0] == L'\0')
    ReportLine(report, "Program directory: unknown (the exe's path is too long): no file can be saved");
  else
    ReportLine(report, "Program directory: %s",
               ShowWideText(ProgramDirectory, shown, sizeof shown));
}

// Creates a uniquely named file in the folder, writes a byte into it and
// removes it again: whether a settings file could be saved there.
void ProbeConfigFolder(ReportText& report, const wchar_t* folder) {
  wchar_t name[MAX_PATH];
  if (GetTempFileNameW(folder, L"vcr", 0, name) == 0) {
    ReportLine(report, "config folder: exists; not writable: no file can be created there (error %lu)",
               static_cast<unsigned long>(GetLastError()));
    return;
  }
  HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_TEMPORARY, nullptr);
  DWORD error = ERROR_SUCCESS;
  bool wrote = false;
  if (file == INVALID_HANDLE_VALUE) {
    error = GetLastError();
  } else {
    DWORD written = 0;
    wrote = WriteFile(file, "V", 1, &written, nullptr) != 0 && written == 1;
    if (!wrote) error = GetLastError();
    if (!CloseHandle(file) && wrote) {
      wrote = false;
      error = GetLastError();
    }
  }
  bool removed = DeleteFileW(name) != 0;
  DWORD removeError = removed ? ERROR_SUCCESS : GetLastError();
  if (wrote)
    ReportLine(report, "config folder: exists; writable (a temporary file was created, written and removed)");
  else
    ReportLine(report, "config folder: exists; not writable: a file created there could not be written (error %lu)",
               static_cast<unsigned long>(error));
  if (!removed) {
    char shown[kShownTextSize];
    ReportLine(report, "  the temporary file %s could not be removed (error %lu)",
               ShowWideText(name, shown, sizeof shown),
               static_cast<unsigned long>(removeError));
  }
}

void ReportConfigFolder(ReportText& report) {
  wchar_t folder[kPathCapacity];
  std::wcscpy(folder, ProgramPath(L"config"));
  if (folder[0] == L'\0') {
    ReportLine(report, "config folder: unknown (no program directory)");
    return;
  }
  DWORD attributes = GetFileAttributesW(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    ReportLine(report, "config folder: absent (error %lu): no settings file can be saved",
               static_cast<unsigned long>(GetLastError()));
  } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ReportLine(report, "config folder: \"config\" is a file, not a folder: no settings file can be saved");
  } else {
    ProbeConfigFolder(report, folder);
  }
}

void ReportLocale(ReportText& report) {
  ReportLine(report, "System code page: %u (OEM %u)", GetACP(), GetOEMCP());
  LCID locale = GetUserDefaultLCID();
  char language[16] = "", country[16] = "";
  GetLocaleInfoA(locale, LOCALE_SISO639LANGNAME, language, sizeof language);
  GetLocaleInfoA(locale, LOCALE_SISO3166CTRYNAME, country, sizeof country);
  ReportLine(report, "User locale: 0x%04lX %s%s%s", static_cast<unsigned long>(locale), language,
             country[0] != '\0' ? "-" : "", country);
}

// Which interface the windows show and why: Korean where the user's interface
// language is Korean, English for any other.
void ReportInterface(ReportText& report) {
  const InterfaceChoice& choice = ProgramInterface();
  LCID locale = MAKELCID(choice.userLanguage, SORT_DEFAULT);
  char language[16] = "", country[16] = "";
  GetLocaleInfoA(locale, LOCALE_SISO639LANGNAME, language, sizeof language);
  GetLocaleInfoA(locale, LOCALE_SISO3166CTRYNAME, country, sizeof country);
  bool korean = choice.language == InterfaceLanguage::kKorean;
  ReportLine(report, "Interface: %s (the user's interface language is 0x%04X %s%s%s%s)",
             korean ? "Korean" : "English", static_cast<unsigned>(choice.userLanguage), language,
             country[0] != '\0' ? "-" : "", country, korean ? "" : ", not Korean");
}

// The face names in UTF-8, as the report is written.
const char* FaceText(const wchar_t* face, char* out, int size) {
  if (WideCharToMultiByte(CP_UTF8, 0, face, -1, out, size, nullptr, nullptr) == 0) out[0] = '\0';
  return out;
}

// Which face the dialogs draw with and whether it has a glyph for every
// character of their texts: where it lacks some, a player sees empty boxes,
// and a font with Hangul and kana is what to install.
void ReportDialogFont(ReportText& report) {
  DialogFontFacts facts;
  DescribeDialogFont(ProgramInstance, facts);
  char asked[4 * LF_FACESIZE], realized[4 * LF_FACESIZE], used[4 * LF_FACESIZE];
  FaceText(facts.asked, asked, sizeof asked);
  FaceText(facts.realized, realized, sizeof realized);
  FaceText(facts.used, used, sizeof used);
  if (facts.characters == 0) {
    ReportLine(report, "Dialog font: unknown (the dialog templates could not be read)");
    return;
  }
  ReportLine(report, "Dialog font: the dialogs ask for \"%s\"; this system gives \"%s\", which "
             "lacks %d of their %d characters", asked, realized, facts.missingRealized,
             facts.characters);
  if (std::strcmp(used, realized) != 0)
    ReportLine(report, "Dialog font: they use \"%s\" instead, which lacks %d", used,
               facts.missingUsed);
  if (facts.missingUsed > 0)
    ReportLine(report, "Dialog font: %d characters show as empty boxes: install a font with "
               "Hangul and Japanese (on Debian or Ubuntu: fonts-nanum and fonts-ipafont-gothic, "
               "or fonts-noto-cjk)", facts.missingUsed);
}

void ReportWindows(ReportText& report) {
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) {
    ReportLine(report, "Windows: unknown (error %lu)", static_cast<unsigned long>(GetLastError()));
  } else {
    char shown[kShownTextSize];
    ReportLine(report, "Windows: %lu.%lu.%lu, platform %lu, %s (as GetVersionExA reports it)",
               static_cast<unsigned long>(version.dwMajorVersion),
               static_cast<unsigned long>(version.dwMinorVersion),
               static_cast<unsigned long>(version.dwBuildNumber),
               static_cast<unsigned long>(version.dwPlatformId),
               ShowText(version.szCSDVersion, CP_ACP, true, shown, sizeof shown));
  }
  // Wine's own ntdll says which Wine this is; Windows' has no such function.
  typedef const char*(CDECL * WineVersionFunction)();
  typedef void(CDECL * WineHostFunction)(const char** system, const char** release);
  FARPROC wineVersion = WineFunction("wine_get_version");
  if (wineVersion == nullptr) {
    ReportLine(report, "Wine: no (not running under Wine)");
    return;
  }
  const char* wine = reinterpret_cast<WineVersionFunction>(reinterpret_cast<void (*)()>(wineVersion))();
  const char* system = nullptr;
  const char* release = nullptr;
  FARPROC host = WineFunction("wine_get_host_version");
  if (host != nullptr)
    reinterpret_cast<WineHostFunction>(reinterpret_cast<void (*)()>(host))(&system, &release);
  char shown[kShownTextSize];
  char hostShown[kShownTextSize] = "";
  if (system != nullptr) {
    char both[256];
    std::snprintf(both, sizeof both, "%s %s", system, release != nullptr ? release : "");
    ShowText(both, CP_ACP, false, hostShown, sizeof hostShown);
  }
  ReportLine(report, "Wine: %s%s%s%s", ShowText(wine != nullptr ? wine : "", CP_ACP, false, shown,
                                                sizeof shown),
             hostShown[0] != '\0' ? " (on " : "", hostShown, hostShown[0] != '\0' ? ")" : "");
}

}  // namespace

void ReportUtility(ReportText& report) {
  ReportLine(report, "== 1. The utility ==");
  ReportVersion(report);
  ReportPaths(report);
  ReportConfigFolder(report);
  ReportLocale(report);
  ReportInterface(report);
  ReportDialogFont(report);
  ReportWindows(report);
  ReportLine(report, "%s", "");
}
