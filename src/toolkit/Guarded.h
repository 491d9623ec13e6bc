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
