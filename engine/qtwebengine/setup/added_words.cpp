#include "engine/qtwebengine/setup/added_words.h"

#include "common/failure.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <vector>

// The .bdic form: a header (signature, version, where the affix data and the words start, and
// the MD5 of everything after it), the affix data, then the words as a trie whose nodes are
// leaves, lists (under 16 children) or lookup tables. All numbers are little endian.
namespace {

enum class Storage { Leaf, LeafMore, List8, List16, Lookup16, Lookup32 };

struct Node {
    char addition = 0; // the byte this node stands for; 0 for the root and for a word's end
    QByteArray rest;   // a leaf's remaining bytes of its word
    QList<int> affixes; // a leaf's affix groups, 0 for none
    std::vector<Node> children;
    Storage storage = Storage::Leaf;
};

// A leaf holds its first affix group in 13 bits; larger ones, and the rest, follow it.
const int maxFirstAffix = 0x1FFE;
const int firstAffixUnused = 0x1FFF;
const qsizetype maxAffixes = 32;

// The byte at n, with the word's end as 0 and nothing (-1) past it.
int byteAt(const QByteArray &word, qsizetype n)
{
    return n < word.size() ? uchar(word[n]) : n == word.size() ? 0 : -1;
}

// Fills node with the words [begin, end), which share their first depth - 1 bytes; the node
// keys on the byte at depth - 1. Returns where the next node's words begin.
qsizetype build(const Bdic::Words &words, qsizetype begin, qsizetype end, qsizetype depth, Node &node)
{
    const QByteArray &first = words[begin].text;
    if (first.size() < depth) {
        node.affixes = words[begin].affixes;
        return begin + 1; // the end of a word that others continue
    }
    qsizetype count = end - begin;
    if (depth > 0) {
        node.addition = first[depth - 1];
        count = 0;
        while (begin + count < end && byteAt(words[begin + count].text, depth - 1) == uchar(node.addition))
            ++count;
        if (count == 1) {
            node.rest = first.mid(depth);
            node.affixes = words[begin].affixes;
            return begin + 1;
        }
    }
    // The root always branches: the reader walks a dictionary from a root that is no leaf.
    for (qsizetype i = begin; i < begin + count;) {
        node.children.emplace_back();
        i = build(words, i, begin + count, depth + 1, node.children.back());
    }
    return begin + count;
}

struct Table {
    bool zeroth = false; // a word ends here: its leaf has a slot before the table
    int first = 0;
    int span = 0;
};

Table tableOf(const Node &node)
{
    Table t;
    t.zeroth = node.children.front().addition == 0;
    if (node.children.size() > size_t(t.zeroth)) {
        t.first = uchar(node.children[t.zeroth].addition);
        t.span = uchar(node.children.back().addition) - t.first + 1;
    }
    return t;
}

// Chooses each node's form, smallest first, as the converter does; returns the node's size.
qsizetype layOut(Node &node, bool root)
{
    if (node.children.empty() && !root) {
        const qsizetype n = node.affixes.size();
        const qsizetype more = node.affixes.value(0) > maxFirstAffix ? n * 2 + 2 : n > 1 ? n * 2 : 0;
        node.storage = node.rest.isEmpty() ? Storage::Leaf : Storage::LeafMore;
        return (node.rest.isEmpty() ? 2 : 3 + node.rest.size()) + more;
    }
    qsizetype below = 0;
    for (Node &child : node.children)
        below += layOut(child, false);
    const qsizetype n = qsizetype(node.children.size());
    if (n < 16 && below <= 0xFF) {
        node.storage = Storage::List8;
        return 1 + n * 2 + below;
    }
    if (n < 16 && below <= 0xFFFF) {
        node.storage = Storage::List16;
        return 1 + n * 3 + below;
    }
    const Table t = tableOf(node);
    const bool near = below + 2 + (t.zeroth ? 2 : 0) + t.span * 2 < 0xFFFF;
    node.storage = near ? Storage::Lookup16 : Storage::Lookup32;
    const int entry = near ? 2 : 4;
    return 3 + (t.zeroth ? entry : 0) + t.span * entry + below;
}

template <typename T>
void put(QByteArray &out, qsizetype at, T value)
{
    qToLittleEndian<T>(value, out.data() + at);
}

void writeNode(const Node &node, QByteArray &out)
{
    switch (node.storage) {
    case Storage::Leaf:
    case Storage::LeafMore: {
        int first = node.affixes.value(0);
        qsizetype from = 1; // the first affix group sits in the leaf, unless it is too large
        if (first > maxFirstAffix) {
            first = firstAffixUnused;
            from = 0;
        }
        const bool following = node.affixes.size() > 1 || from == 0;
        out.append(char(((first >> 8) & 0x1F) | (node.storage == Storage::LeafMore ? 0x40 : 0) | (following ? 0x20 : 0)))
            .append(char(first & 0xFF));
        if (node.storage == Storage::LeafMore)
            out.append(node.rest).append('\0');
        if (node.affixes.size() > from) {
            for (qsizetype i = from; i < node.affixes.size() && i < maxAffixes; ++i)
                out.append(char(node.affixes[i] & 0xFF)).append(char((node.affixes[i] >> 8) & 0xFF));
            out.append(char(0xFF)).append(char(0xFF));
        }
        return;
    }
    case Storage::List8:
    case Storage::List16: {
        const bool wide = node.storage == Storage::List16;
        const qsizetype entry = wide ? 3 : 2;
        out.append(char((wide ? 0xF0 : 0xE0) | int(node.children.size())));
        const qsizetype table = out.size();
        out.append(qsizetype(node.children.size()) * entry, '\0');
        const qsizetype start = out.size();
        for (size_t i = 0; i < node.children.size(); ++i) {
            const qsizetype at = table + qsizetype(i) * entry;
            out[at] = node.children[i].addition;
            if (wide)
                put<quint16>(out, at + 1, quint16(out.size() - start));
            else
                out[at + 1] = char(out.size() - start);
            writeNode(node.children[i], out);
        }
        return;
    }
    case Storage::Lookup16:
    case Storage::Lookup32: {
        const bool wide = node.storage == Storage::Lookup32;
        const qsizetype entry = wide ? 4 : 2;
        const Table t = tableOf(node);
        const qsizetype begin = out.size();
        out.append(char(0xC0 | (wide ? 0x02 : 0) | (t.zeroth ? 0x01 : 0))).append(char(t.first)).append(char(t.span));
        const qsizetype zeroth = out.size();
        out.append((t.zeroth ? entry : 0) + t.span * entry, '\0');
        const qsizetype table = zeroth + (t.zeroth ? entry : 0);
        for (size_t i = 0; i < node.children.size(); ++i) {
            const Node &child = node.children[i];
            const qsizetype at = i == 0 && t.zeroth ? zeroth : table + (uchar(child.addition) - t.first) * entry;
            // Wide tables point from the file's start, narrow ones from the node's.
            if (wide)
                put<quint32>(out, at, quint32(out.size()));
            else
                put<quint16>(out, at, quint16(out.size() - begin));
            writeNode(child, out);
        }
        return;
    }
    }
}

} // namespace

namespace Bdic {

// Strings each ended by a zero byte, the list by one more; an empty one would end it early.
void putList(QByteArray &out, const QList<QByteArray> &strings)
{
    for (const QByteArray &each : strings)
        out.append(each.isEmpty() ? QByteArray(" ") : each).append('\0');
    out.append('\0');
}

QByteArray write(const Affixes &affixes, const Words &words)
{
    const qsizetype headerSize = 32;
    QByteArray out(headerSize, '\0');
    // The affix data: four offsets from the file's start, the comment, then the affix groups
    // (after a line that counts them), the affix rules, the replacements and other commands.
    const qsizetype aff = out.size();
    out.append(16, '\0').append('\n').append(affixes.comment).append('\n');
    const qsizetype groups = out.size();
    out.append("AF " + QByteArray::number(affixes.groups.size())).append('\0');
    putList(out, affixes.groups);
    const qsizetype rules = out.size();
    putList(out, affixes.rules);
    const qsizetype replacements = out.size();
    for (const auto &[from, to] : affixes.replacements)
        out.append(from).append('\0').append(to).append('\0');
    out.append('\0');
    const qsizetype others = out.size();
    putList(out, affixes.others);
    const qsizetype offsets[] = {groups, rules, replacements, others};
    for (qsizetype i = 0; i < 4; ++i)
        put<quint32>(out, aff + 4 * i, quint32(offsets[i]));

    const qsizetype dic = out.size();
    Node root;
    if (!words.isEmpty())
        build(words, 0, words.size(), 0, root);
    layOut(root, true);
    writeNode(root, out);

    out.replace(0, 4, "BDic");
    put<quint16>(out, 4, 2); // version 2.0, the one with the digest
    put<quint16>(out, 6, 0);
    put<quint32>(out, 8, quint32(aff));
    put<quint32>(out, 12, quint32(dic));
    out.replace(16, 16, QCryptographicHash::hash(QByteArrayView(out).sliced(aff), QCryptographicHash::Md5));
    return out;
}

QByteArray fromWords(const QStringList &words)
{
    QList<QByteArray> sorted;
    for (const QString &word : words)
        if (!word.isEmpty())
            sorted.append(word.toUtf8());
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    Words plain;
    for (const QByteArray &word : std::as_const(sorted))
        plain.append({word, {0}});
    return write({}, plain);
}

} // namespace Bdic

AddedWords::AddedWords(const QString &folder)
    : m_folder(folder)
{
}

QString AddedWords::add(const QString &word)
{
    QStringList words = m_words;
    if (!words.contains(word))
        words.append(word);
    const QString name = QStringLiteral("added-words-%1").arg(m_written + 1);
    QSaveFile file(QDir(m_folder).filePath(name + QStringLiteral(".bdic")));
    if (!file.open(QIODevice::WriteOnly) || file.write(Bdic::fromWords(words)) < 0 || !file.commit())
        throw PlatformError(QObject::tr("The word could not be added to the dictionary: %1").arg(file.errorString()));
    m_words = words;
    ++m_written;
    return name;
}
