#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "program/program_directory.h"

namespace {

struct DirectoryCase {
  const wchar_t* modulePath;
  bool truncated;
  const wchar_t* currentDirectory;
  const wchar_t* expected;
};

TEST(ProgramDirectoryTest, SettlesFromTheModulePath) {
  const std::wstring longCurrent = L"C:\\" + std::wstring(kPathCapacity - 4, L'c');
  const DirectoryCase cases[] = {
      {L"D:\\a\\b\\x.exe", false, L"C:\\elsewhere", L"D:\\a\\b\\"},
      {L"C:\\Games\\Velmora\\velmora-config.exe", false, L"C:\\", L"C:\\Games\\Velmora\\"},
      {L"C:\\x.exe", false, L"D:\\", L"C:\\"},
      {L"\\\\server\\share\\x.exe", false, L"C:\\", L"\\\\server\\share\\"},
      {L"D:\\a\\b\\", false, L"C:\\", L"D:\\a\\b\\"},
      // No path at all: the drive root, as the game's installer expects.
      {L"", false, L"D:\\cwd", L"C:\\"},
      // No backslash: the current directory, given a closing backslash once.
      {L"x.exe", false, L"D:\\cwd", L"D:\\cwd\\"},
      {L"x.exe", false, L"D:\\", L"D:\\"},
      // Nothing usable: empty, so every path built on it fails to open.
      {L"x.exe", false, L"", L""},
      {L"x.exe", false, longCurrent.c_str(), L""},
      // A cut module path would name a parent folder.
      {L"D:\\a\\b\\very-long-name-cut-he", true, L"D:\\cwd", L""},
  };
  for (const DirectoryCase& c : cases) {
    SetProgramDirectory(c.modulePath, c.truncated, c.currentDirectory);
    EXPECT_STREQ(c.expected, ProgramDirectory)
        << "module path \"" << c.modulePath << "\", truncated " << c.truncated
        << ", current \"" << c.currentDirectory << "\"";
  }
}

TEST(ProgramDirectoryTest, CurrentDirectoryThatJustFitsWithItsBackslash) {
  std::wstring current = L"C:\\" + std::wstring(kPathCapacity - 5, L'd');  // 258 units
  SetProgramDirectory(L"x.exe", false, current.c_str());
  EXPECT_EQ(current + L"\\", ProgramDirectory);
  current += L'd';  // 259 units: the backslash would not fit
  SetProgramDirectory(L"x.exe", false, current.c_str());
  EXPECT_STREQ(L"", ProgramDirectory);
}

struct PathCase {
  const wchar_t* directory;  // module path whose directory is used
  std::wstring name;
  std::wstring expected;
};

TEST(ProgramPathTest, JoinsTheNameOntoTheDirectory) {
  // A 257-unit directory: two more units and the NUL fill the buffer exactly.
  const std::wstring dir257 = L"D:\\" + std::wstring(kPathCapacity - 7, L'p') + L"\\";
  const std::wstring exe258 = dir257 + L"x";
  const PathCase cases[] = {
      {L"D:\\a\\b\\x.exe", L"config\\graphic.cfg", L"D:\\a\\b\\config\\graphic.cfg"},
      {L"D:\\a\\b\\x.exe", L"", L"D:\\a\\b\\"},
      {L"D:\\a\\b\\x.exe", L"config", L"D:\\a\\b\\config"},
      // 257 + 2 = 259 units fit with the NUL; one more does not, and the result
      // is empty rather than a cut path naming another file.
      {exe258.c_str(), L"cf", dir257 + L"cf"},
      {exe258.c_str(), L"cfg", L""},
      {exe258.c_str(), L"config\\input.cfg", L""},
  };
  for (const PathCase& c : cases) {
    SetProgramDirectory(c.directory, false, L"C:\\");
    EXPECT_EQ(c.expected, ProgramPath(c.name.c_str()))
        << "directory of \"" << c.directory << "\", name \"" << c.name << "\"";
  }
}

TEST(ProgramPathTest, OneSharedBufferOverwrittenByTheNextCall) {
  SetProgramDirectory(L"D:\\a\\b\\x.exe", false, L"C:\\");
  const wchar_t* first = ProgramPath(L"config\\graphic.cfg");
  const wchar_t* second = ProgramPath(L"config\\input.cfg");
  EXPECT_EQ(first, second);
  EXPECT_STREQ(L"D:\\a\\b\\config\\input.cfg", first);
}

TEST(ProgramPathTest, AnUnsettledDirectoryGivesPathsThatCannotBeOpened) {
  SetProgramDirectory(L"D:\\a\\b\\cut", true, L"C:\\");
  const wchar_t* path = ProgramPath(L"config\\graphic.cfg");
  EXPECT_STREQ(L"", path);
  std::FILE* file = _wfopen(path, L"rb");
  EXPECT_EQ(nullptr, file);
  if (file != nullptr) std::fclose(file);
}

}  // namespace
