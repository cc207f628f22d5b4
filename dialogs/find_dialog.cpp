#include "dialogs/find_dialog.h"

#include "common/design.h"
#include "common/connect_guarded.h"
#include "common/failure.h"
#include "common/twips.h"
#include "engine/web_engine.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

// The address box's edit line as the search sees it.
class LineEditTarget : public FindTarget {
public:
    explicit LineEditTarget(QLineEdit *edit) : m_edit(edit) {}
    QString text() const override { return m_edit->text(); }
    void setSelection(int start, int length) override
    {
        // An edit box puts a start past its end at the end rather than refusing it.
        const int size = int(m_edit->text().size());
        const int at = std::clamp(start, 0, size);
        if (length > 0)
            m_edit->setSelection(at, length);
        else
            m_edit->setCursorPosition(at);
    }
    QString selectedText() const override { return m_edit->selectedText(); }

private:
    QLineEdit *m_edit;
};

QPushButton *makeButton(const QString &caption, const QRect &place, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setGeometry(place);
    // Enter never presses a button here.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

Find1::Find1(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Find1"));
    setWindowTitle(QStringLiteral("Find"));
    setAttribute(Qt::WA_DeleteOnClose);
    Design::paint(this, Design::background);
    resize(Twips::toPixels(5745), Twips::toPixels(1440));

    Findnext = makeButton(QStringLiteral("Find Next"), Twips::rect(2880, 840, 1455, 375), this);
    Findnext->setObjectName(QStringLiteral("Findnext"));
    Cancel = makeButton(QStringLiteral("Cancel"), Twips::rect(4560, 240, 975, 375), this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    Find = makeButton(QStringLiteral("Find"), Twips::rect(1080, 840, 855, 375), this);
    Find->setObjectName(QStringLiteral("Find"));

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(Twips::rect(1080, 240, 3135, 375));

    Label1 = new QLabel(QStringLiteral("Find"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(120, 240, 735, 255));
    Label1->setFont(Design::font(QStringLiteral("Monotype Corsiva"), 14.25, true, true));
    Design::paint(Label1, Design::background, QColor(64, 64, 64));
    Label1->setBuddy(Text1); // the text box is read as "Find"

    setTabOrder(Text1, Find);
    setTabOrder(Find, Cancel);
    setTabOrder(Cancel, Findnext);
    Text1->setFocus();

    connectGuarded(Find, &QPushButton::clicked, this, &Find1::Find_Click);
    connectGuarded(Findnext, &QPushButton::clicked, this, &Find1::Findnext_Click);
    connectGuarded(Cancel, &QPushButton::clicked, this, &Find1::Cancel_Click);

    unguarded([this] { Form_Load(); });
}

Find1::~Find1()
{
    // Unloading takes the marks off the page; a destructor reports nothing.
    resumeNext([this] {
        if (m_marked)
            m_marked->clearFindOnPage();
    });
}

QLineEdit *Find1::addressLine() const
{
    if (!m_addressLine)
        throw PlatformError(QStringLiteral("The browser window's address box is not available"));
    return m_addressLine();
}

WebEngine *Find1::page()
{
    WebEngine *engine = m_page ? m_page() : nullptr;
    if (!engine)
        throw PlatformError(QStringLiteral("The browser window's page is not available"));
    m_marked = engine;
    return engine;
}

void Find1::Form_Load() { Findnext->setEnabled(false); }

void Find1::Find_Click()
{
    LineEditTarget target(addressLine());
    if (FindSearch::find(target, Text1->text(), m_state)) {
        Find->setEnabled(false);
        Findnext->setEnabled(true);
    }
    page()->findOnPage(Text1->text());
}

void Find1::Findnext_Click()
{
    LineEditTarget target(addressLine());
    FindSearch::findNext(target, Text1->text(), m_state);
    page()->findNextOnPage(Text1->text());
}

void Find1::Cancel_Click() { close(); }

void Find1::keyPressEvent(QKeyEvent *event)
{
    // No default or cancel button: Enter and Escape do nothing here.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->ignore();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
