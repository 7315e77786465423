#include "report/report.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "program/program_directory.h"
#include "report/report_sections.h"
#include "report/report_text.h"

namespace {

const wchar_t kReportFile[] = L"config\\report.txt";

double MillisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  if (frequency.QuadPart == 0) return 0;
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

// From the process's creation, which under Wine is as soon as Wine has started
// it, to now.
double MillisecondsSinceProcessStart() {
  FILETIME created, exited, kernel, user, now;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER from, to;
  from.LowPart = created.dwLowDateTime;
  from.HighPart = created.dwHighDateTime;
  to.LowPart = now.dwLowDateTime;
  to.HighPart = now.dwHighDateTime;
  if (to.QuadPart < from.QuadPart) return -1;
  return static_cast<double>(to.QuadPart - from.QuadPart) / 10000.0;  // 100 ns units
}

// A GUI program has no console of its own: it prints into the one it was
// started from (Windows' cmd.exe; under Wine a terminal gives it one already),
// or into its output when that was redirected to a file or a pipe. The path
// goes out whole in either: in UTF-16 to a console, in UTF-8, like the report
// itself, to a file or a pipe, where a script reads it. The ANSI code page
// would turn a folder's characters it cannot hold into "?".
void TellConsole(const wchar_t* path, bool written) {
  bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != 0 || GetLastError() == ERROR_ACCESS_DENIED;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE opened = INVALID_HANDLE_VALUE;
  if (out == nullptr || out == INVALID_HANDLE_VALUE || GetFileType(out) == FILE_TYPE_UNKNOWN) {
    if (!attached) return;
    opened = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return;
    out = opened;
  }
  wchar_t text[kPathCapacity + 64];
  const wchar_t* lead = written ? L"" : L"The report could not be written: ";
  std::size_t used = std::wcslen(lead);
  std::memcpy(text, lead, used * sizeof(wchar_t));
  std::size_t pathLength = std::wcslen(path);
  if (pathLength > kPathCapacity - 1) pathLength = kPathCapacity - 1;
  std::memcpy(text + used, path, pathLength * sizeof(wchar_t));
  used += pathLength;
  text[used++] = L'\r';
  text[used++] = L'\n';
  DWORD mode = 0, done = 0;
  if (GetConsoleMode(out, &mode)) {
    // A prompt may already stand on the console's last line.
    WriteConsoleW(out, L"\r\n", 2, &done, nullptr);
    WriteConsoleW(out, text, static_cast<DWORD>(used), &done, nullptr);
  } else {
    char bytes[(kPathCapacity + 64) * 3];
    int length = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(used), bytes,
                                     sizeof bytes, nullptr, nullptr);
    if (length > 0) WriteFile(out, bytes, static_cast<DWORD>(length), &done, nullptr);
  }
  if (opened != INVALID_HANDLE_VALUE) CloseHandle(opened);
}

}  // namespace

bool WriteReport(const wchar_t* path) {
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  ReportText report;
  if (!BeginReportText(report, path)) return false;
  SYSTEMTIME now;
  GetLocalTime(&now);
  ReportLine(report, "Velmora Config report, written %04u-%02u-%02u %02u:%02u:%02u (local time)",
             now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  // The display sections come first, held in memory, because when no device
  // can draw, the sentence that says so opens the report.
  ReportText displaySections;
  BeginHeldReportText(displaySections);
  char problem[kReportLineSize];
  LARGE_INTEGER display;
  QueryPerformanceCounter(&display);
  ReportDisplay(displaySections, problem, sizeof problem);
  double displayTime = MillisecondsSince(display);
  if (problem[0] != '\0') ReportLine(report, "%s", problem);
  ReportLine(report, "%s", "");
  ReportUtility(report);
  WriteHeldReportText(report, displaySections);
  ReportInput(report);
  // A slow DirectDraw shows here; the figures also time the report itself.
  ReportLine(report, "Report written in %.0f ms (the display sections %.0f ms); %.0f ms since the process started",
             MillisecondsSince(start), displayTime, MillisecondsSinceProcessStart());
  return FinishReportText(report);
}

int RunReport() {
  // A DLL that cannot be loaded is a line of the report, never a system box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  wchar_t path[kPathCapacity];
  std::wcscpy(path, ProgramPath(kReportFile));
  bool written = path[0] != L'\0' && WriteReport(path);
  TellConsole(path, written);
  return written ? 0 : 1;
}
