#pragma once
// What to share when a page asks to share the screen: the screens and windows the engine
// offers, listed by name, with Share and Cancel. Shown over the page's own window only.

#include "engine/engine_host.h"

#include <QDialog>

class QListWidget;
class QPushButton;

class ScreenChooser : public QDialog {
    Q_OBJECT
public:
    ScreenChooser(const ScreenShareRequest &request, QWidget *parent = nullptr);

    // The chosen screen or window, or nothing when none is chosen.
    std::optional<ScreenShareChoice> choice() const;

    static std::optional<ScreenShareChoice> ask(QWidget *pageArea, const ScreenShareRequest &request, QObject *pending);

private:
    QListWidget *m_list;
    QPushButton *m_share;
};
