#include "dialogs/find_search.h"

#include <algorithm>

namespace FindSearch {

int compareCaseBlind(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive);
}

bool runLoop(FindTarget &target, const QString &searchText, FindState &state, int start)
{
    const int limit = int(target.text().size());
    const int length = int(searchText.size());
    state.SearchPos = start;
    while (state.SearchPos <= limit) {
        if (state.MatchResult == 0) {
            state.ResumePos = state.SearchPos;
            return true;
        }
        target.setSelection(state.SearchPos, length);
        state.Candidate = target.selectedText();
        state.MatchResult = compareCaseBlind(state.Candidate, searchText);
        ++state.SearchPos;
    }
    return false;
}

bool find(FindTarget &target, const QString &searchText, FindState &state)
{
    state.SearchPos = 0;
    state.ResumePos = 0;
    target.setSelection(0, 0);
    state.MatchResult = 1;
    return runLoop(target, searchText, state, state.ResumePos);
}

bool findNext(FindTarget &target, const QString &searchText, FindState &state)
{
    target.setSelection(state.ResumePos, 0);
    state.MatchResult = 1;
    return runLoop(target, searchText, state, state.ResumePos);
}

} // namespace FindSearch

void StringFindTarget::setSelection(int start, int length)
{
    const int size = int(m_text.size());
    m_start = std::clamp(start, 0, size);
    m_length = std::clamp(length, 0, size - m_start);
}
