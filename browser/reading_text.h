#pragma once
// The reading view's text, free of widgets: the document built from the page's structure as
// the engine reads it (WebEngine::readPageText), and the places H, K and Enter go to in it.
// The page's words always go in as plain text, never as markup.

#include <QString>

class QTextDocument;

namespace ReadingText {
// Fills doc from the engine's JSON; returns the page's title. A page that could not be read
// (empty or malformed JSON) gives one line that says so.
QString build(const QString &json, QTextDocument *doc);

// Where the next (forward) or previous heading or link starts, seen from position; -1 if none.
int nextHeading(const QTextDocument *doc, int position, bool forward);
int nextLink(const QTextDocument *doc, int position, bool forward);
// The address of the link whose text holds the character at position; empty if none.
QString linkAt(const QTextDocument *doc, int position);
// Where the link that holds the character at position ends; position itself if none.
int linkEnd(const QTextDocument *doc, int position);
} // namespace ReadingText
