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
    const std::string name = "velmora-settings-\xE0\xB9\x80\xE0\xB8\xA7\xE0\xB8\xA5-" +  // เวล
                             std::to_string(stamp) + "-" + std::to_string(++counter);
    fs::path candidate = fs::temp_directory_path() / fs::u8path(name);
    if (fs::create_directory(candidate)) {
      path_ = candidate.u8string();
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(fs::u8path(path_), error))
    SetReadOnly(entry.path().u8string(), false);
  fs::remove_all(fs::u8path(path_), error);
}

std::string ScratchFolder::File(const std::string& name) const {
  return (fs::u8path(path_) / fs::u8path(name)).u8string();
}

int ScratchFolder::EntryCount() const {
  return static_cast<int>(
      std::distance(fs::directory_iterator(fs::u8path(path_)), fs::directory_iterator()));
}

fs::path::string_type NativePath(const std::string& path) { return fs::u8path(path).native(); }

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(fs::u8path(path), std::ios::binary | std::ios::trunc) << bytes;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
  std::ifstream in(fs::u8path(path), std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool FileExists(const std::string& path) { return fs::exists(fs::u8path(path)); }

void MakeFolder(const std::string& path) { fs::create_directory(fs::u8path(path)); }

void SetReadOnly(const std::string& path, bool readOnly) {
#ifdef _WIN32
  DWORD attributes = GetFileAttributesW(NativePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (readOnly)
    attributes |= FILE_ATTRIBUTE_READONLY;
  else
    attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(NativePath(path).c_str(), attributes);
#else
  const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  std::error_code error;
  fs::permissions(fs::u8path(path), write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add, error);
#endif
}
