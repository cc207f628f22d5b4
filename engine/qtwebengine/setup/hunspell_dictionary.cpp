#include "engine/qtwebengine/setup/hunspell_dictionary.h"

#include "common/failure.h"
#include "engine/qtwebengine/setup/added_words.h"

#include <QFile>
#include <QHash>
#include <QMap>
#include <QStringDecoder>
#include <optional>
#include <set>
#include <utility>

namespace {

QList<QByteArray> linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PlatformError(QStringLiteral("%1: %2").arg(path, file.errorString()));
    QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray &line : lines) {
        if (line.startsWith("\xEF\xBB\xBF"))
            line.remove(0, 3);
        line = line.trimmed();
    }
    return lines;
}

// Everything from the first '#' on goes.
void stripComment(QByteArray &line)
{
    const qsizetype hash = line.indexOf('#');
    if (hash >= 0)
        line = line.left(hash).trimmed();
}

QByteArray collapseSpaces(const QByteArray &line)
{
    QByteArray out;
    out.reserve(line.size());
    for (char c : line)
        if (c != ' ' || !out.endsWith(' '))
            out.append(c);
    return out;
}

// Split at every space, each field trimmed; empty ones are kept.
QList<QByteArray> fields(const QByteArray &text)
{
    QList<QByteArray> list = text.split(' ');
    for (QByteArray &each : list)
        each = each.trimmed();
    return list;
}

class AffReader {
public:
    explicit AffReader(const QString &path);
    QByteArray toUtf8(const QByteArray &encoded);
    int groupFor(const QByteArray &flags);
    QList<QByteArray> groups() const;

    Bdic::Affixes affixes;
    QByteArray encoding = "ISO8859-1"; // what hunspell assumes without SET
    bool indexed = false;              // the .aff numbers its flag groups (AF) itself

private:
    void addRule(QByteArray rule);
    void addReplacement(const QByteArray &line);

    QString m_path;
    QHash<QByteArray, int> m_groups;
    std::optional<QStringDecoder> m_decoder;
};

AffReader::AffReader(const QString &path)
    : m_path(path)
{
    bool command = false, firstGroup = false, firstReplacement = false;
    for (QByteArray line : linesOf(path)) {
        if (!command && line.startsWith('#')) {
            affixes.comment += line + '\n';
            continue;
        }
        stripComment(line);
        if (line.isEmpty())
            continue;
        command = true;
        if (line.startsWith("SET ")) {
            encoding = line.mid(4).trimmed();
        } else if (line.startsWith("AF ")) {
            indexed = true; // the first line counts the others
            if (std::exchange(firstGroup, true))
                groupFor(line.mid(3).trimmed());
        } else if (line.startsWith("SFX ") || line.startsWith("PFX ")) {
            addRule(collapseSpaces(line));
        } else if (line.startsWith("REP ")) {
            if (std::exchange(firstReplacement, true))
                addReplacement(collapseSpaces(line.mid(4).trimmed()));
        } else if (line.startsWith("TRY ") || line.startsWith("MAP ")) {
            affixes.others.append(toUtf8(line));
        } else if (line.startsWith("IGNORE ") || line.startsWith("COMPLEXPREFIXES")) {
            throw PlatformError(QStringLiteral("%1: the engine's dictionaries cannot keep %2")
                                    .arg(path, QString::fromLatin1(line.split(' ').constFirst())));
        } else {
            affixes.others.append(line);
        }
    }
}

QByteArray AffReader::toUtf8(const QByteArray &encoded)
{
    if (!m_decoder) {
        m_decoder.emplace(encoding.constData());
        if (!m_decoder->isValid())
            throw PlatformError(QStringLiteral("%1: unknown encoding %2").arg(m_path, QString::fromLatin1(encoding)));
    }
    m_decoder->resetState();
    const QString text = m_decoder->decode(encoded);
    if (m_decoder->hasError())
        throw PlatformError(QStringLiteral("%1: text that is not %2").arg(m_path, QString::fromLatin1(encoding)));
    return text.toUtf8();
}

int AffReader::groupFor(const QByteArray &flags)
{
    const auto found = m_groups.constFind(flags);
    if (found != m_groups.constEnd())
        return *found;
    const int id = int(m_groups.size()) + 1; // hunspell counts its groups from 1
    m_groups.insert(flags, id);
    return id;
}

QList<QByteArray> AffReader::groups() const
{
    QList<QByteArray> list(m_groups.size());
    for (auto i = m_groups.constBegin(); i != m_groups.constEnd(); ++i)
        list[i.value() - 1] = "AF " + i.key();
    return list;
}

// "SFX D Y 4" heads a group; "SFX D 0 d/F e" is one rule. Past the flag, the text is made UTF-8,
// and flags inside an affix become the number of their group, as the words' flags do.
void AffReader::addRule(QByteArray rule)
{
    int spaces = 0;
    QByteArray token;
    for (qsizetype i = 0; i < rule.size(); ++i) {
        if (rule[i] != ' ') {
            token.append(rule[i]);
            continue;
        }
        if (++spaces < 3) {
            token.clear();
            continue;
        }
        const qsizetype start = token.startsWith('Y') || token.startsWith('N') ? i : i - token.size();
        QByteArray part = rule.mid(start);
        if (part.contains('-')) {
            // An old Hungarian morphological rule, "0 d e - M": the flag goes after the affix.
            const QList<QByteArray> t = fields(part);
            if (t.size() >= 5)
                part = t[0] + ' ' + t[1] + '/' + t[4] + ' ' + t[2];
        }
        const qsizetype slash = part.indexOf('/');
        if (slash >= 0 && !indexed) {
            QList<QByteArray> after = fields(part.mid(slash + 1));
            if (after.size() == 1)
                after.append(".");
            part = part.left(slash + 1) + QByteArray::number(groupFor(after[0])) + ' ' + after[1];
        }
        rule = rule.left(start) + toUtf8(part);
        break;
    }
    affixes.rules.append(rule);
}

void AffReader::addReplacement(const QByteArray &line)
{
    QByteArray rule = toUtf8(line);
    const qsizetype space = rule.indexOf(' ');
    if (space < 0)
        throw PlatformError(QStringLiteral("%1: a replacement with nothing to replace it").arg(m_path));
    rule.replace('_', ' '); // underscores stand for spaces
    affixes.replacements.append({rule.left(space), rule.mid(space + 1)});
}

Bdic::Words readWords(const QString &path, AffReader &aff)
{
    QMap<QByteArray, std::set<int>> words;
    bool count = true; // the first line counts the words
    for (QByteArray line : linesOf(path)) {
        stripComment(line);
        if (line.isEmpty() || std::exchange(count, false))
            continue;
        // The flags follow the first slash that is neither the first byte nor escaped.
        qsizetype slash = line.size();
        for (qsizetype i = 1; i < line.size(); ++i) {
            if (line[i] == '/' && line[i - 1] != '\\') {
                slash = i;
                break;
            }
        }
        QByteArray word = line.left(slash).replace("\\/", "/");
        if (aff.encoding != "UTF-8")
            word = aff.toUtf8(word);
        int group = 0;
        if (slash < line.size() - 1) {
            QByteArray flags = line.mid(slash + 1);
            flags.truncate(flags.indexOf('\t') < 0 ? flags.size() : flags.indexOf('\t'));
            group = aff.indexed ? std::atoi(flags.constData()) : aff.groupFor(flags);
        }
        const qsizetype tab = word.indexOf('\t'); // a morphological description
        if (tab >= 0)
            word.truncate(tab);
        words[word].insert(group);
    }
    Bdic::Words list;
    list.reserve(words.size());
    for (auto i = words.constBegin(); i != words.constEnd(); ++i)
        list.append({i.key(), QList<int>(i.value().rbegin(), i.value().rend())});
    return list;
}

} // namespace

namespace HunspellDictionary {

QByteArray toBdic(const QString &base)
{
    AffReader aff(base + QStringLiteral(".aff"));
    const Bdic::Words words = readWords(base + QStringLiteral(".dic"), aff);
    aff.affixes.groups = aff.groups(); // the words' flags add groups of their own
    return Bdic::write(aff.affixes, words);
}

} // namespace HunspellDictionary
