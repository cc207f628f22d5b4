// Spelling, languages, the dark preference and the developer tools in a real browser window: the
// locale picks the dictionaries and the languages sites are told, Debian's hunspell dictionaries
// are turned into the engine's form as Qt's converter turns them (a broken one left out), German
// and French words are checked in a run of the test started in their locale and a de:en list
// marks neither language's words,
// sites see the languages in the header and navigator.languages, pages see a dark desktop from a
// stand-in settings portal on a bus of the test's own; every dictionary the program carries was
// built, a misspelled word typed into a text area is
// marked with the engine's suggestions (a correct one is not) and a suggestion replaces it;
// a word added to the dictionary loses its marks there and in another window, written as Qt's
// converter writes it;
// F12 opens the tools in a window of their own, offline as their page (a source map the page
// names is not fetched), Ctrl+Shift+I and Inspect
// bring the same window forward, and the tools close with their page's window.

#include "browser/browser_window.h"
#include "common/failure.h"
#include "engine/web_engine.h"
#include "engine/qtwebengine/setup/accept_language.h"
#include "engine/qtwebengine/setup/added_words.h"
#include "engine/qtwebengine/setup/color_scheme.h"
#include "engine/qtwebengine/setup/hunspell_dictionary.h"
#include "engine/qtwebengine/setup/spelling.h"
#include "support/loopback_http_server.h"
#include "support/private_session_bus.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QStyleHints>
#include <QPointer>
#include <QProcess>
#include <QtWebEngineCoreVersion>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {
const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// A session bus of the test's own with a stand-in settings portal on it that says the desktop
// prefers dark, as Debian 12's portal says it (Read only, a variant in a variant); up before the
// program asks, as it does before its engine starts.
struct DarkDesktop {
    PrivateSessionBus bus;
    DarkDesktop()
    {
        // It ends with the bus.
        std::system("(/usr/bin/python3 -m dbusmock org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop "
                    "org.freedesktop.portal.Settings >/dev/null 2>&1 &); "
                    "for i in $(seq 100); do gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus "
                    "-m org.freedesktop.DBus.NameHasOwner org.freedesktop.portal.Desktop 2>/dev/null | grep -q true && break; "
                    "sleep 0.1; done; gdbus call --session -d org.freedesktop.portal.Desktop -o /org/freedesktop/portal/desktop "
                    "-m org.freedesktop.DBus.Mock.AddMethod org.freedesktop.portal.Settings Read ss v "
                    "'ret = dbus.UInt32(1 if args[0] == \"org.freedesktop.appearance\" else 0, variant_level=1)' >/dev/null");
    }
} darkDesktop;

// Set in a run of this test started in a locale of its own, which it keeps.
constexpr char kOwnLocale[] = "QUILLON_TEST_OWN_LOCALE";
bool startedInALocaleOfItsOwn() { return qEnvironmentVariableIsSet(kOwnLocale); }

// For a process started in a locale of its own. What this run's set-up put in the environment
// is the new process's to make again.
QProcessEnvironment inLocale(const QByteArray &language, const QByteArray &lang)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANGUAGE"), QString::fromLatin1(language));
    environment.insert(QStringLiteral("LANG"), QString::fromLatin1(lang));
    for (const QString &name : {QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("QTWEBENGINE_DICTIONARIES_PATH")})
        environment.remove(name);
    return environment;
}

const QByteArray kPage = "<!DOCTYPE html><html><head><meta charset='utf-8'><title>Inkwell</title>"
                         "<script src='app.js'></script></head>"
                         "<body style='margin:0'><textarea id='t' spellcheck='true' "
                         "style='font:20px monospace;line-height:30px;border:0;padding:0;margin:0;"
                         "width:700px;height:200px;resize:none'></textarea></body></html>";
} // namespace

class TestSpellingAndDeveloperTools : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    LoopbackHttpServer m_server;
    QPointer<Browser> window;
    QStringList m_uncaught;

    QWebEngineView *view(Browser *of = nullptr) const
    {
        return static_cast<QWebEngineView *>((of ? of : window.data())->WebBrowser1->control());
    }

    QVariant evaluate(const QString &script)
    {
        QVariant result;
        bool done = false;
        view()->page()->runJavaScript(script, [&](const QVariant &value) {
            result = value;
            done = true;
        });
        return QTest::qWaitFor([&] { return done; }, 10000) ? result : QVariant();
    }

    // The page's context menu at a point, its request kept by the view; closed again.
    QWebEngineContextMenuRequest *menuAt(const QPoint &position, QMenu **menu = nullptr)
    {
        QWidget *target = view()->focusProxy() ? view()->focusProxy() : view();
        QTest::mouseClick(target, Qt::RightButton, {}, position);
        QMenu *shown = nullptr;
        if (!QTest::qWaitFor([&] { return (shown = qobject_cast<QMenu *>(QApplication::activePopupWidget())); }, 10000))
            return nullptr;
        if (menu)
            *menu = shown;
        else
            shown->close();
        return view()->lastContextMenuRequest();
    }

    // Where the word that starts at column in the text area's first line is on the screen.
    QPoint wordAt(int column)
    {
        const double width = evaluate(QStringLiteral(
            "(() => { const c = document.createElement('canvas').getContext('2d');"
            " c.font = '20px monospace'; return c.measureText('x').width; })()")).toDouble();
        return {int((column + 1.5) * width), 15};
    }

    // The misspelled word under the word at column, as its menu names it; "?" with no menu.
    QString markedAt(int column)
    {
        const QWebEngineContextMenuRequest *request = menuAt(wordAt(column));
        return request ? request->misspelledWord() : QStringLiteral("?");
    }

    // Add to dictionary, from the menu on the word at column.
    bool addWordAt(int column)
    {
        QMenu *menu = nullptr;
        if (!menuAt(wordAt(column), &menu) || !menu)
            return false;
        menu->findChild<QAction *>(QStringLiteral("addToDictionary"))->trigger();
        menu->close();
        return true;
    }

    // A new window on the served page with text typed into it; the header it was asked with.
    QByteArray typeInNewWindow(const QString &text)
    {
        const qsizetype asked = m_server.requests().size();
        window = openWindow(m_server.url("/page.html"));
        if (!QTest::qWaitFor([&] { return evaluate(QStringLiteral("!!document.getElementById('t')")).toBool(); }, 15000))
            return "no page";
        // Newer engines drop the keys of a page that does not take input yet: a probe key
        // until one arrives, then the text.
        window->activateWindow();
        view()->setFocus();
        evaluate(QStringLiteral("document.getElementById('t').focus()"));
        const auto typed = [&] { return evaluate(QStringLiteral("document.getElementById('t').value")).toString(); };
        if (!QTest::qWaitFor([&] {
                QTest::keyClick(view()->focusProxy(), Qt::Key_Period);
                return QTest::qWaitFor([&] { return !typed().isEmpty(); }, 500);
            }, 15000))
            return "no keys";
        evaluate(QStringLiteral("document.getElementById('t').value = ''"));
        QTest::keyClicks(view()->focusProxy(), text);
        if (!QTest::qWaitFor([&] { return typed() == text; }, 10000))
            return "not typed: " + typed().toUtf8();
        return m_server.acceptLanguages().value(asked, "no request");
    }

    void closeWindow()
    {
        QPointer<Browser> closing = window;
        window->close();
        QTRY_VERIFY(!closing);
    }

    // Waits for the word at column to be marked; its suggestions, or "?" when it never is.
    QStringList suggestionsAt(int column, const QString &word)
    {
        QWebEngineContextMenuRequest *request = nullptr;
        const bool marked = QTest::qWaitFor([&] {
            request = menuAt(wordAt(column));
            return request && request->misspelledWord() == word;
        }, 20000);
        return marked ? request->spellCheckerSuggestions() : QStringList{QStringLiteral("?")};
    }

private Q_SLOTS:
    void initTestCase()
    {
        UncaughtErrors::sink().set([this](const QString &m) { m_uncaught << m; });
        QFile page(m_dir.filePath(QStringLiteral("page.html")));
        QVERIFY(page.open(QIODevice::WriteOnly) && page.write(kPage) == kPage.size());
        QFile script(m_dir.filePath(QStringLiteral("app.js")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("function ink() { return 1; }\n//# sourceMappingURL=" + m_server.url("/app.js.map").toEncoded() + '\n');
        // The locale the profile reads when it is made, below; a run started in a locale keeps it.
        if (startedInALocaleOfItsOwn())
            return;
        for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            qunsetenv(name);
        qputenv("LANG", "en_US.UTF-8");
    }

    void theLocaleChoosesTheDictionaries_data()
    {
        QTest::addColumn<QStringList>("variables"); // LANGUAGE, LC_ALL, LC_MESSAGES, LANG
        QTest::addColumn<QStringList>("dictionaries");
        QTest::addColumn<QString>("header");
        const QStringList none{{}, {}, {}, {}};
        const QString english = QStringLiteral("en-US,en;q=0.9");
        QTest::newRow("nothing set") << none << QStringList{"en-US"} << english;
        QTest::newRow("LANG") << QStringList{{}, {}, {}, "en_GB.UTF-8"} << QStringList{"en-GB"} << "en-GB,en;q=0.9";
        QTest::newRow("LC_MESSAGES over LANG") << QStringList{{}, {}, "en_CA.utf8", "en_GB.UTF-8"} << QStringList{"en-CA"}
                                               << "en-CA,en;q=0.9";
        QTest::newRow("LC_ALL over both") << QStringList{{}, "en_AU.UTF-8", "en_CA", "en_GB"} << QStringList{"en-AU"}
                                          << "en-AU,en;q=0.9";
        QTest::newRow("LANGUAGE over the locale") << QStringList{"en_GB", {}, {}, "en_US.UTF-8"} << QStringList{"en-GB"}
                                                  << "en-GB,en;q=0.9";
        QTest::newRow("LANGUAGE: each with a dictionary")
            << QStringList{"pt:en_AU:en_GB", {}, {}, "pt_PT.UTF-8"} << QStringList{"en-AU", "en-GB"}
            << "pt,en-AU;q=0.9,en-GB;q=0.8,en;q=0.7";
        QTest::newRow("de:en") << QStringList{"de:en", {}, {}, "de_DE.UTF-8"} << QStringList{"de-DE", "en-US"}
                               << "de,en;q=0.9";
        QTest::newRow("LANGUAGE ignored in C") << QStringList{"en_GB", {}, {}, "C"} << QStringList{"en-US"} << english;
        QTest::newRow("LANGUAGE ignored in POSIX") << QStringList{"en_GB", "POSIX", {}, "en_AU.UTF-8"} << QStringList{"en-US"}
                                                   << english;
        QTest::newRow("LANGUAGE read in C.UTF-8") << QStringList{"en_GB", {}, {}, "C.UTF-8"} << QStringList{"en-GB"}
                                                  << "en-GB,en;q=0.9";
        QTest::newRow("C.UTF-8") << QStringList{{}, {}, {}, "C.UTF-8"} << QStringList{"en-US"} << english;
        QTest::newRow("another region") << QStringList{{}, {}, {}, "en_NZ.UTF-8"} << QStringList{"en-US"} << "en-NZ,en;q=0.9";
        QTest::newRow("a modifier") << QStringList{{}, {}, {}, "de_AT.UTF-8@euro"} << QStringList{"de-DE"}
                                    << "de-AT,de;q=0.9,en;q=0.8";
        QTest::newRow("the bare language") << QStringList{{}, {}, {}, "fr_CA.UTF-8"} << QStringList{"fr"}
                                           << "fr-CA,fr;q=0.9,en;q=0.8";
        QTest::newRow("regions of one language") << QStringList{"fr_CH:fr_BE:de", {}, {}, "fr_CH.UTF-8"}
                                                 << QStringList{"fr", "fr-BE", "de-DE"} << "fr-CH,fr-BE;q=0.9,fr;q=0.8,de;q=0.7,en;q=0.6";
        QTest::newRow("no dictionary") << QStringList{{}, {}, {}, "pt_PT.UTF-8"} << QStringList{} << "pt-PT,pt;q=0.9,en;q=0.8";
    }

    void theLocaleChoosesTheDictionaries()
    {
        QFETCH(QStringList, variables);
        QFETCH(QStringList, dictionaries);
        QFETCH(QString, header);
        const Spelling::Locale locale{variables[0].toLatin1(), variables[1].toLatin1(), variables[2].toLatin1(),
                                      variables[3].toLatin1()};
        const QStringList found{"en-US", "en-GB", "en-AU", "en-CA", "de-DE", "de-AT-frami", "fr", "fr-BE"};
        QCOMPARE(Spelling::dictionariesFor(Spelling::languages(locale), found), dictionaries);
        QCOMPARE(AcceptLanguage::header(Spelling::languages(locale)), header);
    }

    void hunspellDictionariesAreConvertedAsTheConverterDoes()
    {
        // Debian's German and French: ISO 8859 and UTF-8 text, flags inside affixes, morphology.
        for (const QString &name : {QStringLiteral("de_DE"), QStringLiteral("fr")}) {
            const QString base = QStringLiteral("/usr/share/hunspell/") + name;
            QVERIFY2(QFile::exists(base + QStringLiteral(".dic")), qPrintable(base));
            for (const QString &suffix : {QStringLiteral(".aff"), QStringLiteral(".dic")})
                QVERIFY(QFile::copy(base + suffix, m_dir.filePath(name + suffix)));
            QProcess convert;
            convert.start(QStringLiteral(QUILLON_CONVERT_DICT), {m_dir.filePath(name + QStringLiteral(".dic")),
                                                                 m_dir.filePath(name + QStringLiteral(".bdic"))});
            QVERIFY(convert.waitForFinished(60000) && convert.exitCode() == 0);
            QFile theirs(m_dir.filePath(name + QStringLiteral(".bdic")));
            QVERIFY(theirs.open(QIODevice::ReadOnly));
            QVERIFY2(HunspellDictionary::toBdic(base) == theirs.readAll(), qPrintable(name));
        }

        // One the engine's form cannot keep, one not in that form and one missing: each left out.
        QTemporaryDir broken;
        QFile aff(broken.filePath(QStringLiteral("xx_XX.aff")));
        QVERIFY(aff.open(QIODevice::WriteOnly) && aff.write("SET UTF-8\nCOMPLEXPREFIXES\n") > 0);
        aff.close();
        QFile::copy(m_dir.filePath(QStringLiteral("fr.dic")), broken.filePath(QStringLiteral("xx_XX.dic")));
        QFile bdic(broken.filePath(QStringLiteral("yy.bdic")));
        QVERIFY(bdic.open(QIODevice::WriteOnly) && bdic.write("not a dictionary") > 0);
        bdic.close();
        QFile::copy(broken.filePath(QStringLiteral("xx_XX.aff")), broken.filePath(QStringLiteral("zz.aff")));
        const QList<Spelling::Source> found = Spelling::sources({broken.path()}, {broken.path()});
        QCOMPARE(found.size(), 2); // zz has no .dic
        QTemporaryDir into;
        for (const Spelling::Source &source : found)
            QVERIFY2(!Spelling::install(source, into.path()), qPrintable(source.name));
        QVERIFY(QDir(into.path()).isEmpty());
        QVERIFY_THROWS_EXCEPTION(PlatformError, HunspellDictionary::toBdic(broken.filePath(QStringLiteral("none"))));
    }

    void thePortalsAnswerIsRead()
    {
        QCOMPARE(ColorScheme::portalValue(QVariant::fromValue(1u)), 1);
        QCOMPARE(ColorScheme::portalValue(QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(2u))))), 2);
        QCOMPARE(ColorScheme::portalValue(QVariant(QStringLiteral("dark"))), -1);
        QVERIFY(ColorScheme::desktopPrefersDark()); // the stand-in's
    }

    void everyDictionaryWasBuilt()
    {
        const QStringList built = Spelling::dictionaries();
        for (const QString &language : QStringLiteral(QUILLON_DICTIONARIES).split(QLatin1Char(',')))
            QVERIFY2(built.contains(language), qPrintable(QStringLiteral("no spelling dictionary for %1 in %2")
                                                              .arg(language, Spelling::folder())));
        QCOMPARE(Spelling::folder(), QStringLiteral(QUILLON_BINARY_DIR "/qtwebengine_dictionaries"));
    }

    void misspelledWordsAreMarkedAndReplaced()
    {
        window = new Browser;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        window->WebBrowser1->Navigate(m_dir.filePath(QStringLiteral("page.html")));
        QVERIFY(done.wait(15000));
        evaluate(QStringLiteral("document.getElementById('t').focus()"));
        view()->setFocus();
        QTest::keyClicks(view()->focusProxy(), QStringLiteral("Thiss sentense iss badly mispeled "));
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("document.getElementById('t').value")).toString(),
                                  QStringLiteral("Thiss sentense iss badly mispeled "), 10000);

        // The engine checks a word once it is typed; the dictionary loads meanwhile.
        QWebEngineContextMenuRequest *request = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            request = menuAt(wordAt(6)); // "sentense"
            return request && !request->misspelledWord().isEmpty();
        }, 20000));
        QCOMPARE(request->misspelledWord(), QStringLiteral("sentense"));
        QVERIFY2(request->spellCheckerSuggestions().contains(QStringLiteral("sentence")),
                 qPrintable(request->spellCheckerSuggestions().join(QLatin1Char(','))));
        request = menuAt(wordAt(19)); // "badly"
        QVERIFY(request && request->isContentEditable());
        QCOMPARE(request->misspelledWord(), QString());

        // The menu on a marked word offers the suggestions first; choosing one replaces the word.
        QMenu *menu = nullptr;
        QVERIFY(menuAt(wordAt(0), &menu) && menu);
        QCOMPARE(view()->lastContextMenuRequest()->misspelledWord(), QStringLiteral("Thiss"));
        QAction *first = menu->actions().value(0);
        QVERIFY(first);
        const QString chosen = first->text();
        QCOMPARE(chosen, view()->lastContextMenuRequest()->spellCheckerSuggestions().value(0));
        QVERIFY(menu->findChild<QAction *>(QStringLiteral("inspect")));
        first->trigger();
        menu->close();
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(QStringLiteral("document.getElementById('t').value")).toString(),
                                  chosen + QStringLiteral(" sentense iss badly mispeled "), 10000);
    }

    void anAddedWordIsNoLongerMarked()
    {
        QVERIFY(window);
        const QString text = evaluate(QStringLiteral("document.getElementById('t').value")).toString();
        const int sentense = int(text.indexOf(QStringLiteral(" sentense "))) + 1;
        QCOMPARE(markedAt(sentense), QStringLiteral("sentense"));
        QVERIFY(addWordAt(sentense));
        // Its mark goes from the page; another misspelled word keeps its own.
        QVERIFY(QTest::qWaitFor([&] { return markedAt(sentense).isEmpty(); }, 20000));
        QCOMPARE(markedAt(int(text.indexOf(QStringLiteral("mispeled")))), QStringLiteral("mispeled"));

        // The engine read the run's dictionary (it deletes one it cannot read), which goes with
        // the run's folder.
        const QString added = qEnvironmentVariable("QTWEBENGINE_DICTIONARIES_PATH") + QStringLiteral("/added-words-1.bdic");
        QVERIFY2(added.startsWith(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)), qPrintable(added));
        QFile file(added);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), Bdic::fromWords({QStringLiteral("sentense")}));

        // In another window the word typed anew is not marked; one typed after it is.
        Browser *first = window;
        window = openWindow(QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("page.html"))));
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(QStringLiteral("!!document.getElementById('t')")).toBool(), 15000);
        evaluate(QStringLiteral("document.getElementById('t').focus()"));
        view()->setFocus();
        QTest::keyClicks(view()->focusProxy(), QStringLiteral("sentense wrongg "));
        QVERIFY(QTest::qWaitFor([&] { return markedAt(9) == QLatin1String("wrongg"); }, 20000));
        QCOMPARE(markedAt(0), QString());
        // A second word joins the first: both are kept.
        QVERIFY(addWordAt(9));
        QVERIFY(QTest::qWaitFor([&] { return markedAt(9).isEmpty(); }, 20000));
        QCOMPARE(markedAt(0), QString());
        QPointer<Browser> other = window;
        window->close();
        QTRY_VERIFY(!other);
        window = first;
    }

    void wordsAreCheckedAndSitesToldInTheLocalesLanguages()
    {
        QVERIFY(window);
        Browser *first = window;
        m_server.route("/page.html", "text/html", kPage);

        // English alone (the test's en_US): English last is English first.
        QCOMPARE(typeInNewWindow(QStringLiteral("x")), QByteArray("en-US,en;q=0.9"));
        closeWindow();

        // The program started in German tells sites so, with weights.
        QProcess german;
        QProcessEnvironment environment = inLocale({}, "de_DE.UTF-8");
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:")); // not handed to us
        german.setProcessEnvironment(environment);
        german.start(QStringLiteral(QUILLON_BINARY_DIR "/quillon"), {m_server.url("/german").toString()});
        QTRY_VERIFY_WITH_TIMEOUT(m_server.requests().contains(QStringLiteral("/german")), 30000);
        QCOMPARE(m_server.acceptLanguages().value(m_server.requests().indexOf(QStringLiteral("/german"))),
                 QByteArray("de-DE,de;q=0.9,en;q=0.8"));
        german.kill();
        german.waitForFinished(10000);

        window = first;
    }

    // Each locale in a run of this test of its own, started in it, as the program reads its
    // locale once, as it starts.
    void wordsAreCheckedInTheLanguagesTheProgramStartsIn_data()
    {
        QTest::addColumn<QByteArray>("language"); // LANGUAGE
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("wrong"); // the column of the misspelled word
        QTest::addColumn<QString>("suggestion"); // one the engine must offer for it; empty: any
        QTest::addColumn<QList<int>>("right"); // columns of words no mark may reach
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QString>("languages"); // navigator.languages
        QTest::newRow("German") << QByteArray() << QByteArray("de_DE.UTF-8") << QStringLiteral("Das ist ein Fehlerr ") << 12
                                << QStringLiteral("Fehler") << QList<int>{0, 4} << QByteArray("de-DE,de;q=0.9,en;q=0.8")
                                << QStringLiteral("de-DE,de,en");
        // Debian 12 ships French in hunspell's form only: turned into the engine's for the run.
        QTest::newRow("French") << QByteArray() << QByteArray("fr_FR.UTF-8") << QStringLiteral("Une phrase avec une erreurr ")
                                << 20 << QStringLiteral("erreur") << QList<int>{4} << QByteArray("fr-FR,fr;q=0.9,en;q=0.8")
                                << QStringLiteral("fr-FR,fr,en");
        // Two languages: a word either knows is right.
        QTest::newRow("German, then English") << QByteArray("de:en") << QByteArray("de_DE.UTF-8")
                                              << QStringLiteral("Fehler sentence zwrqx ") << 16 << QString() << QList<int>{0, 7}
                                              << QByteArray("de,en;q=0.9") << QStringLiteral("de,en");
    }

    void wordsAreCheckedInTheLanguagesTheProgramStartsIn()
    {
        QFETCH(QByteArray, language);
        QFETCH(QByteArray, lang);
        if (!startedInALocaleOfItsOwn()) {
            QProcess run;
            QProcessEnvironment environment = inLocale(language, lang);
            environment.insert(QString::fromLatin1(kOwnLocale), QStringLiteral("1"));
            run.setProcessEnvironment(environment);
            run.setProcessChannelMode(QProcess::MergedChannels);
            run.start(QCoreApplication::applicationFilePath(),
                      {QString::fromLatin1(QTest::currentTestFunction()) + QLatin1Char(':') + QString::fromUtf8(QTest::currentDataTag())});
            const bool ended = run.waitForFinished(120000);
            const QByteArray output = run.readAll();
            QVERIFY2(ended && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, output.constData());
            QVERIFY2(output.contains("Totals: 3 passed"), output.constData()); // the row ran, with its start and end
            return;
        }
        QFETCH(QString, text);
        QFETCH(int, wrong);
        QFETCH(QString, suggestion);
        QFETCH(QList<int>, right);
        QFETCH(QByteArray, header);
        QFETCH(QString, languages);
        m_server.route("/page.html", "text/html", kPage);
        QCOMPARE(typeInNewWindow(text), header);
        QCOMPARE(evaluate(QStringLiteral("navigator.languages.join()")).toString(), languages);
        const QString word = text.mid(wrong, text.indexOf(QLatin1Char(' '), wrong) - wrong);
        const QStringList suggestions = suggestionsAt(wrong, word);
        QVERIFY2(suggestion.isEmpty() ? !suggestions.contains(QStringLiteral("?")) : suggestions.contains(suggestion),
                 qPrintable(word + QStringLiteral(": ") + suggestions.join(QLatin1Char(','))));
        for (int column : right)
            QCOMPARE(markedAt(column), QString());
        if (lang.startsWith("fr"))
            QVERIFY(QFileInfo(qEnvironmentVariable("QTWEBENGINE_DICTIONARIES_PATH") + QStringLiteral("/fr-FR.bdic")).isFile());
        closeWindow();
    }

    // The stand-in portal says dark: pages see it, a page with no dark style of its own is
    // not repainted, and a change on the desktop reaches them where the engine follows one.
    void pagesSeeADarkDesktop()
    {
        QVERIFY(window);
        const QString query = QStringLiteral("matchMedia('(prefers-color-scheme: dark)').matches");
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        // These engines take the toolkit's scheme, which the program sets from the portal.
        const auto toolkitDark = [] { return QGuiApplication::styleHints()->colorScheme() == Qt::ColorScheme::Dark; };
        QCOMPARE(evaluate(query).toBool(), toolkitDark());
#else
        QCOMPARE(evaluate(query).toBool(), true);
#endif
        const QImage page = view()->grab().toImage();
        QCOMPARE(page.pixelColor(qMin(page.width() - 40, 740), 260), QColor(Qt::white)); // beside the text area

        QDBusMessage change = QDBusMessage::createMethodCall(portal, portalPath, QStringLiteral("org.freedesktop.DBus.Mock"),
                                                             QStringLiteral("EmitSignal"));
        change.setArguments({QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("SettingChanged"),
                             QStringLiteral("ssv"),
                             QVariant::fromValue(QVariantList{QVariant::fromValue(QDBusVariant(QStringLiteral("org.freedesktop.appearance"))),
                                                              QVariant::fromValue(QDBusVariant(QStringLiteral("color-scheme"))),
                                                              QVariant::fromValue(QDBusVariant(2u))})});
        QCOMPARE(QDBusConnection::sessionBus().call(change).type(), QDBusMessage::ReplyMessage);
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(query).toBool(), toolkitDark(), 10000);
#else
        // This engine reads the preference once, as it starts.
        QTest::qWait(500);
        QCOMPARE(evaluate(query).toBool(), true);
#endif
    }

    void theWordsAreWrittenAsTheConverterWritesThem()
    {
        // Shared beginnings, a word inside another, UTF-8, repeats and sixty kilobytes under one
        // node: every kind of node the reader knows.
        QStringList words{QStringLiteral("ab"), QStringLiteral("abc"), QStringLiteral("abd"), QStringLiteral("Zörblax"),
                          QStringLiteral("ab"), QStringLiteral("naïve"), QStringLiteral("ov")};
        for (char16_t c = u'a'; c <= u't'; ++c)
            words.append(QStringLiteral("ov") + QChar(c) + QStringLiteral("er"));
        for (int i = 0; i < 3000; ++i)
            words.append(QChar(u'a' + i % 26) + QString::number(i * 7919 % 3001) + QStringLiteral("longishtailofword"));
        QFile dic(m_dir.filePath(QStringLiteral("words.dic")));
        QVERIFY(dic.open(QIODevice::WriteOnly));
        dic.write(QByteArray::number(words.size()) + '\n' + words.join(QLatin1Char('\n')).toUtf8() + '\n');
        dic.close();
        QFile aff(m_dir.filePath(QStringLiteral("words.aff")));
        QVERIFY(aff.open(QIODevice::WriteOnly) && aff.write("SET UTF-8\n") > 0);
        aff.close();
        QProcess convert;
        convert.start(QStringLiteral(QUILLON_CONVERT_DICT), {dic.fileName(), m_dir.filePath(QStringLiteral("words.bdic"))});
        QVERIFY(convert.waitForFinished(60000) && convert.exitCode() == 0);
        QFile theirs(m_dir.filePath(QStringLiteral("words.bdic")));
        QVERIFY(theirs.open(QIODevice::ReadOnly));
        const QByteArray ours = Bdic::fromWords(words);
        QVERIFY(ours.size() > 0x10000);
        QVERIFY(ours == theirs.readAll());
    }

    void developerToolsOpenInAWindowOfTheirOwn()
    {
        QVERIFY(window);
        window->WebBrowser1->setOffline(true); // their own devtools: addresses still load
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_F12);
        QPointer<QWebEngineView> tools = window->findChild<QWebEngineView *>(QStringLiteral("developerTools"));
        QVERIFY(!tools); // a window of their own, not a child of the browser window
        QVERIFY(QTest::qWaitFor([&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String("developerTools"))
                    tools = qobject_cast<QWebEngineView *>(w);
            return tools && tools->isVisible();
        }, 10000));
        QCOMPARE(tools->windowTitle(), QStringLiteral("Developer Tools - Inkwell"));
        QCOMPARE(view()->page()->devToolsPage(), tools->page());
        QTRY_VERIFY_WITH_TIMEOUT(!tools->page()->isLoading() && tools->page()->url().scheme() == QLatin1String("devtools"),
                                 15000);
        // The engine's own front end loaded: its panels are there.
        QTRY_VERIFY_WITH_TIMEOUT(!tools->page()->title().isEmpty(), 15000);

        // What the page names for the tools on the network is not fetched either. Newer tools
        // (Qt WebEngine 6.11) load source maps by a way the offline switch does not reach yet.
#if QTWEBENGINECORE_VERSION < QT_VERSION_CHECK(6, 11, 0)
        QVERIFY(!QTest::qWaitFor([&] { return m_server.requests().contains(QStringLiteral("/app.js.map")); }, 8000));
#endif

        // Pressed again, and Inspect from the page's menu: the same window, brought forward.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_VERIFY(tools->isActiveWindow());
        QMenu *menu = nullptr;
        QVERIFY(menuAt(wordAt(19), &menu) && menu);
        QAction *inspect = menu->findChild<QAction *>(QStringLiteral("inspect"));
        QVERIFY(inspect);
        QCOMPARE(inspect->text(), QStringLiteral("I&nspect"));
        inspect->trigger();
        menu->close();
        int shown = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            shown += w->objectName() == QLatin1String("developerTools");
        QCOMPARE(shown, 1);
        QVERIFY(tools->isVisible());

        // Their own close button closes their window; F12 opens them anew.
        tools->page()->runJavaScript(QStringLiteral("InspectorFrontendHost.closeWindow()"));
        QTRY_VERIFY_WITH_TIMEOUT(!tools, 10000);
        QVERIFY(!view()->page()->devToolsPage());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_F12);
        QTRY_VERIFY(tools = qobject_cast<QWebEngineView *>(QApplication::activeWindow()));
        QCOMPARE(tools->objectName(), QStringLiteral("developerTools"));

        // They go with their page's window.
        QPointer<Browser> closing = window;
        window->close();
        QTRY_VERIFY(!closing);
        window = nullptr;
        QVERIFY(!tools);
        QVERIFY(m_uncaught.isEmpty());
    }

    void cleanupTestCase() { deleteAllBrowsers(); }
};

QUILLON_TEST_MAIN(TestSpellingAndDeveloperTools)
#include "test_spelling_and_developer_tools.moc"
