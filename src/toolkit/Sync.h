// Hands work from a worker thread to the window thread and waits for it, so that a worker's
// changes to controls happen on the thread that owns them, in the worker's order.
#pragma once

#include <functional>

// Called once on the window thread before any worker starts.
void InitSynchronize();
bool IsWindowThread();
// Runs `fn` on the window thread and returns when it has run; an exception thrown by `fn` is
// rethrown in the caller. On the window thread itself `fn` runs at once.
void Synchronize(const std::function<void()>& fn);
