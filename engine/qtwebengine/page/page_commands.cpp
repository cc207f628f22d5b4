#include "engine/qtwebengine/page/page_commands.h"

#include "common/failure.h"
#include "common/modal.h"
#include "engine/engine_host.h"
#include "engine/qtwebengine/page/page_facts_reader.h"
#include "engine/qtwebengine/page/page_save.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace {

struct SaveFilter {
    const char *label;
    const char *suffix;
    QWebEngineDownloadRequest::SavePageFormat format;
};

const SaveFilter kSaveFilters[] = {
    {"Web Page, HTML only (*.html *.htm)", "html", QWebEngineDownloadRequest::SingleHtmlSaveFormat},
    {"Web Page, complete (*.html *.htm)", "html", QWebEngineDownloadRequest::CompleteHtmlSaveFormat},
    {"Web Archive, single file (*.mhtml *.mht)", "mhtml", QWebEngineDownloadRequest::MimeHtmlSaveFormat},
};

std::optional<PageCommands::SaveTarget> askWithFileDialog(QWidget *parent, const QString &suggestedPath)
{
    QFileDialog dialog(parent, QObject::tr("Save Web Page"));
    dialog.setAcceptMode(QFileDialog::AcceptSave); // asks before replacing a file
    QStringList labels;
    for (const SaveFilter &f : kSaveFilters)
        labels << QObject::tr(f.label);
    dialog.setNameFilters(labels);
    dialog.setDefaultSuffix(QStringLiteral("html"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, labels](const QString &filter) {
        const int i = int(labels.indexOf(filter));
        dialog.setDefaultSuffix(QString::fromLatin1(kSaveFilters[qMax(0, i)].suffix));
    });
    dialog.selectFile(suggestedPath);
    if (Modal::run(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const int i = qMax(0, int(labels.indexOf(dialog.selectedNameFilter())));
    return PageCommands::SaveTarget{dialog.selectedFiles().constFirst(), kSaveFilters[i].format};
}

// A file name made from the page's title, in the user's documents folder.
QString suggestedSavePath(const QWebEnginePage *page)
{
    QString name = page->title().simplified();
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral(" "));
    name = name.simplified();
    if (name.isEmpty())
        name = QFileInfo(page->url().path()).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("page");
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(name.left(120) + QStringLiteral(".html"));
}

} // namespace

// One command of a page at a time. Each waits (in a dialog, for the page's answer, for the
// engine's painting) while the user can still reach the window's menu; a second one begun
// meanwhile would find the shared printer in the first one's hands (Print Preview switches its
// paint engine while it paints, and Qt recursed without end in a printer used so) or the page
// still being read.
class PageCommands::Running {
public:
    explicit Running(PageCommands *commands) : m_commands(commands)
    {
        if (commands->m_running)
            throw PlatformError(tr("Another command of this window is still running"));
        commands->m_running = true;
    }
    ~Running()
    {
        if (m_commands)
            m_commands->m_running = false;
    }
    Running(const Running &) = delete;
    Running &operator=(const Running &) = delete;

private:
    QPointer<PageCommands> m_commands;
};

PageCommands::PageCommands(QWebEngineView *view, QObject *parent)
    : QObject(parent), m_view(view)
{
    connect(view->page(), &QWebEnginePage::loadStarted, this, [this] { m_loading = true; });
    connect(view->page(), &QWebEnginePage::loadFinished, this, [this] { m_loading = false; });
}

PageCommands::~PageCommands() = default;

QPrinter *PageCommands::printer()
{
    // Made on first use: a printer loads the print system's libraries and asks it for its
    // printers, which no window needs until it prints.
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // Rasterised printing needs no more than this to look sharp; more only costs memory.
        m_printer->setResolution(300);
    }
    return m_printer.get();
}

Override<PageCommands::SaveQuestion> &PageCommands::saveQuestion()
{
    static Override<SaveQuestion> current(askWithFileDialog);
    return current;
}

Override<PageCommands::Timeout> &PageCommands::timeout()
{
    static Override<Timeout> current([] { return 120000; });
    return current;
}

QUrl PageCommands::loadedUrl() const
{
    if (!m_view || !m_view->page())
        throw PlatformError(tr("The web engine has no page"));
    const QUrl url = m_view->page()->url();
    if (url.isEmpty() || url == QUrl(QStringLiteral("about:blank")))
        throw PlatformError(tr("No page is loaded"));
    return url;
}

QWidget *PageCommands::dialogParent() const { return m_view ? m_view->window() : nullptr; }

void PageCommands::save() { saveAs(); }

void PageCommands::saveAs()
{
    loadedUrl();
    if (m_save && m_save->isRunning()) // one at a time: the engine would mix up their ends
        return Q_EMIT notice(tr("Still saving %1").arg(m_save->path()));
    const Running running(this);
    const std::optional<SaveTarget> target = saveQuestion()(dialogParent(), suggestedSavePath(m_view->page()));
    if (!target || target->path.isEmpty())
        return; // cancelled
    saveTo(*target);
}

void PageCommands::saveTo(const SaveTarget &target)
{
    const QString path = QFileInfo(target.path).absoluteFilePath();
    if (const QString refusal = PageSave::refusal(path); !refusal.isEmpty())
        return Q_EMIT notice(tr("Save failed: %1 (%2)").arg(path, refusal));
    if (m_save)
        m_save->deleteLater(); // ended: its word may still be on the way
    m_save = new PageSave(m_view->page(), path, target.format, timeout()(), this);
    connect(m_save, &PageSave::finished, this, [this](const QString &saved, const QString &reason) {
        Q_EMIT notice(reason.isEmpty() ? tr("Saved: %1").arg(saved) : tr("Save failed: %1 (%2)").arg(saved, reason));
    });
}

void PageCommands::pageSetup()
{
    const Running running(this);
    // With no printer installed the printer writes PDF, and Qt's page set-up dialog then warns
    // that it "cannot be used on non-native printers", although it works: keep that off the console.
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
        if (!text.startsWith(QLatin1String("QPageSetupDialog: Cannot be used on non-native printers")))
            previous(type, context, text);
    });
    QPageSetupDialog dialog(printer(), dialogParent());
    qInstallMessageHandler(previous);
    Modal::run(&dialog); // the dialog writes the choice into the printer on OK
}

void PageCommands::refuseWhileLoading()
{
    // The engine cannot print a page it is still replacing, and a dialog that opened by itself
    // once the load ends (if it ever does) would come as a surprise: the user is told instead.
    if (!m_loading)
        return;
    Q_EMIT notice(tr("Not printed: the page is still loading; wait, or press Stop"));
    throw PlatformError(tr("The page is still loading"));
}

void PageCommands::print()
{
    loadedUrl();
    const Running running(this);
    QPrintDialog dialog(printer(), dialogParent());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (Modal::run(&dialog) != QDialog::Accepted)
        return;
    printInto(m_printer.get(),
              m_printer->outputFormat() == QPrinter::PdfFormat && !m_printer->outputFileName().isEmpty());
}

void PageCommands::printInto(QPrinter *printer, bool toFile)
{
    // One print of a page at a time: the preview asks again while the engine is still painting
    // its first answer, and the engine's painter does not survive a second one begun meanwhile.
    if (m_printing)
        throw PlatformError(tr("The page is still being printed"));
    // Nor while it loads: the engine's painter crashes on a page replaced under it.
    if (m_loading)
        throw PlatformError(tr("The page is still loading"));
    m_printing = true;
    QPointer<PageCommands> alive(this);
    const auto printed = qScopeGuard([alive] {
        if (alive)
            alive->m_printing = false;
    });
    QPointer<QWebEnginePage> page = m_view->page();
    QEventLoop loop;
    bool finished = false;
    bool success = false;
    auto done = [&](bool ok) {
        finished = true;
        success = ok;
        loop.quit();
    };
    // The window going does not end this wait: the engine paints into the printer from a thread
    // of its own until it says it has finished, and the printer must outlive that.
    bool windowGone = false;
    const Modal::Wait wait(dialogParent(), [&] { windowGone = true; });
    QTimer::singleShot(timeout()(), &loop, &QEventLoop::quit);
    // Outlives the branch below: the slot that compares with it runs inside loop.exec().
    const QString path = printer->outputFileName();
    if (toFile) {
        // To a file: the engine writes the PDF itself, with real text instead of pictures.
        connect(page.data(), &QWebEnginePage::pdfPrintingFinished, &loop,
                [&](const QString &file, bool ok) {
                    if (file == path)
                        done(ok);
                });
        page->printToPdf(path, printer->pageLayout(), printer->pageRanges());
    } else {
        connect(m_view.data(), &QWebEngineView::printFinished, &loop, done);
        m_view->print(printer);
    }
    if (!finished)
        loop.exec();
    if (windowGone)
        return; // nobody is left to tell
    if (!alive || !page)
        throw PlatformError(tr("The page was closed while it was being printed"));
    if (!success)
        throw PlatformError(finished ? tr("The page could not be printed") : tr("Printing took too long"));
}

void PageCommands::printPreview()
{
    loadedUrl();
    const Running running(this);
    QPrintPreviewDialog dialog(printer(), dialogParent());
    dialog.setWindowTitle(tr("Print Preview"));
    dialog.resize(820, 900);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *printer) {
        // The preview paints the pages itself, whatever file the printer was set to; a page
        // that fails to render leaves the preview empty rather than closing it.
        resumeNext([&] { printInto(printer, false); });
    });
    Modal::run(&dialog);
}

void PageCommands::properties()
{
    const QUrl url = loadedUrl();
    const Running running(this);
    EngineHost::showProperties()(dialogParent(), PageFactsReader::read(m_view->page(), url));
}
