#include "program/program_directory.h"

#include <cstring>

char ProgramDirectory[kPathCapacity];

namespace {

char pathBuffer[kPathCapacity];

// Copies `source` into `destination` when it fits whole; otherwise leaves
// `destination` empty. Returns whether it fitted.
bool CopyWhole(char* destination, std::size_t capacity, const char* source) {
  std::size_t length = std::strlen(source);
  if (length >= capacity) {
    destination[0] = '\0';
    return false;
  }
  std::memcpy(destination, source, length + 1);
  return true;
}

// The current directory with a closing backslash, or empty when that does not fit.
void UseCurrentDirectory(const char* currentDirectory) {
  if (currentDirectory == nullptr || currentDirectory[0] == '\0' ||
      !CopyWhole(ProgramDirectory, kPathCapacity - 1, currentDirectory)) {
    ProgramDirectory[0] = '\0';
    return;
  }
  std::size_t length = std::strlen(ProgramDirectory);
  if (ProgramDirectory[length - 1] != '\\') {
    ProgramDirectory[length] = '\\';
    ProgramDirectory[length + 1] = '\0';
  }
}

}  // namespace

void SetProgramDirectory(const char* modulePath, bool modulePathTruncated,
                         const char* currentDirectory) {
  if (modulePathTruncated) {
    // A cut path's last backslash may end a parent folder: writing there would
    // put the settings where the game never looks.
    ProgramDirectory[0] = '\0';
    return;
  }
  if (modulePath == nullptr || modulePath[0] == '\0') {
    std::strcpy(ProgramDirectory, "C:\\");
    return;
  }
  if (!CopyWhole(ProgramDirectory, kPathCapacity, modulePath)) {
    ProgramDirectory[0] = '\0';
    return;
  }
  char* lastBackslash = std::strrchr(ProgramDirectory, '\\');
  if (lastBackslash == nullptr) {
    UseCurrentDirectory(currentDirectory);
    return;
  }
  lastBackslash[1] = '\0';
}

const char* ProgramPath(const char* relativeName) {
  std::size_t directoryLength = std::strlen(ProgramDirectory);
  std::size_t nameLength = std::strlen(relativeName);
  if (directoryLength == 0 || directoryLength + nameLength >= kPathCapacity) {
    pathBuffer[0] = '\0';
    return pathBuffer;
  }
  std::memcpy(pathBuffer, ProgramDirectory, directoryLength);
  std::memcpy(pathBuffer + directoryLength, relativeName, nameLength + 1);
  return pathBuffer;
}
