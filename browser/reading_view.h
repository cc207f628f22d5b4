#pragma once
// The reading view: the page's text in the toolkit's own text view, in place of the page,
// which every screen reader reads with the arrows and say-all. The keyboard is in it with a
// visible caret; H and K (Shift: back) move the caret by heading and by link, Tab goes through
// the links, Enter follows the link at the caret, the zoom keys size its text and Esc closes it.
// It follows the page: each page that finishes loading while it is open is read again. It
// loads nothing itself and runs none of the page's scripts.

#include <QTextEdit>

class WebEngine;

class ReadingView : public QTextEdit {
    Q_OBJECT
public:
    // Over the engine's page area, hidden until opened.
    ReadingView(WebEngine *engine, QWidget *parent);

    // Reads the page and shows its text with the keyboard in it, the page hidden meanwhile.
    void openView();
    // The page again, with the keyboard.
    void closeView();
    bool isOpen() const { return m_open; }
    // The page's text has been read and shown since the last open or load.
    bool isCurrent() const { return m_current; }

    QVariant loadResource(int type, const QUrl &name) override;

Q_SIGNALS:
    // The user chose a link (Enter, or a click): the page is to load it.
    void linkChosen(const QString &address);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void read();
    void showText(const QString &json);
    void reveal();
    void moveTo(int position);
    void moveBy(int key, bool forward);
    void zoomTo(double factor);
    void followPage();

    WebEngine *m_engine;
    bool m_open = false;
    bool m_current = false;
    bool m_announce = false; // the new text is said when it comes, the keyboard already here
    int m_reading = 0;       // the read whose answer counts; older answers are dropped
    double m_zoom = 1.0;
    qreal m_fontSize;
};
