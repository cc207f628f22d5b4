#pragma once
// Finding a text on one page: the engine marks every occurrence and scrolls to the current
// one. The engine would start a new search from the page's selection (the last occurrence
// found stays selected when a search ends), so a new search clears it first and then starts
// at the first occurrence.

#include <QObject>
#include <QString>

class QWebEnginePage;

class PageFind : public QObject {
    Q_OBJECT
public:
    explicit PageFind(QWebEnginePage *page);

    void find(const QString &text);
    void findNext(const QString &text);
    void clear();

private:
    void start(const QString &text);

    QWebEnginePage *m_page;
    quint64 m_search = 0;   // counts searches: a late answer for an ended one is dropped
    bool m_starting = false; // the selection is being cleared; the search has not begun
    int m_nextsWaiting = 0;  // Find Next pressed meanwhile, carried out once it begins
};
