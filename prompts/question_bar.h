#pragma once
// A permission question in a bar across the top of the page that asked: "<site> wants to
// ... — Allow / Deny". The page goes on while it waits; the bar goes when answered or
// when the engine withdraws the question. It takes the keyboard focus when it comes, reads
// as a notification to screen readers, and Esc answers Deny.

#include "engine/engine_host.h"

#include <QFrame>
#include <QPointer>

class QuestionBar : public QFrame {
    Q_OBJECT
public:
    QuestionBar(QWidget *pageArea, const PermissionQuestion &question, std::function<void(bool)> answer);

    // The engine's permission question, put to the user in the page's window.
    static void ask(QWidget *pageArea, const PermissionQuestion &question, QObject *pending,
                    std::function<void(bool)> answer);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
    void answerWith(bool allow);
    void giveFocusBack();

    std::function<void(bool)> m_answer;
    QPointer<QWidget> m_pageArea;
    QPointer<QWidget> m_focusBefore;
};
