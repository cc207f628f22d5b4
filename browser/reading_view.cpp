#include "browser/reading_view.h"

#include "browser/browser_keys.h"
#include "browser/page_focus.h"
#include "browser/reading_text.h"
#include "common/failure.h"
#include "engine/web_engine.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextDocument>
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

ReadingView::ReadingView(WebEngine *engine, QWidget *parent) : QTextEdit(parent), m_engine(engine)
{
    setObjectName(QStringLiteral("readingView"));
    setAccessibleName(QStringLiteral("Reading view"));
    // A read-only text, not a browser's text view: the toolkit gives screen readers the one as
    // a text they read by line and the other as a label.
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_fontSize = font().pointSizeF();
    QWidget::hide();
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
    // Built apart and put in at once: built in place, every line would reach a screen reader
    // as an edit of the view, and the view's name then went unsaid as it took the keyboard.
    auto *text = new QTextDocument(this);
    text->setDefaultFont(font());
    text->setDocumentMargin(12);
    const QString title = ReadingText::build(json, text);
    QTextDocument *old = document();
    const bool ours = old->parent() == this; // the edit's first one goes with setDocument
    setDocument(text);
    if (ours)
        old->deleteLater();
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
    return QTextEdit::event(event);
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
    if (plainOrShift && (key == Qt::Key_H || key == Qt::Key_K))
        return moveBy(key, mods == Qt::NoModifier);
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier) {
        const QTextCursor cursor = textCursor();
        const QString address = ReadingText::linkAt(document(), cursor.hasSelection() ? cursor.selectionStart()
                                                                                      : cursor.position());
        if (!address.isEmpty()) {
            Q_EMIT linkChosen(address);
            return;
        }
    }
    QTextEdit::keyPressEvent(event);
}

// The caret moves to the heading or the link, and its words are said: screen readers read a
// caret moved by a key they do not know as a move within the line, or not at all.
void ReadingView::moveBy(int key, bool forward)
{
    const bool heading = key == Qt::Key_H;
    const int from = textCursor().position();
    const int to = heading ? ReadingText::nextHeading(document(), from, forward)
                           : ReadingText::nextLink(document(), from, forward);
    if (to < 0) {
        PageFocus::announce(this, heading ? QStringLiteral("No more headings") : QStringLiteral("No more links"));
        return;
    }
    moveTo(to);
    const QTextBlock block = document()->findBlock(to);
    if (heading)
        return PageFocus::announce(this, block.text());
    const int end = ReadingText::linkEnd(document(), to);
    PageFocus::announce(this, block.text().mid(to - block.position(), end - to) + QStringLiteral(", link"));
}

void ReadingView::mouseReleaseEvent(QMouseEvent *event)
{
    const QString address = anchorAt(event->position().toPoint());
    QTextEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && !address.isEmpty() && !textCursor().hasSelection())
        Q_EMIT linkChosen(address);
}

// Tab and Shift+Tab go through the links, each selected; past the last, on to the next control.
bool ReadingView::focusNextPrevChild(bool next)
{
    const QTextCursor cursor = textCursor();
    const int from = next ? cursor.selectionEnd() - 1 : cursor.selectionStart();
    const int to = ReadingText::nextLink(document(), qMax(from, next ? -1 : 0), next);
    if (to < 0)
        return QTextEdit::focusNextPrevChild(next);
    QTextCursor link(document());
    link.setPosition(to);
    link.setPosition(ReadingText::linkEnd(document(), to), QTextCursor::KeepAnchor);
    setTextCursor(link);
    ensureCursorVisible();
    return true;
}

bool ReadingView::eventFilter(QObject *watched, QEvent *event)
{
    // The window lays the page area out when it resizes; the view takes its place after that.
    if (m_open && watched == parentWidget() && event->type() == QEvent::Resize)
        QMetaObject::invokeMethod(this, &ReadingView::followPage, Qt::QueuedConnection);
    return QTextEdit::eventFilter(watched, event);
}
