// Reading the plain-text settings files (config\graphic.cfg, config\input.cfg).
//
// One setting per line: a key, blanks and/or '=', then the value. Both files share
// this reader; each supplies its own key table and decides what a key's value means.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/file_system.h"

// Sizes of the reader's fixed buffers, NUL included. A line keeps at most 255 bytes.
constexpr int kSettingsLineSize = 256;
constexpr int kSettingsValueSize = 256;

// A whole settings file in memory.
struct SettingsText {
  char* text;          // heap block: the file's bytes as stored, then one NUL
  const char* cursor;  // start of the next line inside text
};

// Key names, ended by a null pointer. A key's position in the table is its index.
typedef const char* const* SettingsKeyTable;

// Reads the whole file at path (binary, no line-end translation) into out.text and
// returns its length, or -1 with nothing allocated. On 0 or more the caller owns
// out.text and gives it back with ReleaseSettingsText (the reader loop does that).
int ReadSettingsFile(SettingsText& out, const PathChar* path);

// The same from bytes already in memory, which may hold NUL bytes. Returns length,
// or -1 when the block cannot be allocated.
int ReadSettingsMemory(SettingsText& out, const char* bytes, size_t length);

// Frees out.text and clears both pointers. Safe to call twice.
void ReleaseSettingsText(SettingsText& text);

// Copies the line at the cursor, without its line end, into line (kSettingsLineSize
// bytes); bytes beyond 255 are dropped with the rest of that line. Then moves the
// cursor past line ends and blanks to the next line. Returns whether text remains.
bool NextSettingsLine(char* line, SettingsText& text);

// Splits line into key and value. When the line is not blank, the value (every byte
// after the key and its following blanks and '=') is copied into value
// (kSettingsValueSize bytes). Returns the key's index in keys, or -1.
int SplitSettingsLine(const char* line, char* value, SettingsKeyTable keys);

// The text between the first double quote and the next one (or the end), into dest,
// which holds at least kSettingsValueSize bytes. No quote gives the empty string.
void ParseQuotedValue(const char* value, char* dest);

// One decimal integer with atoi's rules; no number gives 0. Values beyond the
// 32-bit range are held at the nearest limit.
void ParseIntValue(const char* value, int32_t& field);

// Up to four integers "a,b,c,d" with sscanf("%d,%d,%d,%d") rules. Every field not
// read is 0. Values beyond the 32-bit range are held at the nearest limit.
void ParseIntQuad(const char* value, int32_t& a, int32_t& b, int32_t& c, int32_t& d);

// Called for every line whose key is in the table, in file order.
typedef void (*SettingsApplyFn)(int keyIndex, const char* value, void* context);

// The reader loop: walks text from its first byte to its end (or first NUL),
// calls apply for each known key, then releases text.
void ReadSettingsLines(SettingsText& text, SettingsKeyTable keys, SettingsApplyFn apply,
                       void* context);

// ReadSettingsFile followed, when it succeeds, by ReadSettingsLines. Returns what
// ReadSettingsFile returned: the file's length, or -1 when it could not be read
// (then apply is never called and nothing is left allocated).
int ReadSettingsFileLines(const PathChar* path, SettingsKeyTable keys, SettingsApplyFn apply,
                          void* context);
