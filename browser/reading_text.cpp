#include "browser/reading_text.h"

#include <QColor>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <utility>

namespace {
struct Piece {
    QString text;
    QString href;
};

QString str(const QJsonObject &object, const char *key) { return object.value(QLatin1String(key)).toString(); }

// The runs' words with their white space as a browser lays it out: runs of blanks are one
// blank, none at either end of the line.
QList<Piece> pieces(const QJsonArray &runs)
{
    QList<Piece> out;
    bool afterSpace = true;
    for (const QJsonValue &value : runs) {
        const QJsonObject run = value.toObject();
        QString raw = str(run, "text");
        if (run.value(QLatin1String("image")).toBool())
            raw = QStringLiteral(" Image: %1 ").arg(raw);
        Piece piece{QString(), str(run, "href")};
        for (const QChar c : std::as_const(raw)) {
            const bool blank = c.isSpace() || c.category() == QChar::Other_Control;
            if (!blank)
                piece.text += c;
            else if (!afterSpace)
                piece.text += QLatin1Char(' ');
            afterSpace = blank;
        }
        if (!piece.text.isEmpty())
            out.append(piece);
    }
    // A blank at a link's edge belongs to the words around it, not under the link's underline.
    for (int i = 0; i + 1 < out.size(); ++i) {
        Piece &left = out[i], &right = out[i + 1];
        if (left.href == right.href)
            continue;
        if (!left.href.isEmpty() && left.text.endsWith(QLatin1Char(' ')) && left.text.size() > 1) {
            left.text.chop(1);
            right.text.prepend(QLatin1Char(' '));
        } else if (!right.href.isEmpty() && right.text.startsWith(QLatin1Char(' ')) && right.text.size() > 1) {
            right.text.remove(0, 1);
            left.text.append(QLatin1Char(' '));
        }
    }
    while (!out.isEmpty() && out.last().text.endsWith(QLatin1Char(' '))) {
        out.last().text.chop(1);
        if (out.last().text.isEmpty())
            out.removeLast();
    }
    return out;
}

QTextCharFormat plainFormat()
{
    QTextCharFormat format;
    format.setProperty(QTextFormat::FontSizeAdjustment, 0);
    return format;
}

QTextCharFormat noteFormat() // the words the view adds: "Heading 2:", a list's marker
{
    QTextCharFormat format = plainFormat();
    format.setForeground(QColor(96, 96, 96));
    return format;
}

void insert(QTextCursor &cursor, const QList<Piece> &line, QTextCharFormat base)
{
    for (const Piece &piece : line) {
        QTextCharFormat format = base;
        if (!piece.href.isEmpty()) {
            format.setAnchor(true);
            format.setAnchorHref(piece.href);
            format.setFontUnderline(true);
            format.setForeground(QColor(0, 0, 200));
        }
        cursor.insertText(piece.text, format);
    }
}

// One line of the view for one block of the page.
void line(QTextCursor &cursor, const QJsonObject &block, bool first)
{
    const QString kind = str(block, "kind");
    const int level = block.value(QLatin1String("level")).toInt();
    QTextBlockFormat format;
    format.setBottomMargin(6);
    if (kind == QLatin1String("heading")) {
        format.setHeadingLevel(qBound(1, level, 6));
        format.setTopMargin(10);
    } else if (kind == QLatin1String("item")) {
        format.setIndent(qBound(1, level, 8));
        format.setBottomMargin(2);
    }
    if (first)
        cursor.setBlockFormat(format);
    else
        cursor.insertBlock(format, plainFormat());

    if (kind == QLatin1String("heading")) {
        cursor.insertText(QStringLiteral("Heading %1: ").arg(format.headingLevel()), noteFormat());
        QTextCharFormat heading = plainFormat();
        heading.setFontWeight(QFont::Bold);
        heading.setProperty(QTextFormat::FontSizeAdjustment, qMax(0, 4 - format.headingLevel()));
        insert(cursor, pieces(block.value(QLatin1String("runs")).toArray()), heading);
    } else if (kind == QLatin1String("row")) {
        const QJsonArray cells = block.value(QLatin1String("cells")).toArray();
        for (int i = 0; i < cells.size(); ++i) {
            if (i > 0)
                cursor.insertText(QStringLiteral(" | "), noteFormat());
            insert(cursor, pieces(cells.at(i).toArray()), plainFormat());
        }
    } else if (kind == QLatin1String("field")) {
        QStringList words{str(block, "role")};
        if (!str(block, "value").isEmpty())
            words << str(block, "value").simplified();
        const QString label = str(block, "label").simplified();
        cursor.insertText((label.isEmpty() ? QString() : label + QStringLiteral(": ")) + words.join(QStringLiteral(", ")),
                          plainFormat());
    } else {
        if (kind == QLatin1String("item")) {
            const QString marker = str(block, "marker");
            cursor.insertText((marker.isEmpty() ? QStringLiteral("•") : marker) + QLatin1Char(' '), noteFormat());
        }
        insert(cursor, pieces(block.value(QLatin1String("runs")).toArray()), plainFormat());
    }
}

// Every link's start, in order.
QList<int> linkStarts(const QTextDocument *doc)
{
    QList<int> starts;
    QString previous;
    int previousEnd = -1;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QString href = fragment.charFormat().anchorHref();
            // A link split in two fragments (its words and an image) starts once.
            if (!href.isEmpty() && !(href == previous && fragment.position() == previousEnd))
                starts.append(fragment.position());
            previous = href;
            previousEnd = fragment.position() + fragment.length();
        }
    }
    return starts;
}

int nearest(const QList<int> &starts, int position, bool forward)
{
    if (forward) {
        const auto it = std::upper_bound(starts.begin(), starts.end(), position);
        return it == starts.end() ? -1 : *it;
    }
    const auto it = std::lower_bound(starts.begin(), starts.end(), position);
    return it == starts.begin() ? -1 : *(it - 1);
}
} // namespace

namespace ReadingText {
QString build(const QString &json, QTextDocument *doc)
{
    doc->clear();
    QTextCursor cursor(doc);
    QJsonParseError error;
    const QJsonObject page = QJsonDocument::fromJson(json.toUtf8(), &error).object();
    const QJsonArray blocks = page.value(QLatin1String("blocks")).toArray();
    if (error.error != QJsonParseError::NoError || !page.contains(QLatin1String("blocks"))) {
        cursor.insertText(QStringLiteral("This page's text cannot be read."), plainFormat());
        return QString();
    }
    bool first = true;
    for (const QJsonValue &block : blocks)
        line(cursor, block.toObject(), std::exchange(first, false));
    if (first)
        cursor.insertText(QStringLiteral("This page has no text."), plainFormat());
    if (page.value(QLatin1String("cut")).toBool()) {
        cursor.insertBlock();
        cursor.insertText(QStringLiteral("(The page goes on; the reading view shows its beginning.)"), noteFormat());
    }
    return str(page, "title");
}

int nextHeading(const QTextDocument *doc, int position, bool forward)
{
    QList<int> starts;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        if (block.blockFormat().headingLevel() > 0)
            starts.append(block.position());
    return nearest(starts, position, forward);
}

int nextLink(const QTextDocument *doc, int position, bool forward)
{
    return nearest(linkStarts(doc), position, forward);
}

QString linkAt(const QTextDocument *doc, int position)
{
    const QTextBlock block = doc->findBlock(position);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.contains(position))
            return fragment.charFormat().anchorHref();
    }
    return QString();
}
int linkEnd(const QTextDocument *doc, int position)
{
    const QString href = linkAt(doc, position);
    int end = position;
    const QTextBlock block = doc->findBlock(position);
    for (auto it = block.begin(); !it.atEnd() && !href.isEmpty(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int fragmentEnd = fragment.position() + fragment.length();
        if (fragmentEnd <= end)
            continue;
        if (fragment.position() > end || fragment.charFormat().anchorHref() != href)
            break;
        end = fragmentEnd;
    }
    return end;
}
} // namespace ReadingText
