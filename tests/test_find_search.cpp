// The find dialog's search loop over a plain text with an edit box's selection rules.

#include "dialogs/find_search.h"
#include "support/test_main.h"

#include <QElapsedTimer>

class TestFindSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findThenFindNextWalksOccurrencesCaseBlind()
    {
        StringFindTarget box(QStringLiteral("abcabc"));
        FindState state;
        const QString bc = QStringLiteral("BC");

        QVERIFY(FindSearch::find(box, bc, state));
        QCOMPARE(box.selectionStart(), 1);
        QCOMPARE(box.selectionLength(), 2);
        QCOMPARE(state.ResumePos, 2);
        QCOMPARE(state.Candidate, QStringLiteral("bc"));

        QVERIFY(FindSearch::findNext(box, bc, state));
        QCOMPARE(box.selectionStart(), 4);
        QCOMPARE(box.selectionLength(), 2);
        QCOMPARE(state.ResumePos, 5);

        QVERIFY(!FindSearch::findNext(box, bc, state));
        QCOMPARE(state.ResumePos, 5);
        QCOMPARE(box.cursorPosition(), 6);
        QCOMPARE(box.selectionLength(), 0);
        QVERIFY(state.MatchResult != 0);
    }

    void overlappingOccurrencesAreEachFound()
    {
        StringFindTarget box(QStringLiteral("aaaa"));
        FindState state;
        const QString aa = QStringLiteral("aa");
        QVERIFY(FindSearch::find(box, aa, state));
        QCOMPARE(box.selectionStart(), 0);
        for (int start : {1, 2}) {
            QVERIFY(FindSearch::findNext(box, aa, state));
            QCOMPARE(box.selectionStart(), start);
            QCOMPARE(box.selectionLength(), 2);
            QCOMPARE(state.ResumePos, start + 1);
        }
        QVERIFY(!FindSearch::findNext(box, aa, state));
        QCOMPARE(state.ResumePos, 3);
        QCOMPARE(box.cursorPosition(), 4);
    }

    void absentTextLeavesCaretAtEnd()
    {
        StringFindTarget box(QStringLiteral("http://example.com/"));
        FindState state;
        QVERIFY(!FindSearch::find(box, QStringLiteral("xyz"), state));
        QCOMPARE(box.selectionLength(), 0);
        QCOMPARE(box.cursorPosition(), 19);
        QCOMPARE(state.ResumePos, 0);

        // A search text longer than the whole address is not found either.
        QVERIFY(!FindSearch::find(box, QStringLiteral("http://example.com/index"), state));
    }

    void emptySearchTexts()
    {
        StringFindTarget box(QStringLiteral("abc"));
        FindState state;
        QVERIFY(FindSearch::find(box, QString(), state));
        QCOMPARE(box.selectionStart(), 0);
        QCOMPARE(box.selectionLength(), 0);
        QCOMPARE(state.ResumePos, 1);

        StringFindTarget empty;
        FindState fresh;
        QVERIFY(!FindSearch::find(empty, QString(), fresh));
        QCOMPARE(fresh.ResumePos, 0);
    }

    void matchAtTheVeryEndIsFound()
    {
        StringFindTarget box(QStringLiteral("xyzC"));
        FindState state;
        QVERIFY(FindSearch::find(box, QStringLiteral("c"), state));
        QCOMPARE(box.selectionStart(), 3);
        QCOMPARE(box.selectedText(), QStringLiteral("C"));
    }

    void caseBlindBeyondAscii()
    {
        QCOMPARE(FindSearch::compareCaseBlind(QStringLiteral("ÄÖÜ"), QStringLiteral("äöü")), 0);
        QCOMPARE(FindSearch::compareCaseBlind(QStringLiteral("ΣΊΣΥΦΟΣ"), QStringLiteral("σίσυφος")), 0);
        QVERIFY(FindSearch::compareCaseBlind(QStringLiteral("a"), QStringLiteral("ä")) != 0);

        StringFindTarget box(QStringLiteral("https://de.example/GRÜSSE"));
        FindState state;
        QVERIFY(FindSearch::find(box, QStringLiteral("grüsse"), state));
        QCOMPARE(box.selectionStart(), 19);
    }

    void positionsPastSixteenBits()
    {
        // 40,000 characters: offsets beyond what a 16-bit position could hold.
        QString text(40000, QLatin1Char('a'));
        text.replace(35000, 3, QStringLiteral("xyz"));
        text.replace(39997, 3, QStringLiteral("XYZ"));
        StringFindTarget box(text);
        FindState state;

        QElapsedTimer timer;
        timer.start();
        QVERIFY(FindSearch::find(box, QStringLiteral("xyz"), state));
        QCOMPARE(box.selectionStart(), 35000);
        QCOMPARE(state.ResumePos, 35001);
        QVERIFY(FindSearch::findNext(box, QStringLiteral("xyz"), state));
        QCOMPARE(box.selectionStart(), 39997);
        QCOMPARE(state.ResumePos, 39998);
        QVERIFY(!FindSearch::findNext(box, QStringLiteral("xyz"), state));
        QCOMPARE(box.cursorPosition(), 40000);
        qInfo("three searches over 40,000 characters: %lld ms", timer.elapsed());
    }
};

QUILLON_TEST_MAIN(TestFindSearch)
#include "test_find_search.moc"
