#include "program/program_directory.h"

#include <cwchar>

wchar_t ProgramDirectory[kPathCapacity];

namespace {

wchar_t pathBuffer[kPathCapacity];

// Copies `source` into `destination` when it fits whole; otherwise leaves
// `destination` empty. Returns whether it fitted.
bool CopyWhole(wchar_t* destination, std::size_t capacity, const wchar_t* source) {
  std::size_t length = std::wcslen(source);
  if (length >= capacity) {
    destination[0] = L'\0';
    return false;
  }
  std::wmemcpy(destination, source, length + 1);
  return true;
}

// The current directory with a closing backslash, or empty when that does not fit.
void UseCurrentDirectory(const wchar_t* currentDirectory) {
  if (currentDirectory == nullptr || currentDirectory[0] == L'\0' ||
      !CopyWhole(ProgramDirectory, kPathCapacity - 1, currentDirectory)) {
    ProgramDirectory[0] = L'\0';
    return;
  }
  std::size_t length = std::wcslen(ProgramDirectory);
  if (ProgramDirectory[length - 1] != L'\\') {
    ProgramDirectory[length] = L'\\';
    ProgramDirectory[length + 1] = L'\0';
  }
}

}  // namespace

void SetProgramDirectory(const wchar_t* modulePath, bool modulePathTruncated,
                         const wchar_t* currentDirectory) {
  if (modulePathTruncated) {
    // A cut path's last backslash may end a parent folder: writing there would
    // put the settings where the game never looks.
    ProgramDirectory[0] = L'\0';
    return;
  }
  if (modulePath == nullptr || modulePath[0] == L'\0') {
    std::wcscpy(ProgramDirectory, L"C:\\");
    return;
  }
  if (!CopyWhole(ProgramDirectory, kPathCapacity, modulePath)) {
    ProgramDirectory[0] = L'\0';
    return;
  }
  wchar_t* lastBackslash = std::wcsrchr(ProgramDirectory, L'\\');
  if (lastBackslash == nullptr) {
    UseCurrentDirectory(currentDirectory);
    return;
  }
  lastBackslash[1] = L'\0';
}

const wchar_t* ProgramPath(const wchar_t* relativeName) {
  std::size_t directoryLength = std::wcslen(ProgramDirectory);
  std::size_t nameLength = std::wcslen(relativeName);
  if (directoryLength == 0 || directoryLength + nameLength >= kPathCapacity) {
    pathBuffer[0] = L'\0';
    return pathBuffer;
  }
  std::wmemcpy(pathBuffer, ProgramDirectory, directoryLength);
  std::wmemcpy(pathBuffer + directoryLength, relativeName, nameLength + 1);
  return pathBuffer;
}
