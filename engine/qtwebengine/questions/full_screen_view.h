#pragma once
// A page shown full screen: a window of its own that fills the screen with the page, while
// the browser window waits behind it. Esc or closing it gives the page back to its window.

#include <QPointer>
#include <QWidget>

class QWebEnginePage;
class QWebEngineView;

class FullScreenView : public QWidget {
    Q_OBJECT
public:
    FullScreenView(QWebEngineView *original, QWebEnginePage *page);
    ~FullScreenView() override;

    // The page is going away with its window: nothing to give back.
    void forget() { m_page.clear(); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QPointer<QWebEngineView> m_original;
    QPointer<QWebEnginePage> m_page;
    QWebEngineView *m_view;
};
