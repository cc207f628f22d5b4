#include "browser/reading_view.h"

#include "browser/browser_keys.h"
#include "browser/page_focus.h"
#include "browser/reading_text.h"
#include "common/failure.h"
#include "engine/web_engine.h"

#include <QKeyEvent>
#include <QTimer>

namespace {
// How long the page may take to answer before the view opens without its text.
constexpr int answerWaitMs = 1000;

Qt::KeyboardModifiers modifiers(const QKeyEvent *key) { return key->modifiers() & ~Qt::KeypadModifier; }

// The zoom keys, as the window has them for the page: Ctrl with plus (or =), minus, 0.
bool isZoomKey(const QKeyEvent *key)
{
    return (modifiers(key) & ~Qt::ShiftModifier) == Qt::ControlModifier
           && (key->key() == Qt::Key_Plus || key->key() == Qt::Key_Equal || key->key() == Qt::Key_Minus
               || key->key() == Qt::Key_0);
}

bool isEscape(const QKeyEvent *key) { return key->key() == Qt::Key_Escape && modifiers(key) == Qt::NoModifier; }
} // namespace

ReadingView::ReadingView(WebEngine *engine, QWidget *parent) : QTextBrowser(parent), m_engine(engine)
{
    setObjectName(QStringLiteral("readingView"));
    setAccessibleName(QStringLiteral("Reading view"));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    // The caret shows and moves as in a document, beside the links a browser view offers.
    setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    document()->setDocumentMargin(12);
    m_fontSize = font().pointSizeF();
    QWidget::hide();
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) { Q_EMIT linkChosen(url.toString()); });
    connect(engine, &WebEngine::DownloadComplete, this, [this] {
        if (m_open) {
            m_announce = true;
            read();
        }
    });
    parent->installEventFilter(this);
}

QVariant ReadingView::loadResource(int, const QUrl &)
{
    return QVariant(); // nothing is fetched for the view: no image, no style sheet
}

void ReadingView::openView()
{
    if (m_open)
        return;
    m_open = true;
    m_announce = false;
    read();
    // A page that does not answer (a script running away with it) still gets the view.
    QTimer::singleShot(answerWaitMs, this, [this, reading = m_reading] {
        if (m_open && reading == m_reading && !isVisible()) {
            setPlainText(QStringLiteral("Reading the page…"));
            m_announce = true;
            reveal();
        }
    });
}

void ReadingView::closeView()
{
    if (!m_open)
        return;
    m_open = false;
    ++m_reading; // an answer still on its way is dropped
    QWidget *page = m_engine->control();
    page->show();
    PageFocus::give(page);
    QWidget::hide();
}

void ReadingView::read()
{
    const int reading = ++m_reading;
    m_current = false;
    bool asked = false;
    resumeNext([&] {
        m_engine->readPageText(this, [this, reading](const QString &json) {
            if (m_open && reading == m_reading)
                showText(json);
        });
        asked = true;
    });
    if (!asked)
        showText(QString());
}

void ReadingView::showText(const QString &json)
{
    const QString title = ReadingText::build(json, document());
    setAccessibleName(title.isEmpty() ? QStringLiteral("Reading view") : QStringLiteral("Reading view: ") + title);
    moveTo(0);
    m_current = true;
    if (!isVisible())
        reveal(); // the keyboard comes in: a screen reader says the view's name
    else if (m_announce && hasFocus())
        PageFocus::announce(this, accessibleName());
}

void ReadingView::reveal()
{
    followPage();
    QWidget::show();
    raise();
    setFocus(Qt::OtherFocusReason);
    m_engine->control()->hide(); // after the focus has moved, so it does not pass by the toolbar
}

void ReadingView::followPage() { setGeometry(m_engine->control()->geometry()); }

void ReadingView::moveTo(int position)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(position);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void ReadingView::zoomTo(double factor)
{
    m_zoom = factor;
    QFont sized = font();
    sized.setPointSizeF(m_fontSize * m_zoom);
    setFont(sized);
}

bool ReadingView::event(QEvent *event)
{
    // Esc and the zoom keys are the view's own while it has the keyboard, not the window's.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (isEscape(key) || isZoomKey(key)) {
            event->accept();
            return true;
        }
    }
    return QTextBrowser::event(event);
}

void ReadingView::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = modifiers(event);
    const bool plainOrShift = mods == Qt::NoModifier || mods == Qt::ShiftModifier;
    const int key = event->key();
    if (isEscape(event))
        return closeView();
    if (isZoomKey(event)) {
        if (key == Qt::Key_0)
            return zoomTo(1.0);
        return zoomTo(key == Qt::Key_Minus ? BrowserKeys::zoomedOut(m_zoom) : BrowserKeys::zoomedIn(m_zoom));
    }
    if (plainOrShift && (key == Qt::Key_H || key == Qt::Key_K)) {
        const bool forward = mods == Qt::NoModifier;
        const int from = textCursor().position();
        const int to = key == Qt::Key_H ? ReadingText::nextHeading(document(), from, forward)
                                        : ReadingText::nextLink(document(), from, forward);
        if (to >= 0)
            moveTo(to);
        else
            PageFocus::announce(this, key == Qt::Key_H ? QStringLiteral("No more headings")
                                                       : QStringLiteral("No more links"));
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier) {
        const QTextCursor cursor = textCursor();
        const QString address = ReadingText::linkAt(document(), cursor.hasSelection() ? cursor.selectionStart()
                                                                                      : cursor.position());
        if (!address.isEmpty()) {
            Q_EMIT linkChosen(address);
            return;
        }
    }
    QTextBrowser::keyPressEvent(event);
}

bool ReadingView::eventFilter(QObject *watched, QEvent *event)
{
    // The window lays the page area out when it resizes; the view takes its place after that.
    if (m_open && watched == parentWidget() && event->type() == QEvent::Resize)
        QMetaObject::invokeMethod(this, &ReadingView::followPage, Qt::QueuedConnection);
    return QTextBrowser::eventFilter(watched, event);
}
