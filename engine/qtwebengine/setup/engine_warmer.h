#pragma once
// Starts the engine's processes while the splash is up: a view nobody sees loads the home page,
// so the first window's own load of it finds the renderer, the GPU process and the page's
// resources ready. Nothing of it reaches the screen; it goes once the first window has its page.

#include <functional>

class QSize;

namespace EngineWarmer {
// Loads the home page off screen at the given page size; ready() runs once it has loaded.
void start(const QSize &pageSize, std::function<void()> ready);
// Lets the off-screen view and its page go (pages before the profile, as always).
void release();
// Whether the off-screen view is there.
bool isWarming();
} // namespace EngineWarmer
