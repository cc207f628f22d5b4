#pragma once
// The program's informational messages: an OK button only, no icon, and the program's
// default title. Tests replace the sink to read them without a blocking box.

#include "common/override.h"

#include <QString>
#include <functional>

namespace MessageBox {
void show(const QString &text);

using Sink = std::function<void(const QString &)>;
// The real message box unless replaced.
Override<Sink> &sink();
} // namespace MessageBox
