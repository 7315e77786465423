// The start-up steps that settle the program directory, over module paths and
// current directories that the platform hands it (its two calls are answered
// through the test program's import table), and that enter it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>

#include "launcher/launcher.h"
#include "program/program_directory.h"
#include "tests/fakes/import_hook.h"
#include "tests/settings/settings_test_files.h"

namespace {

struct Platform {
  std::wstring modulePath;
  bool cutPathTerminated;  // newer Windows ends a cut path with NUL, XP does not
  std::wstring currentDirectory;
};
const Platform* platform = nullptr;

DWORD WINAPI FakeGetModuleFileNameW(HMODULE, LPWSTR buffer, DWORD size) {
  const std::wstring& path = platform->modulePath;
  if (path.size() < size) {
    std::wmemcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
  }
  std::wmemcpy(buffer, path.data(), size);
  if (platform->cutPathTerminated) buffer[size - 1] = L'\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

DWORD WINAPI FakeGetCurrentDirectoryW(DWORD size, LPWSTR buffer) {
  const std::wstring& directory = platform->currentDirectory;
  if (directory.size() >= size) return static_cast<DWORD>(directory.size() + 1);
  std::wmemcpy(buffer, directory.c_str(), directory.size() + 1);
  return static_cast<DWORD>(directory.size());
}

TEST(SettleProgramDirectoryTest, SettlesFromWhatThePlatformReports) {
  std::wstring deep = L"C:\\";
  while (deep.size() < 300) deep += L"Velmora Games\\";
  deep += L"velmora-config.exe";
  const struct {
    const char* name;
    Platform platform;
    const wchar_t* expected;
  } cases[] = {
      {"a full path", {L"D:\\a\\b\\x.exe", true, L"E:\\elsewhere"}, L"D:\\a\\b\\"},
      {"no backslash: the current directory", {L"x.exe", true, L"E:\\elsewhere"},
       L"E:\\elsewhere\\"},
      {"no backslash, current directory too long",
       {L"x.exe", true, L"E:\\" + std::wstring(300, L'd')}, L""},
      {"a cut path, terminated", {deep, true, L"E:\\elsewhere"}, L""},
      {"a cut path, not terminated", {deep, false, L"E:\\elsewhere"}, L""},
      {"no path at all", {L"", true, L"E:\\elsewhere"}, L"C:\\"},
  };
  ImportHook module("kernel32.dll", "GetModuleFileNameW",
                    reinterpret_cast<void*>(&FakeGetModuleFileNameW));
  ImportHook current("kernel32.dll", "GetCurrentDirectoryW",
                     reinterpret_cast<void*>(&FakeGetCurrentDirectoryW));
  ASSERT_TRUE(module.installed() && current.installed());
  for (const auto& c : cases) {
    platform = &c.platform;
    std::wcscpy(ProgramDirectory, L"stale\\");
    SettleProgramDirectory();
    EXPECT_STREQ(c.expected, ProgramDirectory) << c.name;
  }
  platform = nullptr;
}

// A folder that cannot be entered leaves the current one as it was, and
// "config" is made nowhere.
TEST(EnterProgramDirectoryTest, AFolderThatCannotBeEnteredChangesNothing) {
  ScratchFolder current, game;
  wchar_t original[MAX_PATH] = {}, now[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, original);
  const std::wstring currentPath = NativePath(current.path());
  ASSERT_TRUE(SetCurrentDirectoryW(currentPath.c_str()));
  std::wcscpy(ProgramDirectory, NativePath(game.File("removed") + "\\").c_str());
  EXPECT_FALSE(EnterProgramDirectory());
  GetCurrentDirectoryW(MAX_PATH, now);
  SetCurrentDirectoryW(original);  // a current folder could not be removed
  EXPECT_EQ(currentPath, now);
  EXPECT_EQ(0, current.EntryCount());
  EXPECT_EQ(0, game.EntryCount());
}

}  // namespace
