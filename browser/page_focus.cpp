#include "browser/page_focus.h"

#include <QAccessible>
#include <QPointer>
#include <QTimer>
#include <QWidget>

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

// The document, once it holds the focus; the engine moves it there asynchronously.
void announceWhenFocused(const QPointer<QWidget> &page, int triesLeft)
{
    if (!page || !page->hasFocus() || !QAccessible::isActive())
        return;
    QAccessibleInterface *doc = document(QAccessible::queryAccessibleInterface(page));
    if (doc && doc->state().focused) {
        QAccessibleEvent event(doc, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
        return;
    }
    if (triesLeft > 0)
        QTimer::singleShot(50, page, [page, triesLeft] { announceWhenFocused(page, triesLeft - 1); });
}
} // namespace

namespace PageFocus {
void give(QWidget *page)
{
    page->setFocus(Qt::OtherFocusReason);
    announceWhenFocused(page, 20);
}
} // namespace PageFocus
