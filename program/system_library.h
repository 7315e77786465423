// DirectDraw and DirectInput are loaded when a settings run first needs them,
// not when the program starts: the launcher then shows without waiting for
// them (and, under Wine, for the 3D runtime behind them).
#ifndef VELMORA_SYSTEM_LIBRARY_H
#define VELMORA_SYSTEM_LIBRARY_H

#include <windows.h>

// Finds `function` in `library`, loading the library the first time (the same
// search a DLL imported at start gets) and keeping it loaded for the rest of
// the process. Null when the library or the function cannot be found;
// `failure` then holds why, as an HRESULT (for example 0x8007007E when the DLL
// is missing), else S_OK.
FARPROC FindSystemFunction(const char* library, const char* function, HRESULT& failure);

// The same, typed as the function's own pointer type.
template <typename Function>
Function FindSystemFunctionAs(const char* library, const char* function, HRESULT& failure) {
  // Through a plain function pointer type, the conversion every function type
  // accepts without a warning.
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(FindSystemFunction(library, function, failure)));
}

#endif
