#include "settings/file_system.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::FILE* OpenPath(const PathChar* path, bool forWriting) {
  return std::fopen(path, forWriting ? "wb" : "rb");
}

bool RemovePath(const PathChar* path) { return std::remove(path) == 0; }

bool ReplaceFileInOneStep(const PathChar* source, const PathChar* target) {
  std::error_code error;
  fs::file_status status = fs::status(target, error);
  if (!error && fs::exists(status)) {
    // Windows will not replace a read-only file or a folder; refuse them here too,
    // whatever rights this process has, so saving behaves the same on both.
    if (fs::is_directory(status)) return false;
    const fs::perms writable =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & writable) == fs::perms::none) return false;
  }
  return std::rename(source, target) == 0;
}
