// Writing the plain-text settings files.
//
// A file is written whole into a temporary file beside it and then put in place in
// one step, so the game never finds a half-written file and a failed save leaves
// the previous file as it was. Every line ends in CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "settings/file_system.h"

// Path buffers in PathChar units, NUL included: Windows' MAX_PATH. The temporary
// file's name is the target's plus ".tmp", so the target's path may have at most
// 255 units.
constexpr int kSettingsPathSize = 260;

struct SettingsWriter {
  std::FILE* file;   // the temporary file while it is being written, else null
  bool failed;       // a write went wrong; Finish reports it
  PathChar target[kSettingsPathSize];
  PathChar temporary[kSettingsPathSize];
};

// Opens the temporary file for target path. False when the path is empty or too long
// or the file cannot be created; the line writers then do nothing and
// FinishSettingsFile reports failure, so callers may check either.
bool BeginSettingsFile(SettingsWriter& writer, const PathChar* path);

// KEY=value
void WriteIntLine(SettingsWriter& writer, const char* key, int32_t value);
// KEY="text", the text written as it is (it cannot hold a double quote and be read back whole)
void WriteQuotedLine(SettingsWriter& writer, const char* key, const char* text);
// KEY=a,b,c,d
void WriteIntQuadLine(SettingsWriter& writer, const char* key, int32_t a, int32_t b,
                      int32_t c, int32_t d);

// Bytes exactly as given: no line-end translation, no terminator needed. For
// text that is not a settings line (a report, a byte-order mark).
void WriteRawBytes(SettingsWriter& writer, const char* bytes, size_t count);

// Closes the temporary file and puts it in place of the target. True only when every
// byte reached the file and the target was replaced; on false the target is
// untouched and the temporary file removed.
bool FinishSettingsFile(SettingsWriter& writer);

// Drops the temporary file; the target is untouched.
void AbandonSettingsFile(SettingsWriter& writer);
