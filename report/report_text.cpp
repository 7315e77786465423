#include "report/report_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include <ddraw.h>
#include <d3d.h>

#include "controls/input_manager.h"  // DirectInput's version, before its results

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";
// Longer input is cut: nothing the report shows comes near it.
constexpr int kConvertedCapacity = 600;

// Appends text to out (size bytes) at *used, cutting it to fit.
void Append(char* out, std::size_t size, std::size_t& used, const char* text) {
  std::size_t length = std::strlen(text);
  if (used + 1 >= size) return;
  if (length > size - 1 - used) length = size - 1 - used;
  std::memcpy(out + used, text, length);
  used += length;
  out[used] = '\0';
}

// Converts length bytes of text into wide, saying whether every byte was valid
// in the code page and comes back the same.
int ToWide(const char* text, int length, UINT codePage, wchar_t* wide, bool& exact) {
  int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, length, wide,
                                  kConvertedCapacity);
  if (count <= 0) {
    // Invalid bytes, or a code page that knows no such flag: the lenient
    // conversion, and the round trip below decides.
    exact = false;
    count = MultiByteToWideChar(codePage, 0, text, length, wide, kConvertedCapacity);
    if (count <= 0) return 0;
  }
  char back[kConvertedCapacity * 2];
  int backLength = WideCharToMultiByte(codePage, 0, wide, count, back, sizeof back, nullptr, nullptr);
  if (backLength != length || std::memcmp(back, text, static_cast<std::size_t>(length)) != 0)
    exact = false;
  return count;
}

void AppendUtf8(char* out, std::size_t size, std::size_t& used, const wchar_t* wide, int count) {
  if (count <= 0 || used + 1 >= size) return;
  int written = WideCharToMultiByte(CP_UTF8, 0, wide, count, out + used,
                                    static_cast<int>(size - 1 - used), nullptr, nullptr);
  if (written <= 0) {
    // Does not fit whole: a character at a time, so the cut is at a character.
    for (int i = 0; i < count; ++i) {
      char one[8];
      int bytes = WideCharToMultiByte(CP_UTF8, 0, wide + i, 1, one, sizeof one - 1, nullptr, nullptr);
      if (bytes <= 0 || used + static_cast<std::size_t>(bytes) + 1 > size) break;
      std::memcpy(out + used, one, static_cast<std::size_t>(bytes));
      used += static_cast<std::size_t>(bytes);
    }
  } else {
    used += static_cast<std::size_t>(written);
  }
  out[used] = '\0';
}

struct KnownResult {
  HRESULT value;
  const char* name;
};

// The answers DirectDraw, Direct3D and DirectInput give most, by name. Several
// share a value with a general one; the first of a value wins.
const KnownResult kKnownResults[] = {
    {DDERR_NODIRECTDRAWHW, "DDERR_NODIRECTDRAWHW: no DirectDraw hardware"},
    {DDERR_NODIRECTDRAWSUPPORT, "DDERR_NODIRECTDRAWSUPPORT: this display driver has no DirectDraw"},
    {DDERR_INVALIDOBJECT, "DDERR_INVALIDOBJECT"},
    {DDERR_INVALIDDIRECTDRAWGUID, "DDERR_INVALIDDIRECTDRAWGUID"},
    {DDERR_DIRECTDRAWALREADYCREATED, "DDERR_DIRECTDRAWALREADYCREATED"},
    {DDERR_NOCOOPERATIVELEVELSET, "DDERR_NOCOOPERATIVELEVELSET"},
    {DDERR_NO3D, "DDERR_NO3D: no 3D rendering here"},
    {DDERR_OUTOFVIDEOMEMORY, "DDERR_OUTOFVIDEOMEMORY: out of video memory"},
    {DIERR_NOTINITIALIZED, "DIERR_NOTINITIALIZED"},
    {DIERR_DEVICENOTREG, "DIERR_DEVICENOTREG: the device is not registered"},
    {DIERR_NOTFOUND, "DIERR_NOTFOUND: the device was not found"},
    {DIERR_INPUTLOST, "DIERR_INPUTLOST"},
    {DIERR_NOTACQUIRED, "DIERR_NOTACQUIRED"},
    {DIERR_ACQUIRED, "DIERR_ACQUIRED"},
    {DIERR_OLDDIRECTINPUTVERSION, "DIERR_OLDDIRECTINPUTVERSION"},
    {DIERR_BETADIRECTINPUTVERSION, "DIERR_BETADIRECTINPUTVERSION"},
    {DIERR_UNSUPPORTED, "DIERR_UNSUPPORTED"},
    {E_FAIL, "E_FAIL"},
    {E_INVALIDARG, "E_INVALIDARG"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY: out of memory"},
    {E_NOINTERFACE, "E_NOINTERFACE: the interface is not offered"},
    {E_POINTER, "E_POINTER: no object came back"},
    {E_NOTIMPL, "E_NOTIMPL"},
    {E_HANDLE, "E_HANDLE: not a valid window"},
    {E_ACCESSDENIED, "E_ACCESSDENIED"},
};

// The system's own words for a Win32 error, in English where it has them.
void AppendSystemWords(char* out, std::size_t size, std::size_t& used, DWORD error) {
  wchar_t words[256];
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  DWORD count = FormatMessageW(flags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                               words, 256, nullptr);
  if (count == 0) count = FormatMessageW(flags, nullptr, error, 0, words, 256, nullptr);
  while (count > 0 && (words[count - 1] == L'\r' || words[count - 1] == L'\n' ||
                       words[count - 1] == L' ' || words[count - 1] == L'.'))
    --count;
  if (count == 0) return;
  for (DWORD i = 0; i < count; ++i)
    if (words[i] < 0x20) words[i] = L' ';
  Append(out, size, used, " (");
  AppendUtf8(out, size, used, words, static_cast<int>(count));
  Append(out, size, used, ")");
}

}  // namespace

bool BeginReportText(ReportText& report, const wchar_t* path) {
  report.line[0] = '\0';
  report.held = nullptr;
  if (!BeginSettingsFile(report.file, path)) return false;
  WriteRawBytes(report.file, kByteOrderMark, sizeof kByteOrderMark - 1);
  return true;
}

void ReportLine(ReportText& report, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int length = std::vsnprintf(report.line, sizeof report.line - 2, format, arguments);
  va_end(arguments);
  if (length < 0) length = 0;
  std::size_t used = static_cast<std::size_t>(length);
  if (used > sizeof report.line - 3) used = sizeof report.line - 3;
  report.line[used++] = '\r';
  report.line[used++] = '\n';
  if (report.held == nullptr) {
    WriteRawBytes(report.file, report.line, used);
    return;
  }
  if (report.heldLength + used > report.heldCapacity) {
    std::size_t capacity = report.heldCapacity * 2 + used;
    char* grown = static_cast<char*>(std::realloc(report.held, capacity));
    if (grown == nullptr) {
      report.heldLost = true;
      return;
    }
    report.held = grown;
    report.heldCapacity = capacity;
  }
  std::memcpy(report.held + report.heldLength, report.line, used);
  report.heldLength += used;
}

void BeginHeldReportText(ReportText& held) {
  held.line[0] = '\0';
  // No file: should the first block find no memory, every line goes nowhere
  // and is said to be lost.
  held.file.file = nullptr;
  held.file.failed = true;
  held.heldLength = 0;
  held.heldCapacity = 16384;
  held.held = static_cast<char*>(std::malloc(held.heldCapacity));
  held.heldLost = held.held == nullptr;
  if (held.held == nullptr) held.heldCapacity = 0;
}

void WriteHeldReportText(ReportText& report, ReportText& held) {
  if (held.held != nullptr) WriteRawBytes(report.file, held.held, held.heldLength);
  if (held.heldLost)
    ReportLine(report, "(lines of the section above were lost: out of memory)");
  std::free(held.held);
  held.held = nullptr;
  held.heldLength = held.heldCapacity = 0;
}

bool FinishReportText(ReportText& report) { return FinishSettingsFile(report.file); }

const char* ShowText(const char* text, UINT codePage, bool quoted, char* out, std::size_t size) {
  std::size_t used = 0;
  out[0] = '\0';
  if (text == nullptr) text = "";
  std::size_t fullLength = std::strlen(text);
  int length = fullLength > kConvertedCapacity ? kConvertedCapacity : static_cast<int>(fullLength);
  bool exact = fullLength == static_cast<std::size_t>(length);
  wchar_t wide[kConvertedCapacity];
  int count = length > 0 ? ToWide(text, length, codePage, wide, exact) : 0;
  if (length > 0 && count == 0) exact = false;  // the code page itself is missing
  // A line end or other control character would break the report's lines.
  for (int i = 0; i < count; ++i) {
    if (wide[i] < 0x20 || wide[i] == 0x7F) {
      wide[i] = L'?';
      exact = false;
    }
  }
  if (quoted) Append(out, size, used, "\"");
  AppendUtf8(out, size, used, wide, count);
  if (quoted) Append(out, size, used, "\"");
  if (!exact) {
    Append(out, size, used, " [bytes");
    for (int i = 0; i < length; ++i) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned char>(text[i]));
      Append(out, size, used, hex);
    }
    Append(out, size, used, "]");
  }
  return out;
}

const char* ShowWideText(const wchar_t* text, char* out, std::size_t size) {
  std::size_t used = 0;
  out[0] = '\0';
  Append(out, size, used, "\"");
  if (text != nullptr) AppendUtf8(out, size, used, text, static_cast<int>(std::wcslen(text)));
  Append(out, size, used, "\"");
  return out;
}

const char* DescribeResult(HRESULT result, const char* library, char* out, std::size_t size) {
  std::size_t used = 0;
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(result));
  out[0] = '\0';
  Append(out, size, used, hex);
  for (const KnownResult& known : kKnownResults) {
    if (known.value == result) {
      Append(out, size, used, " (");
      Append(out, size, used, known.name);
      Append(out, size, used, ")");
      return out;
    }
  }
  if (HRESULT_FACILITY(result) == FACILITY_WIN32) {
    DWORD error = HRESULT_CODE(result);
    if (library != nullptr && error == ERROR_MOD_NOT_FOUND) {
      Append(out, size, used, " (");
      Append(out, size, used, library);
      Append(out, size, used, " could not be loaded)");
      return out;
    }
    if (library != nullptr && error == ERROR_PROC_NOT_FOUND) {
      Append(out, size, used, " (");
      Append(out, size, used, library);
      Append(out, size, used, " lacks the function)");
      return out;
    }
    AppendSystemWords(out, size, used, error);
  }
  return out;
}

FARPROC WineFunction(const char* name) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr ? GetProcAddress(ntdll, name) : nullptr;
}
