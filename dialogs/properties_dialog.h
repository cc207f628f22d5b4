#pragma once
// A page's properties, as the engine describes them. Every text is shown as plain text: the
// title and address come from the page and must never be read as markup.

#include "engine/engine_host.h"

#include <QDialog>

class PageProperties : public QDialog {
    Q_OBJECT
public:
    PageProperties(const PageFacts &facts, QWidget *parent = nullptr);

    // Shows the dialog for the engine and returns when it is closed.
    static void show(QWidget *parent, const PageFacts &facts);
};
