#include "settings/file_system.h"

#include <windows.h>

std::FILE* OpenPath(const PathChar* path, bool forWriting) {
  return _wfopen(path, forWriting ? L"wb" : L"rb");
}

bool RemovePath(const PathChar* path) { return DeleteFileW(path) != 0; }

bool ReplaceFileInOneStep(const PathChar* source, const PathChar* target) {
  // Windows refuses to replace a read-only file, but Wine replaces it all the same,
  // so look first: a file the player marked read-only is never overwritten.
  // A folder of the file's name is refused by both; checked here as well.
  DWORD attributes = GetFileAttributesW(target);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
    return false;
  return MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
