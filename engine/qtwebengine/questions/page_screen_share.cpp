// Screen sharing. The engine asks its permission question for every share; on engines that
// offer a choice of screens and windows (6.7 and later) the user chooses first, and that
// choice is the answer, so nobody is asked twice.

#include "engine/qtwebengine/questions/page_questions.h"

#include <QtWebEngineCoreVersion>
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QWebEnginePermission>
#endif
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 7, 0)
#include <QAbstractListModel>
#include <QWebEngineDesktopMediaRequest>
#include <QWebEngineView>

namespace {
QStringList names(const QAbstractListModel *model)
{
    QStringList list;
    for (int row = 0; model && row < model->rowCount(); ++row)
        list << model->index(row).data(Qt::DisplayRole).toString();
    return list;
}
} // namespace
#endif

void PageQuestions::connectScreenShare()
{
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    connect(m_page, &QWebEnginePage::desktopMediaRequested, this, [this](const QWebEngineDesktopMediaRequest &request) {
        const QUrl site = m_page->url();
        const ScreenShareRequest question{site.host().isEmpty() ? site.toDisplayString() : site.host(),
                                          names(request.screensModel()), names(request.windowsModel())};
        auto *pending = new QObject(this);
        std::optional<ScreenShareChoice> choice;
        try {
            choice = EngineHost::chooseScreen()(m_area, question, pending);
        } catch (...) {
            choice.reset();
        }
        delete pending;
        const QStringList &offered = choice && choice->window ? question.windows : question.screens;
        if (!choice || choice->index < 0 || choice->index >= offered.size()) {
            request.cancel(); // left unanswered, the engine would share the first screen
            return;
        }
        m_screenChosen = true;
        if (choice->window)
            request.selectWindow(request.windowsModel()->index(choice->index));
        else
            request.selectScreen(request.screensModel()->index(choice->index));
    });
#endif
}

bool PageQuestions::isScreenShare(int kind)
{
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    using Kind = QWebEnginePermission::PermissionType;
    return kind == int(Kind::DesktopVideoCapture) || kind == int(Kind::DesktopAudioVideoCapture);
#else
    return kind == QWebEnginePage::DesktopVideoCapture || kind == QWebEnginePage::DesktopAudioVideoCapture;
#endif
}

bool PageQuestions::takeScreenChoice() { return std::exchange(m_screenChosen, false); }
