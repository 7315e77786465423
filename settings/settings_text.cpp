#include "settings/settings_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// No settings file comes near this. Anything larger is not one of ours; some
// systems also report a huge length for a folder opened as a file.
constexpr long kLargestSettingsFile = 16L * 1024 * 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }
bool EndsLine(char c) { return c == '\0' || IsLineEnd(c); }
bool EndsKey(char c) { return c == '\0' || IsBlank(c) || c == '=' || c == ','; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The white space atoi and scanf skip before a number.
bool IsNumberSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* SkipBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

const char* SkipBlanksAndEquals(const char* p) {
  while (IsBlank(*p) || *p == '=') ++p;
  return p;
}

const char* FindKeyEnd(const char* p) {
  while (!EndsKey(*p)) ++p;
  return p;
}

// Copies src up to its NUL or stopAt, whichever comes first, keeping at most
// size - 1 bytes, and always terminates dest.
void CopyBounded(char* dest, size_t size, const char* src, char stopAt) {
  size_t n = 0;
  while (src[n] != '\0' && src[n] != stopAt && n + 1 < size) {
    dest[n] = src[n];
    ++n;
  }
  dest[n] = '\0';
}

bool KeyEquals(const char* begin, const char* end, const char* name) {
  size_t length = static_cast<size_t>(end - begin);
  return std::strlen(name) == length && std::memcmp(begin, name, length) == 0;
}

// Reads [white space][sign]digits at p, the way scanf's %d does. On success stores
// the number (held at the 32-bit limits) and moves p past it; otherwise leaves both.
bool ScanDecimal(const char*& p, int32_t& out) {
  const char* q = p;
  while (IsNumberSpace(*q)) ++q;
  bool negative = false;
  if (*q == '+' || *q == '-') {
    negative = *q == '-';
    ++q;
  }
  if (!IsDigit(*q)) return false;
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  int64_t magnitude = 0;
  for (; IsDigit(*q); ++q) {
    magnitude = magnitude * 10 + (*q - '0');
    if (magnitude > limit) magnitude = limit;
  }
  out = static_cast<int32_t>(negative ? -magnitude : magnitude);
  p = q;
  return true;
}

int StoreText(SettingsText& out, FILE* file, long length) {
  char* block = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
  if (block == nullptr) return -1;
  size_t got = length > 0 ? std::fread(block, 1, static_cast<size_t>(length), file) : 0;
  if (got != static_cast<size_t>(length)) {
    std::free(block);
    return -1;
  }
  block[length] = '\0';
  out.text = block;
  out.cursor = block;
  return static_cast<int>(length);
}

}  // namespace

int ReadSettingsFile(SettingsText& out, const PathChar* path) {
  out.text = nullptr;
  out.cursor = nullptr;
  FILE* file = OpenPath(path, false);
  if (file == nullptr) return -1;
  int result = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    long length = std::ftell(file);
    if (length >= 0 && length <= kLargestSettingsFile && std::fseek(file, 0, SEEK_SET) == 0)
      result = StoreText(out, file, length);
  }
  std::fclose(file);
  return result;
}

int ReadSettingsMemory(SettingsText& out, const char* bytes, size_t length) {
  out.text = nullptr;
  out.cursor = nullptr;
  if (length > static_cast<size_t>(kLargestSettingsFile)) return -1;
  char* block = static_cast<char*>(std::malloc(length + 1));
  if (block == nullptr) return -1;
  if (length > 0) std::memcpy(block, bytes, length);
  block[length] = '\0';
  out.text = block;
  out.cursor = block;
  return static_cast<int>(length);
}

void ReleaseSettingsText(SettingsText& text) {
  std::free(text.text);
  text.text = nullptr;
  text.cursor = nullptr;
}

bool NextSettingsLine(char* line, SettingsText& text) {
  const char* p = text.cursor;
  size_t n = 0;
  if (p != nullptr) {
    // A line too long for the buffer keeps its first 255 bytes; the rest of it is
    // passed over here so that it never comes back as a line of its own.
    for (; !EndsLine(*p); ++p) {
      if (n + 1 < static_cast<size_t>(kSettingsLineSize)) line[n++] = *p;
    }
    while (IsLineEnd(*p) || IsBlank(*p)) ++p;
    text.cursor = p;
  }
  line[n] = '\0';
  return p != nullptr && *p != '\0';
}

int SplitSettingsLine(const char* line, char* value, SettingsKeyTable keys) {
  const char* key = SkipBlanks(line);
  if (*key == '\0') return -1;
  const char* keyEnd = FindKeyEnd(key);
  // A ',' ends the key but is kept: "WIDTH,800" has the value ",800".
  CopyBounded(value, kSettingsValueSize, SkipBlanksAndEquals(keyEnd), '\0');
  for (int i = 0; keys[i] != nullptr; ++i) {
    if (KeyEquals(key, keyEnd, keys[i])) return i;
  }
  return -1;
}

void ParseQuotedValue(const char* value, char* dest) {
  const char* open = std::strchr(value, '"');
  if (open == nullptr) {
    dest[0] = '\0';
    return;
  }
  // No closing quote: the string runs to the end of the value.
  CopyBounded(dest, kSettingsValueSize, open + 1, '"');
}

void ParseIntValue(const char* value, int32_t& field) {
  int32_t number = 0;
  ScanDecimal(value, number);
  field = number;
}

void ParseIntQuad(const char* value, int32_t& a, int32_t& b, int32_t& c, int32_t& d) {
  int32_t numbers[4] = {0, 0, 0, 0};
  const char* p = value;
  for (int i = 0; i < 4; ++i) {
    // The ',' must follow the previous number at once; blanks may only precede a number.
    if (i > 0) {
      if (*p != ',') break;
      ++p;
    }
    if (!ScanDecimal(p, numbers[i])) break;
  }
  a = numbers[0];
  b = numbers[1];
  c = numbers[2];
  d = numbers[3];
}

void ReadSettingsLines(SettingsText& text, SettingsKeyTable keys, SettingsApplyFn apply,
                       void* context) {
  char line[kSettingsLineSize];
  char value[kSettingsValueSize];
  value[0] = '\0';
  text.cursor = text.text;
  // The line fetched by the call that reports the end is still applied, so a last
  // line without a line end counts.
  bool more;
  do {
    more = NextSettingsLine(line, text);
    int index = SplitSettingsLine(line, value, keys);
    if (index >= 0 && apply != nullptr) apply(index, value, context);
  } while (more);
  ReleaseSettingsText(text);
}

int ReadSettingsFileLines(const PathChar* path, SettingsKeyTable keys, SettingsApplyFn apply,
                          void* context) {
  SettingsText text;
  int length = ReadSettingsFile(text, path);
  if (length >= 0) ReadSettingsLines(text, keys, apply, context);
  return length;
}
