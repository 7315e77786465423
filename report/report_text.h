// The report's text: UTF-8 with a byte-order mark and CR LF line ends, so
// Notepad reads it alike on every system locale. It is written line by line
// through the settings writer, into a temporary file that replaces the old
// report only once it is complete.
#ifndef VELMORA_REPORT_TEXT_H
#define VELMORA_REPORT_TEXT_H

#include <windows.h>

#include <cstddef>

#include "settings/settings_writer.h"

constexpr std::size_t kReportLineSize = 4096;
// Room for any name or stored value shown: 259 bytes become at most 3 UTF-8
// bytes each, and as many hex triplets beside them.
constexpr std::size_t kShownTextSize = 2048;

struct ReportText {
  SettingsWriter file;
  char line[kReportLineSize];
  // A held text keeps its lines in memory, to be put into the report later
  // (WriteHeldReportText): a section that must be finished before what comes
  // above it can be said.
  char* held = nullptr;
  std::size_t heldLength = 0;
  std::size_t heldCapacity = 0;
  bool heldLost = false;  // a line found no memory and was dropped
};

// Starts the report at path with its byte-order mark. False when the temporary
// file cannot be created; the line writers then do nothing.
bool BeginReportText(ReportText& report, const wchar_t* path);
// One line, printf-formatted, ended with CR LF. A line too long is cut.
void ReportLine(ReportText& report, const char* format, ...)
    __attribute__((format(gnu_printf, 2, 3)));
// Starts a held text: nothing is written until WriteHeldReportText.
void BeginHeldReportText(ReportText& held);
// Appends what held kept to report, says so if lines were dropped for want of
// memory, and frees it.
void WriteHeldReportText(ReportText& report, ReportText& held);
// Puts the finished report in place. False when any byte did not reach the disk
// or the old report could not be replaced; an older report is then left whole.
bool FinishReportText(ReportText& report);

// `text`, bytes in `codePage` (932 for the game's texts, CP_ACP for what the
// system hands over), converted to UTF-8; between double quotes when `quoted`.
// Where the conversion is not exact (bytes invalid in that code page, a round
// trip that gives other bytes, a control character) the bytes follow in hex,
// as in "?" [bytes 82 A0]. Returns out.
const char* ShowText(const char* text, UINT codePage, bool quoted, char* out, std::size_t size);
// A UTF-16 text in UTF-8, between double quotes.
const char* ShowWideText(const wchar_t* text, char* out, std::size_t size);

// An HRESULT as "0x8007007E (the DLL could not be loaded: ddraw.dll)": its hex
// value and, where known, its name or the system's words for it. `library`
// names the DLL a load failure is about (may be null).
const char* DescribeResult(HRESULT result, const char* library, char* out, std::size_t size);
// An export of Wine's own ntdll (wine_get_version, say), or null: always null
// on Windows, whose ntdll has no such function.
FARPROC WineFunction(const char* name);

#endif
