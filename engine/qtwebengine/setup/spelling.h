#pragma once
// Spelling in every editable field, in the language of the user's locale, with the dictionaries
// the program carries (Debian's hunspell dictionaries in the engine's .bdic form). A language
// with no dictionary gets no marks; nothing is downloaded. Words the user adds are kept for the
// run, in the run's own folder.

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
// The dictionary for the first of those languages that has one (the language itself, else one
// of its regions); en-US when the locale asks for none; empty when no dictionary fits.
QString dictionaryFor(const QStringList &languages, const QStringList &dictionaries);

// The folder with the program's dictionaries: beside it in the build tree, under share/quillon
// when installed, or where QTWEBENGINE_DICTIONARIES_PATH said as the program started. Empty
// when there is none.
QString folder();
// The dictionaries in that folder, by language.
QStringList dictionaries();
// Before the engine starts: gives it a folder of its own in the run's folder, with that folder's
// dictionaries and those the user adds; without a run folder, that folder itself.
void prepareProcess(const QString &runFolder);
// Turns spelling on in the profile, when a dictionary fits the locale.
void apply(QWebEngineProfile *profile);
// Whether words can be added: spelling is on and the engine reads a folder of the run's.
bool canAddWords();
// From now on the profile's pages take the word as spelled right, until the run ends.
void addWord(QWebEngineProfile *profile, const QString &word);

} // namespace Spelling
