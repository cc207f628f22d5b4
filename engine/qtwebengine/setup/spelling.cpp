#include "engine/qtwebengine/setup/spelling.h"

#include "common/failure.h"
#include "engine/qtwebengine/setup/added_words.h"
#include "engine/qtwebengine/setup/hunspell_dictionary.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QSaveFile>
#include <QWebEngineProfile>
#include <cstdio>
#include <memory>

namespace {
const char *const pathVariable = "QTWEBENGINE_DICTIONARIES_PATH";
const QString fallback = QStringLiteral("en-US");

// "en_GB.UTF-8@euro" is "en-GB"; the C locale names no language.
QString tag(const QString &name)
{
    QString base = name.section(QLatin1Char('@'), 0, 0).section(QLatin1Char('.'), 0, 0);
    if (base.isEmpty() || base == QLatin1String("C") || base == QLatin1String("POSIX"))
        return {};
    const QString language = base.section(QLatin1Char('_'), 0, 0).toLower();
    const QString region = base.section(QLatin1Char('_'), 1, 1).toUpper();
    return region.isEmpty() ? language : language + QLatin1Char('-') + region;
}

// What the user set, read once: from prepareProcess on, the variable names the run's folder.
QString theirs()
{
    static const QString value = qEnvironmentVariable(pathVariable);
    return value;
}

struct Run {
    QString folder;           // the engine's, in the run's folder
    QStringList dictionaries; // the locale's, once spelling is on
    std::unique_ptr<AddedWords> added; // only with a folder of the run's
    QString addedName;                 // the dictionary of the words added so far
};

// Where Debian keeps dictionaries in the engine's form, and in hunspell's.
const QString hunspellFolder = QStringLiteral("/usr/share/hunspell");
QStringList systemBdicFolders()
{
    return {QStringLiteral("/usr/share/hunspell-bdic"),
            QLibraryInfo::path(QLibraryInfo::DataPath) + QStringLiteral("/qtwebengine_dictionaries")};
}

Run &run()
{
    static Run r;
    return r;
}

QString programFolder()
{
    // Read before the application object exists, so not from it.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}
} // namespace

namespace Spelling {

Locale Locale::fromEnvironment()
{
    return {qgetenv("LANGUAGE"), qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG")};
}

QStringList languages(const Locale &locale)
{
    // The first of LC_ALL, LC_MESSAGES and LANG that is set decides the locale; LANGUAGE, when
    // set, lists the languages in its place, except in the C locale, where the C library
    // ignores it.
    QByteArray name = !locale.lcAll.isEmpty() ? locale.lcAll : !locale.lcMessages.isEmpty() ? locale.lcMessages : locale.lang;
    if (name.isEmpty() || name == "C" || name == "POSIX")
        return {};
    QStringList names = QString::fromLocal8Bit(locale.language).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (names.isEmpty())
        names = QStringList{QString::fromLocal8Bit(name)};
    QStringList tags;
    for (const QString &each : std::as_const(names)) {
        const QString t = tag(each);
        if (!t.isEmpty() && !tags.contains(t))
            tags.append(t);
    }
    return tags;
}

QStringList dictionariesFor(const QStringList &languages, const QStringList &dictionaries)
{
    if (languages.isEmpty())
        return dictionaries.contains(fallback) ? QStringList{fallback} : QStringList();
    QStringList sorted = dictionaries;
    sorted.sort();
    QStringList chosen;
    for (const QString &language : languages) {
        // "de" takes de-DE, "en" and its other regions en-US, before any other of the language.
        const QString base = language.section(QLatin1Char('-'), 0, 0);
        const QString home = base == QLatin1String("en") ? fallback : base + QLatin1Char('-') + base.toUpper();
        QString found;
        for (const QString &candidate : {language, home, base})
            if (found.isEmpty() && sorted.contains(candidate))
                found = candidate;
        for (const QString &dictionary : std::as_const(sorted))
            if (found.isEmpty() && dictionary.startsWith(base + QLatin1Char('-')))
                found = dictionary;
        if (!found.isEmpty() && !chosen.contains(found))
            chosen.append(found);
    }
    return chosen;
}

QList<Source> sources(const QStringList &bdicFolders, const QStringList &hunspellFolders)
{
    QList<Source> found;
    QStringList names;
    const auto add = [&](const QString &folder, const QString &pattern, bool hunspell) {
        for (const QFileInfo &file : QDir(folder).entryInfoList({pattern}, QDir::Files, QDir::Name)) {
            // Debian names them "de_DE", the engine "de-DE".
            const QString name = file.completeBaseName().replace(QLatin1Char('_'), QLatin1Char('-'));
            if (names.contains(name))
                continue;
            const QString base = file.absolutePath() + QLatin1Char('/') + file.completeBaseName();
            if (hunspell && !QFileInfo::exists(base + QStringLiteral(".dic")))
                continue;
            names.append(name);
            found.append({name, hunspell ? base : file.absoluteFilePath(), hunspell});
        }
    };
    for (const QString &folder : bdicFolders)
        add(folder, QStringLiteral("*.bdic"), false);
    for (const QString &folder : hunspellFolders)
        add(folder, QStringLiteral("*.aff"), true);
    return found;
}

bool install(const Source &source, const QString &folder)
{
    const QString target = QDir(folder).filePath(source.name + QStringLiteral(".bdic"));
    try {
        if (QFileInfo::exists(target))
            return true; // installed earlier in the run
        if (source.hunspell) {
            QSaveFile file(target);
            const QByteArray bdic = HunspellDictionary::toBdic(source.path);
            if (!file.open(QIODevice::WriteOnly) || file.write(bdic) != bdic.size() || !file.commit())
                throw PlatformError(QStringLiteral("%1: %2").arg(target, file.errorString()));
            return true;
        }
        // The engine deletes a dictionary it cannot read, with a warning of its own: only one
        // that is one goes in.
        QFile file(source.path);
        if (!file.open(QIODevice::ReadOnly) || file.read(4) != "BDic")
            throw PlatformError(QStringLiteral("%1: %2").arg(source.path, file.error() ? file.errorString()
                                                                                     : QStringLiteral("not a dictionary")));
        if (!QFile::link(source.path, target))
            throw PlatformError(QStringLiteral("%1: cannot be placed in %2").arg(source.path, folder));
        return true;
    } catch (const PlatformError &error) {
        std::fprintf(stderr, "quillon: the %s spelling dictionary is left out: %s\n", qPrintable(source.name),
                     qPrintable(error.message()));
        return false;
    }
}

QString folder()
{
    if (!theirs().isEmpty())
        return theirs();
    const QDir program(programFolder());
    for (const QString &candidate : {QStringLiteral("qtwebengine_dictionaries"),
                                     QStringLiteral("../share/quillon/qtwebengine_dictionaries")}) {
        if (program.exists(candidate))
            return QDir::cleanPath(program.filePath(candidate));
    }
    return {};
}

QStringList dictionaries()
{
    const QString where = folder();
    if (where.isEmpty())
        return {};
    QStringList languages;
    for (const QFileInfo &file : QDir(where).entryInfoList({QStringLiteral("*.bdic")}, QDir::Files))
        languages.append(file.completeBaseName());
    return languages;
}

void prepareProcess(const QString &runFolder)
{
    // Set for the engine only when we have a folder; a path that does not exist would have it
    // complain on the terminal.
    const QString where = folder();
    // The engine reads only one folder: the run's gets the dictionaries of the locale's
    // languages, as spelling is turned on, and the added words.
    const QDir own(QDir(runFolder).filePath(QStringLiteral("dictionaries")));
    if (!runFolder.isEmpty() && QDir().mkpath(own.path())) {
        run().folder = own.path();
        run().added = std::make_unique<AddedWords>(own.path());
        qputenv(pathVariable, QFile::encodeName(own.path()));
        return;
    }
    if (!where.isEmpty())
        qputenv(pathVariable, QFile::encodeName(where));
}

void apply(QWebEngineProfile *profile)
{
    // Without a folder of the run's, only the program's own dictionaries are where the engine looks.
    QStringList bdics{folder()};
    if (!run().folder.isEmpty())
        bdics << systemBdicFolders();
    const QList<Source> found = sources(bdics, run().folder.isEmpty() ? QStringList() : QStringList{hunspellFolder});
    QStringList names;
    for (const Source &source : found)
        names.append(source.name);
    QStringList installed;
    for (const QString &name : dictionariesFor(languages(Locale::fromEnvironment()), names)) {
        const Source &source = found[names.indexOf(name)];
        if (run().folder.isEmpty() || install(source, run().folder))
            installed.append(name);
    }
    run().dictionaries = installed;
    // No marks rather than every word of another language marked.
    profile->setSpellCheckEnabled(!installed.isEmpty());
    if (installed.isEmpty())
        return;
    profile->setSpellCheckLanguages(run().addedName.isEmpty() ? installed : installed + QStringList{run().addedName});
}

bool canAddWords()
{
    return run().added && !run().dictionaries.isEmpty();
}

void addWord(QWebEngineProfile *profile, const QString &word)
{
    if (!canAddWords())
        return;
    // A word is right when any of the languages knows it; the engine reloads them on a change
    // and checks its pages' text again, so the word's marks go at once.
    run().addedName = run().added->add(word);
    profile->setSpellCheckLanguages(run().dictionaries + QStringList{run().addedName});
}

} // namespace Spelling
