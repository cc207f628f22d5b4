#pragma once
// How handlers treat a failing step. A platform call that fails throws PlatformError;
// a handler either skips the step and goes on (resumeNext) or lets the error end it,
// in which case it reaches the program's one uncaught-error handler.

#include "common/override.h"

#include <QString>
#include <functional>
#include <stdexcept>

class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const QString &message);
    QString message() const { return QString::fromUtf8(what()); }
};

// Runs one step; a failure is skipped without a word.
template <typename Step>
void resumeNext(Step &&step) noexcept
{
    try {
        step();
    } catch (...) {
    }
}

namespace UncaughtErrors {
// Shows a failure that no handler dealt with; the program goes on.
void report(const QString &message);
// What report() does: a message box unless replaced (tests record instead).
using Sink = std::function<void(const QString &)>;
Override<Sink> &sink();
}

// Runs a whole handler with no failure handling of its own: the first failing step ends
// it, and the error goes to the uncaught-error handler. Used at the slot boundary so that
// no exception ever unwinds through the toolkit's own frames.
template <typename Handler>
void unguarded(Handler &&handler) noexcept
{
    try {
        handler();
    } catch (const std::exception &e) {
        UncaughtErrors::report(QString::fromUtf8(e.what()));
    } catch (...) {
        UncaughtErrors::report(QStringLiteral("Unknown error"));
    }
}
