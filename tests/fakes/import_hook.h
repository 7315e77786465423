// Replaces one function this program imports from a system DLL, for the life of
// a scope: the entry of the program's import address table that the product's
// call goes through is pointed at a test's own function, so the product keeps
// its real call (MessageBeep, SetTimer) and the test sees what it was asked.
//
//   BOOL WINAPI RecordBeep(UINT type) { ... }
//   ImportHook beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(&RecordBeep));
//   ASSERT_TRUE(beep.installed());
//   beep.original()  // the real function, for a replacement that passes calls on
//
// Only calls made from this program's own module are seen (the system DLLs'
// calls to each other are not).
#ifndef VELMORA_TESTS_FAKES_IMPORT_HOOK_H
#define VELMORA_TESTS_FAKES_IMPORT_HOOK_H

#include <windows.h>

class ImportHook {
 public:
  ImportHook(const char* dll, const char* function, void* replacement);
  ~ImportHook();
  ImportHook(const ImportHook&) = delete;
  ImportHook& operator=(const ImportHook&) = delete;

  bool installed() const { return slot_ != nullptr; }
  void* original() const { return original_; }

 private:
  void** slot_ = nullptr;
  void* original_ = nullptr;
};

#endif
