// Handler boundary: every window event runs its work through this, so a failure inside stays
// there and nothing reaches the user unasked.
#pragma once

template <typename F>
void Guarded(F&& step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

// Entry from the system into the program (window procedure, timer, thread start). An exception
// cannot unwind through the system's frames under this toolchain, it ends the process; so a
// stray one stops here, `fallback` is answered and the program carries on.
template <typename R, typename F>
R GuardedEntry(R fallback, F&& step) noexcept {
  try {
    return step();
  } catch (...) {
    return fallback;
  }
}
