#pragma once
// The files a page may reach. Files the user picks in the program's dialogs are the page's:
// a file picked to save may be written, one picked to open may be read, with no further
// question. Anything more, a folder or a write to a file only opened, is asked in the
// page's window; the answers hold for this run.

#include <QHash>
#include <QObject>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEnginePage>

class QWebEngineView;

class FileAccess : public QObject {
    Q_OBJECT
public:
    FileAccess(QWebEnginePage *page, QWebEngineView *area);

    QStringList choose(QWebEnginePage::FileSelectionMode mode, const QStringList &oldFiles,
                       const QStringList &accepted);

private:
    void requested(QWebEngineFileSystemAccessRequest request);
    void withdrawQuestions();

    QWebEnginePage *m_page;
    QWebEngineView *m_area;
    // Files picked in this page, by site and path, and what picking them allowed.
    QHash<QString, QWebEngineFileSystemAccessRequest::AccessFlags> m_picked;
};
