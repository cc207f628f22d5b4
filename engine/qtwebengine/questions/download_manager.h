#pragma once
// Answers every download the pages of the shared profile offer, in the window whose page
// asked: the user picks the file, the engine fetches it under a temporary name beside it
// (the target's name + ".download") and gives it its own name only when complete. A
// download that is cancelled, fails or is cut short by the program ending leaves no file.

#include <QObject>

class QWebEngineDownloadRequest;
class QWebEngineProfile;

class DownloadManager : public QObject {
    Q_OBJECT
public:
    explicit DownloadManager(QWebEngineProfile *profile);

    // Where the engine keeps a download's data until it is complete.
    static QString partialPath(const QString &target);

private:
    void requested(QWebEngineDownloadRequest *request);
};
