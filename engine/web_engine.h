#pragma once
// The web engine as a browser window sees it: the members it calls and the six events it
// handles. The window talks to nothing else of the engine, so tests drive it with a
// scripted fake and the backend can change without touching the window.
// A member that fails throws PlatformError.

#include "common/override.h"

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

// Command ids understood by ExecWB.
enum class ExecCommand : int {
    Save = 3,
    SaveAs = 4,
    Print = 6,
    PrintPreview = 7,
    PageSetup = 8,
    Properties = 10,
    Copy = 12,
    Paste = 13,
    SelectAll = 17,
    Refresh = 22,
};
constexpr int ExecDoDefault = 0; // the only execution option the program passes

class WebEngine : public QObject {
    Q_OBJECT
public:
    explicit WebEngine(QObject *parent = nullptr) : QObject(parent) {}

    // The page area, placed in the window like any other control. While it has the keyboard
    // it takes every key press it is sent; one its page leaves (no preventDefault) goes on to
    // the control's parent widget, as an unused key does in any widget, a moment later.
    virtual QWidget *control() = 0;

    virtual void Navigate(const QString &address) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void GoHome() = 0;
    virtual void GoSearch() = 0;
    virtual void Stop() = 0;
    virtual void ExecWB(ExecCommand commandId, int option) = 0;

    virtual void setOffline(bool offline) = 0;
    virtual bool Offline() const = 0;
    virtual void setRegisterAsBrowser(bool registered) = 0;
    virtual bool RegisterAsBrowser() const = 0;

    virtual QString LocationURL() const = 0;
    virtual bool Busy() const = 0;

    // The page's zoom, 1.0 at its own size; kept by this engine across its pages.
    virtual void setZoomFactor(double factor) = 0;
    virtual double zoomFactor() const = 0;

    // Finding a text on the page, case-blind: every occurrence is marked and the current one
    // is scrolled into view. findOnPage starts at the first occurrence, findNextOnPage moves on
    // to the next (wrapping at the end), clearFindOnPage takes the marks away.
    virtual void findOnPage(const QString &text) = 0;
    virtual void findNextOnPage(const QString &text) = 0;
    virtual void clearFindOnPage() = 0;

    // The engine's developer tools for this page, in a window of their own; brought forward
    // when already open. They close with the page.
    virtual void showDeveloperTools() = 0;

    // The page's text and structure for a reading view, read in a script world of the engine's
    // own (no page script sees it, nothing is fetched), same-origin frames included: JSON,
    // {"title": text, "blocks": [{"kind": "heading" | "text" | "item" | "row" | "field", ...}]}
    // as engine/qtwebengine/page/page_reading.cpp writes it; empty when the page cannot be read.
    // The handler runs later, and only while context lives.
    using PageTextHandler = std::function<void(const QString &json)>;
    virtual void readPageText(QObject *context, PageTextHandler handler) = 0;

    // Size of the page area in twips; a negative value is refused.
    virtual void setWidth(int twips);
    virtual void setHeight(int twips);

    // Closing the window: true when it may close now; otherwise the page asks first
    // (beforeunload) and CloseRequested follows if it agrees.
    virtual bool RequestClose() { return true; }

    // The engine's own automation object: what a new-window request hands back.
    virtual WebEngine *Object() { return this; }

    // NewWindow2: a page asks for a new window. The handler returns the engine that is to
    // show it, or null to refuse; with no handler the request is refused.
    using NewWindowHandler = std::function<WebEngine *()>;
    void setNewWindow2Handler(NewWindowHandler handler) { m_newWindow2 = std::move(handler); }

Q_SIGNALS:
    void DownloadBegin();
    void DownloadComplete();
    void ProgressChange(int progress, int progressMax);
    void TitleChange(const QString &text);
    void NavigateComplete2(QObject *pDisp, const QString &URL);
    // Not one of the six: a file this page saved or downloaded is done (or failed), or a typed
    // address came over http as its site has no secure version; the text says which, in plain
    // words, for the window's status bar.
    void FileNotice(const QString &text);
    // The page agreed to close, or asked to close the window it was opened in.
    void CloseRequested();

protected:
    WebEngine *NewWindow2() const { return m_newWindow2 ? m_newWindow2() : nullptr; }

private:
    NewWindowHandler m_newWindow2;
};

namespace WebEngines {
using Factory = std::function<WebEngine *(QWidget *parent)>;
// Makes the engine for a new browser window with the factory in force.
WebEngine *create(QWidget *parent);
// The backend installs its factory at start; tests put a fake in its place.
Override<Factory> &factory();
} // namespace WebEngines
