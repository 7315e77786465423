#include "settings_test_files.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  static int counter = 0;
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (;;) {
    fs::path candidate = fs::temp_directory_path() /
                         ("velmora-settings-" + std::to_string(stamp) + "-" +
                          std::to_string(++counter));
    if (fs::create_directory(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(path_, error))
    SetReadOnly(entry.path().string(), false);
  fs::remove_all(path_, error);
}

std::string ScratchFolder::File(const std::string& name) const {
  return (fs::path(path_) / name).string();
}

int ScratchFolder::EntryCount() const {
  return static_cast<int>(std::distance(fs::directory_iterator(path_), fs::directory_iterator()));
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool FileExists(const std::string& path) { return fs::exists(path); }

void MakeFolder(const std::string& path) { fs::create_directory(path); }

void SetReadOnly(const std::string& path, bool readOnly) {
#ifdef _WIN32
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (readOnly)
    attributes |= FILE_ATTRIBUTE_READONLY;
  else
    attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA(path.c_str(), attributes);
#else
  const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  std::error_code error;
  fs::permissions(path, write, readOnly ? fs::perm_options::remove : fs::perm_options::add, error);
#endif
}
