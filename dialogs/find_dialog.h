#pragma once
// The find dialog: finds a text, case-blind, in the first browser window's address box and
// selects it there. One shared instance, shown modally; closing it unloads it.

#include "dialogs/find_search.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class Find1 : public QDialog {
    Q_OBJECT
public:
    explicit Find1(QWidget *parent = nullptr);
    ~Find1() override;

    // The shared instance, made on first use (and again after it was unloaded).
    static Find1 *shared();
    // Null when no instance is loaded.
    static Find1 *current();
    // Shows the shared instance modally; returns when it is closed.
    static void showShared();

    QPushButton *Findnext = nullptr;
    QPushButton *Cancel = nullptr;
    QPushButton *Find = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Label1 = nullptr;

    // Kept between clicks while the dialog is loaded.
    int &SearchPos = m_state.SearchPos;
    int &ResumePos = m_state.ResumePos;
    int &MatchResult = m_state.MatchResult;
    QString &Candidate = m_state.Candidate;

    void Form_Load();
    void Find_Click();
    void Findnext_Click();
    void Cancel_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    FindState m_state;
};
