#pragma once
// What the engine asks of the program around it. The engine knows none of the program's
// dialogs: the program installs them here at start, and tests answer in their place.

#include "common/override.h"

#include <QIcon>
#include <QString>
#include <functional>

class Download;
class QWidget;

// A page's properties as the engine knows them, each text ready to show. Page-supplied
// texts (title, address) are shown literally.
struct PageFacts {
    QString title;
    QString address;
    QString protocol;
    QString type;
    QString size;
    QString modified; // empty when not known
    QString security;
    QIcon icon;
};

namespace EngineHost {
using PropertiesView = std::function<void(QWidget *parent, const PageFacts &facts)>;
// Shows a page's properties; fails until the program has installed its dialog.
Override<PropertiesView> &showProperties();

using DownloadTargetQuestion = std::function<QString(QWidget *parent, const QString &suggestedName)>;
// Where to save a download the page offers; an empty answer means the user cancelled.
// Unanswered until the program installs its dialog: nothing is written.
Override<DownloadTargetQuestion> &askDownloadTarget();

using DownloadView = std::function<void(QWidget *parent, Download *download)>;
// A download has begun (or could not begin) in parent's page: the program shows it.
Override<DownloadView> &showDownload();
} // namespace EngineHost
