#pragma once
// The find dialog: finds a text, case-blind, in the first browser window's address box and
// selects it there, and finds the same text on that window's page, marking it there until
// the dialog closes. One shared instance, shown modally; closing it unloads it.

#include "common/shared_dialog.h"
#include "dialogs/find_search.h"

#include <QDialog>
#include <QPointer>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class WebEngine;

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
    // And the engine of the same window, whose page is searched too.
    void setPage(std::function<WebEngine *()> page) { m_page = std::move(page); }

    void Form_Load();
    void Find_Click();
    void Findnext_Click();
    void Cancel_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLineEdit *addressLine() const;
    WebEngine *page();

    FindState m_state;
    std::function<QLineEdit *()> m_addressLine;
    std::function<WebEngine *()> m_page;
    QPointer<WebEngine> m_marked; // the engine whose page shows marks, cleared on unload
};
