#pragma once
// The engine's commands on the page a view shows: save, save as, page set-up, print,
// print preview and properties, each with the engine's own dialogs. A command that cannot
// be carried out (nothing loaded, the print failed) throws PlatformError; a dialog the user
// cancels is not a failure and does nothing. A save goes on after the command returns and
// tells its outcome through notice().

#include "common/override.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWebEngineDownloadRequest>
#include <functional>
#include <memory>
#include <optional>

class PageSave;
class QDialog;
class QPrinter;
class QWebEngineView;
class QWidget;

class PageCommands : public QObject {
    Q_OBJECT
public:
    explicit PageCommands(QWebEngineView *view, QObject *parent = nullptr);
    ~PageCommands() override;

    void save();
    void saveAs();
    void pageSetup();
    // Print and Print Preview open no dialog while the page loads; the notice says why, once.
    void refuseWhileLoading();
    void print();
    void printPreview();
    void properties();

    // Paper, orientation and margins chosen in page set-up; print and preview use them.
    QPrinter *printer();

    // Where and how to save: the answer to the file-name question.
    struct SaveTarget {
        QString path;
        QWebEngineDownloadRequest::SavePageFormat format;
    };
    // Asks for the file name; no value means the user cancelled. Tests replace it.
    using SaveQuestion = std::function<std::optional<SaveTarget>(QWidget *parent, const QString &suggestedPath)>;
    static Override<SaveQuestion> &saveQuestion();

    // How long a save or print may take before it counts as failed, in milliseconds.
    using Timeout = std::function<int()>;
    static Override<Timeout> &timeout();

Q_SIGNALS:
    // How a save went, once, in plain words: saved (the file is on disk), failed and why.
    void notice(const QString &text);

private:
    void saveTo(const SaveTarget &target);
    // Waits until done; toFile writes the printer's PDF file with text, otherwise pages are rasterised.
    void printInto(QPrinter *printer, bool toFile);
    QUrl loadedUrl() const;
    QWidget *dialogParent() const;
    class Running;

    QPointer<QWebEngineView> m_view;
    QPointer<PageSave> m_save; // the last save started
    bool m_printing = false;
    bool m_running = false; // a command of this page waits (a dialog, the page, the engine)
    bool m_loading = false;
    std::unique_ptr<QPrinter> m_printer;
};
