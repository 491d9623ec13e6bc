// Functions of system libraries that only a few actions need, looked up on first use.
// Every library in the import table is loaded and initialised before the window can appear;
// these stay out of it, so the program starts sooner. A library or function that is missing
// yields a null pointer, which the caller treats as the action failing.
#pragma once

#include <windows.h>

// The address of `function` in `library` (loaded on first use and kept for the process), or
// nullptr. Safe from any thread.
void* FindDllFunction(const char* library, const char* function);

// Typed form: `DllFunction<decltype(::WinVerifyTrust)>("wintrust.dll", "WinVerifyTrust")`. The
// declared type carries the calling convention, so a wrong signature fails to compile at the call.
template <typename F>
F* DllFunction(const char* library, const char* function) {
  return reinterpret_cast<F*>(FindDllFunction(library, function));
}
