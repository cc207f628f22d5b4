#pragma once
// The find dialog's search: tries each position of the target's text in turn, selecting the
// search text's length there and comparing the selection with the search text, case-blind.
// A match is recognised one pass after it was selected, so it stays selected, and the next
// search resumes one past its start (overlapping occurrences are found too).

#include <QString>

// What the search works on: an edit box's text and selection.
class FindTarget {
public:
    virtual ~FindTarget() = default;
    virtual QString text() const = 0;
    // Sets the selection start, then its length; a length past the end is cut at the end,
    // and a zero length leaves the caret at start.
    virtual void setSelection(int start, int length) = 0;
    virtual QString selectedText() const = 0;
};

// The state the dialog keeps between clicks.
struct FindState {
    int SearchPos = 0;   // position being tried
    int ResumePos = 0;   // where Find Next starts: one past the last occurrence's start
    int MatchResult = 1; // 0 when the last text tried equalled the search text
    QString Candidate;   // the text last taken from the selection
};

namespace FindSearch {
// Case-blind comparison by Unicode case folding (the same for every language); 0 when equal.
int compareCaseBlind(const QString &a, const QString &b);

// The loop from `start`; true when an occurrence was found (then ResumePos is updated).
bool runLoop(FindTarget &target, const QString &searchText, FindState &state, int start);

// The Find button's search, from the beginning of the text.
bool find(FindTarget &target, const QString &searchText, FindState &state);
// The Find Next button's search, from ResumePos.
bool findNext(FindTarget &target, const QString &searchText, FindState &state);
} // namespace FindSearch

// A plain text with a selection, behaving as an edit box does.
class StringFindTarget : public FindTarget {
public:
    explicit StringFindTarget(QString text = {}) : m_text(std::move(text)) {}
    QString text() const override { return m_text; }
    void setSelection(int start, int length) override;
    QString selectedText() const override { return m_text.mid(m_start, m_length); }
    int selectionStart() const { return m_start; }
    int selectionLength() const { return m_length; }
    int cursorPosition() const { return m_start + m_length; }

private:
    QString m_text;
    int m_start = 0;
    int m_length = 0;
};
