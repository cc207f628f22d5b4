#pragma once
// Runs a modal dialog and returns its result code. Every dialog of the program that waits for
// an answer goes through here, so tests answer it without a person.

#include "common/override.h"

#include <functional>

class QDialog;

namespace Modal {
using Runner = std::function<int(QDialog *dialog)>;
// QDialog::exec unless replaced.
Override<Runner> &runner();
inline int run(QDialog *dialog) { return runner()(dialog); }
} // namespace Modal
