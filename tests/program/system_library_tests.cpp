// DirectDraw and DirectInput are found when first needed; what a caller learns
// when the DLL or the function is missing.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "program/system_library.h"

namespace {

TEST(SystemLibraryTest, FindsAFunctionOrSaysWhyNot) {
  struct Case {
    const char* library;
    const char* function;
    bool found;
    HRESULT failure;
  };
  const Case cases[] = {
      {"kernel32.dll", "GetTickCount", true, S_OK},
      {"ddraw.dll", "DirectDrawEnumerateExA", true, S_OK},
      {"ddraw.dll", "DirectDrawCreateEx", true, S_OK},
      {"dinput.dll", "DirectInputCreateEx", true, S_OK},
      {"kernel32.dll", "NoSuchFunctionAnywhere", false, HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)},
      {"velmora-no-such-library.dll", "DirectDrawCreateEx", false,
       HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.library) + " " + c.function);
    HRESULT failure = E_FAIL;
    FARPROC function = FindSystemFunction(c.library, c.function, failure);
    EXPECT_EQ(c.found, function != nullptr);
    EXPECT_EQ(c.failure, failure);
    if (c.found) {
      EXPECT_EQ(GetProcAddress(GetModuleHandleA(c.library), c.function), function);
    }
  }
}

}  // namespace
