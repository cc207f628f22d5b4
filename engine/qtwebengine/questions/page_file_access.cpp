#include "engine/qtwebengine/questions/page_file_access.h"

#include "engine/engine_host.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QWebEngineView>
#include <memory>

namespace {
using Request = QWebEngineFileSystemAccessRequest;

// The user's answers for this run, for every window: site, path, kind and access.
QHash<QString, bool> &answers()
{
    static QHash<QString, bool> remembered;
    return remembered;
}

// The engine hands over a bare path in a URL, not a file URL.
QString pathOf(const Request &request)
{
    const QUrl url = request.filePath();
    return url.isLocalFile() ? url.toLocalFile() : url.path();
}

QString keyOf(const Request &request)
{
    return QStringList{request.origin().toString(), pathOf(request),
                       QString::number(request.handleType()), QString::number(int(request.accessFlags()))}
        .join(QLatin1Char('\n'));
}

QString siteOf(const QUrl &url) { return url.host().isEmpty() ? url.toDisplayString() : url.host(); }

// A site and a file on this computer, as one key.
QString siteAndPath(const QUrl &site, const QString &path)
{
    const QUrl origin = site.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo);
    return origin.toString() + QLatin1Char('\n') + QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// What the page wants, in plain words, after "<site> wants to".
QString wants(const Request &request)
{
    const QString path = QDir::toNativeSeparators(pathOf(request));
    const bool write = request.accessFlags().testFlag(Request::Write);
    if (request.handleType() == Request::Directory)
        return write ? QObject::tr("see and change the files in the folder \u201c%1\u201d").arg(path)
                     : QObject::tr("see the files in the folder \u201c%1\u201d").arg(path);
    return write ? QObject::tr("save changes to \u201c%1\u201d").arg(path)
                 : QObject::tr("read \u201c%1\u201d").arg(path);
}

FileChoiceKind kindOf(QWebEnginePage::FileSelectionMode mode)
{
    switch (mode) {
    case QWebEnginePage::FileSelectOpen: return FileChoiceKind::Open;
    case QWebEnginePage::FileSelectOpenMultiple: return FileChoiceKind::OpenMany;
    case QWebEnginePage::FileSelectUploadFolder: return FileChoiceKind::Folder;
    case QWebEnginePage::FileSelectSave: return FileChoiceKind::Save;
    }
    return FileChoiceKind::Open;
}
} // namespace

FileAccess::FileAccess(QWebEnginePage *page, QWebEngineView *area) : QObject(page), m_page(page), m_area(area)
{
    connect(page, &QWebEnginePage::fileSystemAccessRequested, this, &FileAccess::requested);
    // A question nobody answered before the page moved on is a no.
    connect(page, &QWebEnginePage::loadStarted, this, &FileAccess::withdrawQuestions);
}

QStringList FileAccess::choose(QWebEnginePage::FileSelectionMode mode, const QStringList &oldFiles,
                               const QStringList &accepted)
{
    const FileChoiceRequest request{kindOf(mode), siteOf(m_page->url()), oldFiles.value(0), accepted};
    QStringList chosen;
    try {
        chosen = EngineHost::chooseFiles()(m_area, request);
    } catch (...) {
        chosen.clear();
    }
    const Request::AccessFlags allowed = mode == QWebEnginePage::FileSelectSave
        ? Request::AccessFlags(Request::Read | Request::Write)
        : Request::AccessFlags(Request::Read);
    for (const QString &path : chosen)
        if (mode != QWebEnginePage::FileSelectUploadFolder)
            m_picked[siteAndPath(m_page->url(), path)] |= allowed;
    return chosen;
}

void FileAccess::requested(QWebEngineFileSystemAccessRequest request)
{
    const Request::AccessFlags picked = m_picked.value(siteAndPath(request.origin(), pathOf(request)));
    if (request.handleType() == Request::File && (request.accessFlags() & ~picked) == 0) {
        request.accept();
        return;
    }
    const QString key = keyOf(request);
    if (const auto known = answers().constFind(key); known != answers().constEnd()) {
        *known ? request.accept() : request.reject();
        return;
    }
    // Settled once: by the user's answer, or as a refusal when the question is withdrawn.
    auto open = std::make_shared<std::optional<Request>>(request);
    const auto settle = [open](bool allow) {
        if (!open->has_value())
            return;
        allow ? (*open)->accept() : (*open)->reject();
        open->reset();
    };
    auto *pending = new QObject(this);
    pending->setObjectName(QStringLiteral("fileQuestion"));
    connect(pending, &QObject::destroyed, this, [settle] { settle(false); });
    QPointer<QObject> question(pending);
    auto answer = [question, key, settle](bool allow) {
        if (!question)
            return;
        answers().insert(key, allow);
        settle(allow);
        delete question.data();
    };
    try {
        const PermissionQuestion asking{siteOf(request.origin()), wants(request)};
        EngineHost::askPermission()(m_area, asking, pending, answer);
    } catch (...) {
        answer(false);
    }
}

void FileAccess::withdrawQuestions()
{
    qDeleteAll(findChildren<QObject *>(QStringLiteral("fileQuestion"), Qt::FindDirectChildrenOnly));
}
