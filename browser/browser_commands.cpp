// The menu commands: File, Edit, View, Favourites, Tools and Help.

#include "browser/browser_window.h"

#include "dialogs/about_dialog.h"
#include "dialogs/find_dialog.h"
#include "dialogs/open_file_dialog.h"
#include "common/failure.h"
#include "common/message_box.h"
#include "engine/web_engine.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>

namespace {
constexpr int doDefault = ExecDoDefault;

QClipboard *clipboard()
{
    QClipboard *board = QApplication::clipboard();
    if (!board)
        throw PlatformError(QStringLiteral("The clipboard is not available"));
    return board;
}
} // namespace

// ---- File and View ----

void Browser::New_Click()
{
    auto *window = new Browser; // independent: it lives until it is closed
    window->show();
}

void Browser::Open_Click() { openfile::showShared(); }

void Browser::Save_Click()
{
    resumeNext([this] { WebBrowser1->ExecWB(ExecCommand::Save, doDefault); });
}

void Browser::SaveAs_Click() { WebBrowser1->ExecWB(ExecCommand::SaveAs, doDefault); }

void Browser::pagesetup_Click()
{
    resumeNext([this] { WebBrowser1->ExecWB(ExecCommand::PageSetup, doDefault); });
}

void Browser::print_Click()
{
    resumeNext([this] { WebBrowser1->ExecWB(ExecCommand::Print, doDefault); });
}

void Browser::printpreview_Click()
{
    resumeNext([this] { WebBrowser1->ExecWB(ExecCommand::PrintPreview, doDefault); });
}

void Browser::properties_Click()
{
    resumeNext([this] { WebBrowser1->ExecWB(ExecCommand::Properties, doDefault); });
}

void Browser::offline_Click() { WebBrowser1->setOffline(true); }

// Closes rather than hides: a hidden window could never come back and would keep the
// program alive with no way to end it.
void Browser::Exit_Click() { close(); }

void Browser::Stopbrw_Click() { WebBrowser1->Stop(); }

void Browser::Refreshbrw_Click() { WebBrowser1->ExecWB(ExecCommand::Refresh, doDefault); }

// ---- Edit ----

bool Browser::focusInAddressBox() const
{
    const QWidget *focused = focusWidget();
    return focused && (focused == ComboURL || focused == ComboURL->lineEdit());
}

bool Browser::focusInPage() const
{
    const QWidget *focused = focusWidget();
    const QWidget *page = WebBrowser1->control();
    return focused && (focused == page || page->isAncestorOf(focused));
}

void Browser::Cut_Click()
{
    if (focusInAddressBox()) {
        QLineEdit *edit = ComboURL->lineEdit();
        clipboard()->setText(edit->selectedText());
        edit->insert(QString()); // removes the selection; nothing is left in its place
    }
}

void Browser::Copy_Click()
{
    if (focusInAddressBox())
        clipboard()->setText(ComboURL->lineEdit()->selectedText());
    if (focusInPage())
        WebBrowser1->ExecWB(ExecCommand::Copy, doDefault);
}

void Browser::Paste_Click()
{
    // A focus test that fails counts as passed, so its branch is tried.
    bool inAddressBox = true;
    resumeNext([&] { inAddressBox = focusInAddressBox(); });
    if (inAddressBox)
        resumeNext([this] { ComboURL->lineEdit()->insert(clipboard()->text()); });
    bool inPage = true;
    resumeNext([&] { inPage = focusInPage(); });
    if (inPage)
        resumeNext([this] { WebBrowser1->ExecWB(ExecCommand::Paste, doDefault); });
}

void Browser::selectall_Click()
{
    if (focusInAddressBox())
        ComboURL->setFocus();
    if (focusInPage()) {
        Cut->setEnabled(false);
        WebBrowser1->ExecWB(ExecCommand::SelectAll, doDefault);
    }
}

void Browser::Find_Click() { Find1::showShared(); }

// ---- Favourites, Tools, Help ----

void Browser::atf_Click()
{
    MessageBox::show(QStringLiteral("There Are No Favourites Available At Present"));
}

void Browser::ioptions_Click()
{
    MessageBox::show(QStringLiteral(
        "Please Open Internet Explorer , Click Tools Menu And Change The Internet Options There"));
}

void Browser::Aboutus_Click() { frmAbout::showShared(); }
