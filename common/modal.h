#pragma once
// Runs a modal dialog and returns its result code. Every dialog of the program that waits for
// an answer goes through here, so tests answer it without a person.
//
// Every wait of the program (a dialog's, or a loop that waits for the engine) is a Wait while
// it runs. The rule for windows and their dialogs: a window that goes away first ends the
// waits that belong to it (its dialogs are rejected), and it is deleted only once no wait of
// the program runs any more, so that no handler ever returns through a deleted window.

#include "common/override.h"

#include <QPointer>
#include <functional>

class QDialog;
class QWidget;

namespace Modal {
using Runner = std::function<int(QDialog *dialog)>;
// QDialog::exec unless replaced.
Override<Runner> &runner();
// Runs the dialog through the runner, as a Wait of its parent's window; a dialog for a window
// that has gone is rejected at once.
int run(QDialog *dialog);

class Wait {
public:
    // A wait that belongs to window (or to none); `end` stops it early when that window goes.
    Wait(QWidget *window, std::function<void()> end);
    // A dialog's wait, for the window of its parent: the window's going rejects it.
    explicit Wait(QDialog *dialog);
    ~Wait();
    Wait(const Wait &) = delete;
    Wait &operator=(const Wait &) = delete;

private:
    friend void endWindow(QWidget *, std::function<void()>);
    QPointer<QWidget> m_window;
    std::function<void()> m_end;
    bool m_ended = false;
};

// Ends the waits of window, then calls `then` once no wait of the program runs (at once when
// none runs): the one way a window is deleted while the program runs.
void endWindow(QWidget *window, std::function<void()> then);
// Whether endWindow was called for window: a dialog for it is not shown any more.
bool ending(const QWidget *window);
// Waits running now.
int waiting();
} // namespace Modal
