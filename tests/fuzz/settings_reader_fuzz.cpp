// Fuzz target for the settings reader: arbitrary bytes as a whole settings file
// through the reader loop, and as over-long lines and values given straight to the
// splitter and the parsers. Every buffer is exactly the size the reader promises to
// respect, so AddressSanitizer sees the first byte written past it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/settings_text.h"

namespace {

// The keys of both settings files.
const char* const kKeys[] = {
    "VERSION", "DEVICE", "MULTITEXTURE", "WIDTH", "HEIGHT", "COLORDEPTH", "TEXTUREDEPTH",
    "TEXTUREQUALITY", "TEXTURECOMPRESS", "WINDOW", "FORCEFEEDBACK", "LEFT", "RIGHT", "ACCELE",
    "BRAKE", "SHIFTUP", "SHIFTDOWN", "SIDEBRAKE", "LIGHT", "VIEWUP", "VIEWDOWN", nullptr};
constexpr int kKeyCount = sizeof kKeys / sizeof kKeys[0] - 1;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "settings fuzz: %s\n", what);
    std::abort();
  }
}

int32_t Clamp(long long n) {
  return n > INT32_MAX ? INT32_MAX : n < INT32_MIN ? INT32_MIN : static_cast<int32_t>(n);
}

// The parsers, compared with the C library's own reading of the same text (which,
// being 64-bit here, shows where the 32-bit limits must hold).
void CheckParsers(const char* value) {
  char* dest = static_cast<char*>(std::malloc(kSettingsValueSize));
  ParseQuotedValue(value, dest);
  const char* open = std::strchr(value, '"');
  size_t expected = open ? std::strcspn(open + 1, "\"") : 0;
  if (expected > kSettingsValueSize - 1) expected = kSettingsValueSize - 1;
  Check(std::strlen(dest) == expected, "quoted value length");
  Check(open == nullptr || std::memcmp(dest, open + 1, expected) == 0, "quoted value bytes");
  std::free(dest);

  int32_t one = 12345;
  ParseIntValue(value, one);
  Check(one == Clamp(std::strtoll(value, nullptr, 10)), "integer differs from strtoll");

  int32_t q[4] = {1, 2, 3, 4};
  long long r[4] = {0, 0, 0, 0};
  ParseIntQuad(value, q[0], q[1], q[2], q[3]);
  std::sscanf(value, "%lld,%lld,%lld,%lld", &r[0], &r[1], &r[2], &r[3]);
  for (int i = 0; i < 4; ++i) Check(q[i] == Clamp(r[i]), "quad differs from sscanf");
}

void ApplyAny(int index, const char* value, void* context) {
  Check(index >= 0 && index < kKeyCount, "key index out of the table");
  Check(std::strlen(value) < kSettingsValueSize, "value too long");
  ++*static_cast<int*>(context);
  CheckParsers(value);
}

// Walks the lines by hand, with a line buffer of exactly the promised size.
void CheckLineWalk(const char* bytes, size_t size) {
  SettingsText text;
  if (ReadSettingsMemory(text, bytes, size) < 0) return;
  char* line = static_cast<char*>(std::malloc(kSettingsLineSize));
  char* value = static_cast<char*>(std::malloc(kSettingsValueSize));
  const char* end = text.text + std::strlen(text.text);
  size_t lines = 0;
  for (bool more = true; more;) {
    const char* before = text.cursor;
    more = NextSettingsLine(line, text);
    Check(text.cursor >= before && text.cursor <= end, "cursor left the text");
    Check(!more || text.cursor > before, "cursor did not move");
    Check(std::strlen(line) < kSettingsLineSize, "line too long");
    Check(std::strpbrk(line, "\r\n") == nullptr, "line end inside a line");
    Check(++lines <= size + 1, "more lines than bytes");
    int index = SplitSettingsLine(line, value, kKeys);
    Check(index >= -1 && index < kKeyCount, "split index");
  }
  std::free(value);
  std::free(line);
  ReleaseSettingsText(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);

  // The whole file, as the settings runs read it (its first NUL ends the reading).
  SettingsText text;
  if (ReadSettingsMemory(text, bytes, size) < 0) return 0;
  int applied = 0;
  ReadSettingsLines(text, kKeys, ApplyAny, &applied);
  Check(text.text == nullptr, "reader loop kept its text");
  CheckLineWalk(bytes, size);

  // Each NUL-separated piece as one line and as one value of any length, and the
  // file after each NUL as a file of its own.
  char* copy = static_cast<char*>(std::malloc(size + 1));
  std::memcpy(copy, bytes, size);
  copy[size] = '\0';
  char* value = static_cast<char*>(std::malloc(kSettingsValueSize));
  for (size_t at = 0; at <= size; at += std::strlen(copy + at) + 1) {
    Check(SplitSettingsLine(copy + at, value, kKeys) < kKeyCount, "split index");
    CheckParsers(copy + at);
    if (at > 0) CheckLineWalk(copy + at, size - at);
  }
  std::free(value);
  std::free(copy);
  return 0;
}
