// The start-up step that settles the program directory, over module paths and
// current directories that the platform hands it (its two calls are answered
// through the test program's import table).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "launcher/launcher.h"
#include "program/program_directory.h"
#include "tests/fakes/import_hook.h"

namespace {

struct Platform {
  std::string modulePath;
  bool cutPathTerminated;  // newer Windows ends a cut path with NUL, XP does not
  std::string currentDirectory;
};
const Platform* platform = nullptr;

DWORD WINAPI FakeGetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
  const std::string& path = platform->modulePath;
  if (path.size() < size) {
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
  }
  std::memcpy(buffer, path.data(), size);
  if (platform->cutPathTerminated) buffer[size - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

DWORD WINAPI FakeGetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  const std::string& directory = platform->currentDirectory;
  if (directory.size() >= size) return static_cast<DWORD>(directory.size() + 1);
  std::memcpy(buffer, directory.c_str(), directory.size() + 1);
  return static_cast<DWORD>(directory.size());
}

TEST(SettleProgramDirectoryTest, SettlesFromWhatThePlatformReports) {
  std::string deep = "C:\\";
  while (deep.size() < 300) deep += "Velmora Games\\";
  deep += "velmora-config.exe";
  const struct {
    const char* name;
    Platform platform;
    const char* expected;
  } cases[] = {
      {"a full path", {"D:\\a\\b\\x.exe", true, "E:\\elsewhere"}, "D:\\a\\b\\"},
      {"no backslash: the current directory", {"x.exe", true, "E:\\elsewhere"}, "E:\\elsewhere\\"},
      {"no backslash, current directory too long", {"x.exe", true, "E:\\" + std::string(300, 'd')},
       ""},
      {"a cut path, terminated", {deep, true, "E:\\elsewhere"}, ""},
      {"a cut path, not terminated", {deep, false, "E:\\elsewhere"}, ""},
      {"no path at all", {"", true, "E:\\elsewhere"}, "C:\\"},
  };
  ImportHook module("kernel32.dll", "GetModuleFileNameA",
                    reinterpret_cast<void*>(&FakeGetModuleFileNameA));
  ImportHook current("kernel32.dll", "GetCurrentDirectoryA",
                     reinterpret_cast<void*>(&FakeGetCurrentDirectoryA));
  ASSERT_TRUE(module.installed() && current.installed());
  for (const auto& c : cases) {
    platform = &c.platform;
    std::strcpy(ProgramDirectory, "stale\\");
    SettleProgramDirectory();
    EXPECT_STREQ(c.expected, ProgramDirectory) << c.name;
  }
  platform = nullptr;
}

}  // namespace
