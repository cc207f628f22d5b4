#pragma once
// Runs a dialog that keeps only its own browser window waiting: that window takes no
// clicks or keys until the dialog is answered, but other windows go on working and the
// window's close box still reaches it (a modal dialog of the toolkit would swallow it).

class QDialog;
class QObject;

namespace WindowModal {
// Shows the dialog over its parent's window and returns its result code when it is
// answered, or a rejection when `withdrawn` (if given) is destroyed first.
int run(QDialog *dialog, QObject *withdrawn = nullptr);
} // namespace WindowModal
