#pragma once
// What the system-information program reports, gathered once at start.

#include <QList>
#include <QPair>
#include <QString>

struct ReportSection {
    QString title;
    QList<QPair<QString, QString>> items; // name, value
};

namespace SystemReport {
QList<ReportSection> gather();
// The whole report as plain text, one "name: value" a line under each section's title.
QString toText(const QList<ReportSection> &sections);
// Byte counts as people read them ("7.8 GiB").
QString formatBytes(qint64 bytes);
} // namespace SystemReport
