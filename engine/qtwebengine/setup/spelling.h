#pragma once
// Spelling in every editable field, in the languages of the user's locale: a word is marked only
// when none of them knows it. The dictionaries are the program's own English ones, Debian's in
// the engine's .bdic form, and Debian's hunspell ones turned into that form for the run. A
// language with no dictionary gets no marks; nothing is downloaded. Words the user adds are kept
// for the run, in the run's own folder.

#include <QByteArray>
#include <QStringList>

class QWebEngineProfile;

namespace Spelling {

// The locale's variables as the C library reads them for messages.
struct Locale {
    QByteArray language; // LANGUAGE: a colon list, ignored in the C locale
    QByteArray lcAll;
    QByteArray lcMessages;
    QByteArray lang;
    static Locale fromEnvironment();
};

// The languages the locale asks for, best first, as the engine names them ("en_GB.UTF-8" is
// "en-GB"); empty in the C or POSIX locale.
QStringList languages(const Locale &locale);
// For each of those languages the dictionary that fits it best (the language itself, its home
// region, the bare language, else one of its regions), once each; en-US when the locale asks
// for none.
QStringList dictionariesFor(const QStringList &languages, const QStringList &dictionaries);

// A dictionary found on the system: a .bdic file, or the base of hunspell's .aff and .dic.
struct Source {
    QString name; // as the engine names it: "de-DE", "fr"
    QString path;
    bool hunspell = false;
};
// The dictionaries in these folders of .bdic files, then of hunspell files; where two share a
// name, the earlier folder's.
QList<Source> sources(const QStringList &bdicFolders, const QStringList &hunspellFolders);
// Puts the dictionary into folder as name.bdic: a link, or the hunspell files converted. One
// that cannot be read or converted is left out, with a line on the error output.
bool install(const Source &source, const QString &folder);

// The folder with the program's dictionaries: beside it in the build tree, under share/quillon
// when installed, or where QTWEBENGINE_DICTIONARIES_PATH said as the program started. Empty
// when there is none.
QString folder();
// The dictionaries in that folder, by language.
QStringList dictionaries();
// Before the engine starts: gives it a folder of its own in the run's folder, with that folder's
// dictionaries and those the user adds; without a run folder, that folder itself.
void prepareProcess(const QString &runFolder);
// Turns spelling on in the profile, in the locale's languages that have a dictionary (read anew
// at each call).
void apply(QWebEngineProfile *profile);
// Whether words can be added: spelling is on and the engine reads a folder of the run's.
bool canAddWords();
// From now on the profile's pages take the word as spelled right, until the run ends.
void addWord(QWebEngineProfile *profile, const QString &word);

} // namespace Spelling
