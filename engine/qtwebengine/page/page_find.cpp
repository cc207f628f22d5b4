#include "engine/qtwebengine/page/page_find.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineScript>

PageFind::PageFind(QWebEnginePage *page) : QObject(page), m_page(page) {}

void PageFind::find(const QString &text)
{
    clear();
    if (text.isEmpty())
        return;
    m_starting = true;
    // In a world of our own: the page's scripts neither see nor stop it.
    m_page->runJavaScript(QStringLiteral("window.getSelection().removeAllRanges()"),
                          QWebEngineScript::ApplicationWorld,
                          [self = QPointer<PageFind>(this), search = m_search, text](const QVariant &) {
                              if (self && self->m_search == search)
                                  self->start(text);
                          });
}

void PageFind::start(const QString &text)
{
    m_starting = false;
    m_page->findText(text);
    for (; m_nextsWaiting > 0; --m_nextsWaiting)
        m_page->findText(text);
}

void PageFind::findNext(const QString &text)
{
    if (m_starting)
        ++m_nextsWaiting;
    else
        m_page->findText(text); // the same text again: the next occurrence, wrapping at the end
}

void PageFind::clear()
{
    ++m_search;
    m_starting = false;
    m_nextsWaiting = 0;
    m_page->findText(QString()); // the engine takes its marks away
}
