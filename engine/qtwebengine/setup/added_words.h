#pragma once
// Words the user adds to the dictionary, kept for the run only. The engine takes no word from
// us, but it accepts a word that any of its dictionaries knows: the added words become a
// dictionary of their own, in the engine's .bdic form, written anew under a new name each time
// (the engine keeps a file it has opened, and reads a changed one wrongly).

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace Bdic {
// What hunspell's .aff says, as the .bdic form keeps it (UTF-8, affix flags as group numbers).
struct Affixes {
    QByteArray comment;
    QList<QByteArray> groups; // "AF flags", numbered from 1
    QList<QByteArray> rules;
    QList<QPair<QByteArray, QByteArray>> replacements;
    QList<QByteArray> others;
};
// A word in UTF-8 with its affix groups, largest first (0: none).
struct Word {
    QByteArray text;
    QList<int> affixes;
};
using Words = QList<Word>; // sorted, each word once
// The dictionary as Qt's qwebengine_convert_dict writes it.
QByteArray write(const Affixes &affixes, const Words &words);
// A dictionary that knows exactly these words and no affixes: what Qt's qwebengine_convert_dict
// makes of them with an empty .aff (a single word, which it refuses, too).
QByteArray fromWords(const QStringList &words);
} // namespace Bdic

class AddedWords {
public:
    // Dictionaries are written into folder.
    explicit AddedWords(const QString &folder);
    // Writes every word added so far and this one as a new dictionary in the folder; returns
    // its name (the file's, without .bdic). Throws PlatformError when it cannot be written.
    QString add(const QString &word);
    QStringList words() const { return m_words; }

private:
    QString m_folder;
    QStringList m_words;
    int m_written = 0;
};
