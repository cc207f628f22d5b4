#pragma once
// The window designs' fonts and colours, applied the same way in every window.

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

namespace Design {
// The light grey behind every window of the program.
inline const QColor background{224, 224, 224};

// A design font by its family name (the program maps the Windows names to free fonts).
QFont font(const QString &family, double points, bool bold = false, bool italic = false);

// An opaque background and, when given, the text colour.
void paint(QWidget *widget, const QColor &background, const QColor &text = QColor());
} // namespace Design
