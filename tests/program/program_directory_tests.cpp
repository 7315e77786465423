#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "program/program_directory.h"

namespace {

struct DirectoryCase {
  const char* modulePath;
  bool truncated;
  const char* currentDirectory;
  const char* expected;
};

TEST(ProgramDirectoryTest, SettlesFromTheModulePath) {
  const std::string longCurrent = "C:\\" + std::string(kPathCapacity - 4, 'c');
  const DirectoryCase cases[] = {
      {"D:\\a\\b\\x.exe", false, "C:\\elsewhere", "D:\\a\\b\\"},
      {"C:\\Games\\Velmora\\velmora-config.exe", false, "C:\\", "C:\\Games\\Velmora\\"},
      {"C:\\x.exe", false, "D:\\", "C:\\"},
      {"\\\\server\\share\\x.exe", false, "C:\\", "\\\\server\\share\\"},
      {"D:\\a\\b\\", false, "C:\\", "D:\\a\\b\\"},
      // No path at all: the drive root, as the game's installer expects.
      {"", false, "D:\\cwd", "C:\\"},
      // No backslash: the current directory, given a closing backslash once.
      {"x.exe", false, "D:\\cwd", "D:\\cwd\\"},
      {"x.exe", false, "D:\\", "D:\\"},
      // Nothing usable: empty, so every path built on it fails to open.
      {"x.exe", false, "", ""},
      {"x.exe", false, longCurrent.c_str(), ""},
      // A cut module path would name a parent folder.
      {"D:\\a\\b\\very-long-name-cut-he", true, "D:\\cwd", ""},
  };
  for (const DirectoryCase& c : cases) {
    SetProgramDirectory(c.modulePath, c.truncated, c.currentDirectory);
    EXPECT_STREQ(c.expected, ProgramDirectory)
        << "module path \"" << c.modulePath << "\", truncated " << c.truncated
        << ", current \"" << c.currentDirectory << "\"";
  }
}

TEST(ProgramDirectoryTest, CurrentDirectoryThatJustFitsWithItsBackslash) {
  std::string current = "C:\\" + std::string(kPathCapacity - 5, 'd');  // 258 bytes
  SetProgramDirectory("x.exe", false, current.c_str());
  EXPECT_EQ(current + "\\", ProgramDirectory);
  current += 'd';  // 259 bytes: the backslash would not fit
  SetProgramDirectory("x.exe", false, current.c_str());
  EXPECT_STREQ("", ProgramDirectory);
}

struct PathCase {
  const char* directory;  // module path whose directory is used
  std::string name;
  std::string expected;
};

TEST(ProgramPathTest, JoinsTheNameOntoTheDirectory) {
  // A 257-byte directory: two more bytes and the NUL fill the buffer exactly.
  const std::string dir257 = "D:\\" + std::string(kPathCapacity - 7, 'p') + "\\";
  const std::string exe258 = dir257 + "x";
  const PathCase cases[] = {
      {"D:\\a\\b\\x.exe", "config\\graphic.cfg", "D:\\a\\b\\config\\graphic.cfg"},
      {"D:\\a\\b\\x.exe", "", "D:\\a\\b\\"},
      {"D:\\a\\b\\x.exe", "config", "D:\\a\\b\\config"},
      // 257 + 2 = 259 bytes fit with the NUL; one more does not, and the result
      // is empty rather than a cut path naming another file.
      {exe258.c_str(), "cf", dir257 + "cf"},
      {exe258.c_str(), "cfg", ""},
      {exe258.c_str(), "config\\input.cfg", ""},
  };
  for (const PathCase& c : cases) {
    SetProgramDirectory(c.directory, false, "C:\\");
    EXPECT_EQ(c.expected, ProgramPath(c.name.c_str()))
        << "directory of \"" << c.directory << "\", name \"" << c.name << "\"";
  }
}

TEST(ProgramPathTest, OneSharedBufferOverwrittenByTheNextCall) {
  SetProgramDirectory("D:\\a\\b\\x.exe", false, "C:\\");
  const char* first = ProgramPath("config\\graphic.cfg");
  const char* second = ProgramPath("config\\input.cfg");
  EXPECT_EQ(first, second);
  EXPECT_STREQ("D:\\a\\b\\config\\input.cfg", first);
}

TEST(ProgramPathTest, AnUnsettledDirectoryGivesPathsThatCannotBeOpened) {
  SetProgramDirectory("D:\\a\\b\\cut", true, "C:\\");
  const char* path = ProgramPath("config\\graphic.cfg");
  EXPECT_STREQ("", path);
  std::FILE* file = std::fopen(path, "rb");
  EXPECT_EQ(nullptr, file);
  if (file != nullptr) std::fclose(file);
}

}  // namespace
