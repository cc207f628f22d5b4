#pragma once
// A page's alert, confirm, prompt or "leave this page?" question, shown over the page's own
// window only. Everything the page wrote is shown as plain text.

#include "engine/engine_host.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

class PageDialog : public QDialog {
    Q_OBJECT
public:
    PageDialog(const PageDialogRequest &request, QWidget *parent = nullptr);

    PageDialogAnswer answer() const;

    // The engine's page-dialog question, answered by the user.
    static PageDialogAnswer ask(QWidget *pageArea, const PageDialogRequest &request, QObject *pending);

private:
    QLineEdit *m_text = nullptr;
    QCheckBox *m_stop = nullptr;
};
