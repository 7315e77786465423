// The start-up step that settles the program directory, over module paths and
// current directories that the platform hands it (its two calls are answered
// through the test program's import table).
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>

#include "launcher/launcher.h"
#include "program/program_directory.h"
#include "tests/fakes/import_hook.h"

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

}  // namespace
