#include "prompts/file_chooser.h"

#include "common/modal.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>

namespace {
// ".txt" and "text/plain" alike become name patterns the dialog filters by.
QStringList patterns(const QStringList &accepted)
{
    QStringList globs;
    const QMimeDatabase types;
    for (const QString &entry : accepted) {
        if (entry.startsWith(QLatin1Char('.')))
            globs << QLatin1Char('*') + entry;
        else if (const QMimeType type = types.mimeTypeForName(entry); type.isValid())
            globs << type.globPatterns();
    }
    globs.removeDuplicates();
    return globs;
}

QString titleOf(FileChoiceKind kind)
{
    switch (kind) {
    case FileChoiceKind::Open: return QObject::tr("Open File");
    case FileChoiceKind::OpenMany: return QObject::tr("Open Files");
    case FileChoiceKind::Folder: return QObject::tr("Choose Folder");
    case FileChoiceKind::Save: return QObject::tr("Save File");
    }
    return QString();
}
} // namespace

namespace FileChooser {
QStringList choose(QWidget *pageArea, const FileChoiceRequest &request)
{
    QFileDialog dialog(pageArea, QObject::tr("%1 \u2014 %2").arg(titleOf(request.kind), request.site));
    dialog.setObjectName(QStringLiteral("pageFiles"));
    switch (request.kind) {
    case FileChoiceKind::Open: dialog.setFileMode(QFileDialog::ExistingFile); break;
    case FileChoiceKind::OpenMany: dialog.setFileMode(QFileDialog::ExistingFiles); break;
    case FileChoiceKind::Folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    case FileChoiceKind::Save:
        dialog.setAcceptMode(QFileDialog::AcceptSave); // asks before replacing a file
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    }
    if (const QStringList globs = patterns(request.accepted); !globs.isEmpty())
        dialog.setNameFilters({QObject::tr("Files the page accepts (%1)").arg(globs.join(QLatin1Char(' '))),
                               QObject::tr("All files (*)")});
    // The page may suggest a name, or a whole path: only where the user already keeps files.
    const QFileInfo suggested(request.suggested);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    dialog.setDirectory(suggested.isAbsolute() && suggested.dir().exists() ? suggested.absolutePath()
                        : QDir(documents).exists()                         ? documents
                                                                           : QDir::homePath());
    if (!request.suggested.isEmpty() && request.kind != FileChoiceKind::Folder)
        dialog.selectFile(suggested.fileName());
    if (Modal::run(&dialog) != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}
} // namespace FileChooser
