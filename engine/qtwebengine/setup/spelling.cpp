#include "engine/qtwebengine/setup/spelling.h"

#include "engine/qtwebengine/setup/added_words.h"

#include <QDir>
#include <QFileInfo>
#include <QWebEngineProfile>
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
    QString dictionary; // the locale's, once spelling is on
    std::unique_ptr<AddedWords> added; // only with a folder of the run's
};

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

QString dictionaryFor(const QStringList &languages, const QStringList &dictionaries)
{
    if (languages.isEmpty())
        return dictionaries.contains(fallback) ? fallback : QString();
    QStringList sorted = dictionaries;
    sorted.sort();
    for (const QString &language : languages) {
        if (sorted.contains(language))
            return language;
        // "de" takes de-DE, "en" and its other regions en-US, before any other of the language.
        const QString base = language.section(QLatin1Char('-'), 0, 0);
        const QString home = base == QLatin1String("en") ? fallback : base + QLatin1Char('-') + base.toUpper();
        if (sorted.contains(home))
            return home;
        for (const QString &dictionary : std::as_const(sorted)) {
            if (dictionary.startsWith(base + QLatin1Char('-')))
                return dictionary;
        }
    }
    return {};
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
    if (where.isEmpty())
        return;
    // The engine reads only one folder: the run's holds links to ours and the added words.
    const QDir own(QDir(runFolder).filePath(QStringLiteral("dictionaries")));
    if (!runFolder.isEmpty() && QDir().mkpath(own.path())) {
        for (const QFileInfo &file : QDir(where).entryInfoList({QStringLiteral("*.bdic")}, QDir::Files))
            QFile::link(file.absoluteFilePath(), own.filePath(file.fileName()));
        run().added = std::make_unique<AddedWords>(own.path());
        qputenv(pathVariable, QFile::encodeName(own.path()));
        return;
    }
    qputenv(pathVariable, QFile::encodeName(where));
}

void apply(QWebEngineProfile *profile)
{
    const QString dictionary = dictionaryFor(languages(Locale::fromEnvironment()), dictionaries());
    if (dictionary.isEmpty())
        return; // no marks rather than every word of another language marked
    profile->setSpellCheckLanguages({dictionary});
    profile->setSpellCheckEnabled(true);
    run().dictionary = dictionary;
}

bool canAddWords()
{
    return run().added && !run().dictionary.isEmpty();
}

void addWord(QWebEngineProfile *profile, const QString &word)
{
    if (!canAddWords())
        return;
    // A word is right when any of the languages knows it; the engine reloads them on a change
    // and checks its pages' text again, so the word's marks go at once.
    profile->setSpellCheckLanguages({run().dictionary, run().added->add(word)});
}

} // namespace Spelling
