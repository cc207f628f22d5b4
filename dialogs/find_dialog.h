#pragma once
// The find dialog: finds a text, case-blind, in the first browser window's address box and
// selects it there. One shared instance, shown modally; closing it unloads it.

#include "common/shared_dialog.h"
#include "dialogs/find_search.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

class Find1 : public QDialog, public SharedDialog<Find1> {
    Q_OBJECT
public:
    explicit Find1(QWidget *parent = nullptr);
    ~Find1() override;


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

    // Where the search looks: the first browser window's address line, reached through this.
    void setAddressLine(std::function<QLineEdit *()> addressLine) { m_addressLine = std::move(addressLine); }

    void Form_Load();
    void Find_Click();
    void Findnext_Click();
    void Cancel_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLineEdit *addressLine() const;

    FindState m_state;
    std::function<QLineEdit *()> m_addressLine;
};
