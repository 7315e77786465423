#include "settings/replace_file.h"

#include <windows.h>

bool ReplaceFileInOneStep(const char* source, const char* target) {
  // Windows refuses to replace a read-only file, but Wine replaces it all the same,
  // so look first: a file the player marked read-only is never overwritten.
  // A folder of the file's name is refused by both; checked here as well.
  DWORD attributes = GetFileAttributesA(target);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
    return false;
  return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
