#include "browser/page_focus.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace {
QAccessibleInterface *document(QAccessibleInterface *node, int depth = 0)
{
    if (!node || depth > 4)
        return nullptr;
    if (node->role() == QAccessible::WebDocument || node->role() == QAccessible::Document)
        return node;
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface *found = document(node->child(i), depth + 1))
            return found;
    }
    return nullptr;
}

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
// What a screen reader announces: the page's title, as a notification that shows. Newer Qt
// passes announcements on; before it, readers read notifications as they appear.
class Announcement : public QAccessibleObject {
public:
    Announcement(QObject *owner, QWidget *page, QString text)
        : QAccessibleObject(owner), m_page(page), m_text(std::move(text)) {}
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_page); }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? m_text : QString(); }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }

private:
    QPointer<QWidget> m_page;
    QString m_text;
};
#endif

// The first title said in a run also says how to reach the reading view.
QString readingViewHint()
{
    static bool told = false;
    return std::exchange(told, true) ? QString() : QStringLiteral(", Ctrl+Alt+R: reading view");
}
} // namespace

void PageFocus::announce(QWidget *page, const QString &text)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(page, text);
    QAccessible::updateAccessibility(&event);
#else
    // Lives as long as the reader may ask about it.
    auto *owner = new QObject(page);
    QTimer::singleShot(5000, owner, &QObject::deleteLater);
    auto *note = new Announcement(owner, page, text);
    QAccessible::registerAccessibleInterface(note);
    QAccessibleEvent event(note, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&event);
#endif
}

namespace {
// The document, once it holds the focus; the engine moves it there asynchronously. Newer
// engines first show a stand-in document that is gone within milliseconds, and a focus event
// for it leaves the reader on the address box: the document must still be there a moment later.
void announceWhenFocused(const QPointer<QWidget> &page, int triesLeft, QAccessible::Id seen = 0)
{
    if (!page || !page->hasFocus() || !QAccessible::isActive())
        return;
    QAccessibleInterface *doc = document(QAccessible::queryAccessibleInterface(page));
    const QAccessible::Id id = doc && doc->state().focused ? QAccessible::uniqueId(doc) : 0;
    if (id && id == seen) {
        QAccessibleEvent event(doc, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
        PageFocus::announce(page, page->accessibleName() + readingViewHint());
        return;
    }
    if (triesLeft > 0)
        QTimer::singleShot(50, page, [page, triesLeft, id] { announceWhenFocused(page, triesLeft - 1, id); });
}

// The element inside the document that holds the focus, if the engine has one.
QAccessibleInterface *focusedElement(QAccessibleInterface *doc)
{
    QAccessibleInterface *node = doc;
    for (int depth = 0; node && depth < 64; ++depth) {
        QAccessibleInterface *next = node->focusChild();
        if (!next || next == node)
            break;
        node = next;
    }
    return node != doc && node && node->state().focused ? node : nullptr;
}

void announceFocusedElement(const QPointer<QWidget> &page)
{
    if (!page || !page->hasFocus() || !QAccessible::isActive())
        return;
    QAccessibleInterface *doc = document(QAccessible::queryAccessibleInterface(page));
    if (QAccessibleInterface *element = doc ? focusedElement(doc) : nullptr) {
        QAccessibleEvent event(element, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}
} // namespace

namespace PageFocus {
void watch(QWidget *page)
{
    QObject::connect(qApp, &QApplication::focusChanged, page, [page = QPointer<QWidget>(page)](QWidget *from, QWidget *to) {
        const auto inPage = [&page](QWidget *w) { return w && (w == page || page->isAncestorOf(w)); };
        if (page && inPage(to) && from && !inPage(from))
            QTimer::singleShot(250, page, [page] { announceFocusedElement(page); });
    });
}

void give(QWidget *page)
{
    page->setFocus(Qt::OtherFocusReason);
    announceWhenFocused(page, 20);
}
} // namespace PageFocus
