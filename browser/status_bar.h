#pragma once
// The browser window's status bar: one text panel with the application icon at its left.

#include <QFrame>

class QLabel;

class StatusBar : public QFrame {
    Q_OBJECT
public:
    explicit StatusBar(QWidget *parent = nullptr);

    // Panel 1, the only panel.
    QString panelText() const;
    void setPanelText(const QString &text);

private:
    QLabel *m_icon;
    QLabel *m_text;
};
