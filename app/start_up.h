#pragma once
// The start of the program: the splash window, then the first browser window, then the
// addresses the program was started with.

#include <QStringList>
#include <functional>

namespace StartUp {
// Shows the splash. Once it has handed over to the first window, the first address opens
// there as if typed and GO pressed, each further one in a new window; handedOver runs
// just before.
// Closed before its tick, the splash was the only window: the program ends with it.
void begin(const QStringList &addresses, std::function<void()> handedOver = {});
// Opens the addresses as begin() does once the first window is up.
void openAddresses(const QStringList &addresses);
// SIGTERM and SIGINT end the event loop, so the program closes its windows and releases
// the engine as at any other end.
void endOnSignals();
} // namespace StartUp
