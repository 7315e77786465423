// Files and folders for the settings tests: each test gets its own empty folder
// under the system's temporary folder, removed again at its end. Its name holds
// Thai, which no ANSI code page of the tests' locales (949, 932, 1252) can: every
// file the tests read and write lies where only the wide calls reach. Paths are
// UTF-8 here; NativePath gives the form the utility's file calls take.
#pragma once

#include <filesystem>
#include <string>

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const;  // path of name inside the folder
  int EntryCount() const;                           // files and folders inside

 private:
  std::string path_;
};

// UTF-16 on Windows, the bytes themselves elsewhere: .c_str() is a PathChar*.
std::filesystem::path::string_type NativePath(const std::string& path);

void WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string& bytes);
bool FileExists(const std::string& path);
void MakeFolder(const std::string& path);
// What a player does with the file's properties: mark it read-only, or not.
void SetReadOnly(const std::string& path, bool readOnly);
