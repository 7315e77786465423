#include "program/system_library.h"

namespace {

HRESULT LastErrorResult(DWORD fallback) {
  DWORD error = GetLastError();
  // A failed load always sets an error; should it not, the result must still
  // read as a failure.
  return HRESULT_FROM_WIN32(error != ERROR_SUCCESS ? error : fallback);
}

}  // namespace

FARPROC FindSystemFunction(const char* library, const char* function, HRESULT& failure) {
  failure = S_OK;
  HMODULE module = GetModuleHandleA(library);
  // Loaded once and never freed: a DirectX DLL unloaded between two runs would
  // only be loaded again by the next one.
  if (module == nullptr) module = LoadLibraryA(library);
  if (module == nullptr) {
    failure = LastErrorResult(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  FARPROC found = GetProcAddress(module, function);
  if (found == nullptr) failure = LastErrorResult(ERROR_PROC_NOT_FOUND);
  return found;
}
