#include "settings/settings_writer.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "settings/file_system.h"

namespace {

const PathChar kTemporarySuffix[] = {'.', 't', 'm', 'p', 0};

// Puts the written bytes on the disk itself before the file takes the old one's
// place, so a power cut right after the replace cannot leave an empty file.
bool CommitToDisk(std::FILE* file) {
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

// Writes text as a text-mode stream on Windows would: every '\n' reaches the file
// as CR LF. The file itself is opened in binary mode so the bytes are the same on
// every system.
void PutText(SettingsWriter& writer, const char* text) {
  if (writer.file == nullptr || writer.failed) return;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\n' && std::fputc('\r', writer.file) == EOF) {
      writer.failed = true;
      return;
    }
    if (std::fputc(*p, writer.file) == EOF) {
      writer.failed = true;
      return;
    }
  }
}

void PutInt(SettingsWriter& writer, int32_t value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", static_cast<int>(value));
  PutText(writer, digits);
}

void PutKey(SettingsWriter& writer, const char* key) {
  PutText(writer, key);
  PutText(writer, "=");
}

}  // namespace

bool BeginSettingsFile(SettingsWriter& writer, const PathChar* path) {
  writer.file = nullptr;
  writer.failed = true;
  writer.target[0] = 0;
  writer.temporary[0] = 0;
  size_t length = path != nullptr ? PathLength(path) : 0;
  const size_t suffixUnits = sizeof kTemporarySuffix / sizeof kTemporarySuffix[0];  // NUL too
  if (length == 0 || length + suffixUnits > static_cast<size_t>(kSettingsPathSize)) return false;
  std::memcpy(writer.target, path, (length + 1) * sizeof(PathChar));
  std::memcpy(writer.temporary, path, length * sizeof(PathChar));
  std::memcpy(writer.temporary + length, kTemporarySuffix, sizeof kTemporarySuffix);
  writer.file = OpenPath(writer.temporary, true);
  if (writer.file == nullptr) return false;
  writer.failed = false;
  return true;
}

void WriteIntLine(SettingsWriter& writer, const char* key, int32_t value) {
  PutKey(writer, key);
  PutInt(writer, value);
  PutText(writer, "\n");
}

void WriteQuotedLine(SettingsWriter& writer, const char* key, const char* text) {
  PutKey(writer, key);
  PutText(writer, "\"");
  PutText(writer, text);
  PutText(writer, "\"\n");
}

void WriteIntQuadLine(SettingsWriter& writer, const char* key, int32_t a, int32_t b,
                      int32_t c, int32_t d) {
  PutKey(writer, key);
  PutInt(writer, a);
  PutText(writer, ",");
  PutInt(writer, b);
  PutText(writer, ",");
  PutInt(writer, c);
  PutText(writer, ",");
  PutInt(writer, d);
  PutText(writer, "\n");
}

void WriteRawBytes(SettingsWriter& writer, const char* bytes, size_t count) {
  if (writer.file == nullptr || writer.failed || count == 0) return;
  if (std::fwrite(bytes, 1, count, writer.file) != count) writer.failed = true;
}

bool FinishSettingsFile(SettingsWriter& writer) {
  if (writer.file == nullptr) return false;
  // Buffered bytes may only fail to reach the file now; a save is good only if
  // the flush and the close both succeed too.
  bool ok = !writer.failed;
  if (std::fflush(writer.file) != 0 || std::ferror(writer.file)) ok = false;
  if (ok && !CommitToDisk(writer.file)) ok = false;
  if (std::fclose(writer.file) != 0) ok = false;
  writer.file = nullptr;
  if (ok) ok = ReplaceFileInOneStep(writer.temporary, writer.target);
  if (!ok) RemovePath(writer.temporary);
  writer.failed = !ok;
  return ok;
}

void AbandonSettingsFile(SettingsWriter& writer) {
  if (writer.file == nullptr) return;
  std::fclose(writer.file);
  writer.file = nullptr;
  RemovePath(writer.temporary);
  writer.failed = true;
}
