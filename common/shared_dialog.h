#pragma once
// A dialog with one shared instance: made on first use, made again after it was unloaded,
// shown modally. Its set-up hook lets the layer above give each new instance what it acts on.

#include "common/modal.h"

#include <QPointer>
#include <functional>

template <typename Dialog>
class SharedDialog {
public:
    // The shared instance, made on first use (and again after it was unloaded).
    static Dialog *shared()
    {
        if (!instance()) {
            instance() = new Dialog;
            if (setUp())
                setUp()(instance());
        }
        return instance();
    }
    // Null when no instance is loaded.
    static Dialog *current() { return instance(); }
    // Shows the shared instance modally; returns when it is closed. A dialog marked
    // delete-on-close is deleted by then: that is its unload.
    static void showShared()
    {
        Dialog *dialog = shared();
        const Modal::Wait wait(dialog);
        dialog->exec();
    }
    // Runs on every instance as it is made.
    static void whenMade(std::function<void(Dialog *)> hook) { setUp() = std::move(hook); }

private:
    static QPointer<Dialog> &instance()
    {
        static QPointer<Dialog> dialog;
        return dialog;
    }
    static std::function<void(Dialog *)> &setUp()
    {
        static std::function<void(Dialog *)> hook;
        return hook;
    }
};
