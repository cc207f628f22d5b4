// How the engine reads a typed address: one row per kind of text a user types.

#include "engine/qtwebengine/addresses/address_reading.h"
#include "support/test_main.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

Q_DECLARE_METATYPE(AddressReading::Kind)

class TestAddressReading : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        QFile page(m_folder.filePath(QStringLiteral("notes.html")));
        QVERIFY(page.open(QIODevice::WriteOnly));
    }

    void readsAsABrowserDoes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("online");
        QTest::addColumn<AddressReading::Kind>("kind");
        QTest::addColumn<QString>("url"); // encoded
        QTest::addColumn<QString>("fallback"); // over http, when a host is tried over https first
        const QString folder = m_folder.path();
        const auto load = AddressReading::Load;
        const QString search = QStringLiteral("qrc:/pages/search.html?q=");

        QTest::newRow("web address") << "https://example.com/a?b#c" << true << load << "https://example.com/a?b#c" << "";
        QTest::newRow("built-in page") << "about:blank" << true << load << "about:blank" << "";
        QTest::newRow("absolute path") << "/tmp/a b#c.html" << true << load << "file:///tmp/a%20b%23c.html" << "";
        QTest::newRow("home path") << "~/x.html" << true << load
                                   << QString::fromUtf8(QUrl::fromLocalFile(QDir::homePath() + "/x.html").toEncoded()) << "";
        QTest::newRow("relative file that exists") << " notes.html " << true << load
                                                   << QString::fromUtf8(QUrl::fromLocalFile(folder + "/notes.html").toEncoded()) << "";
        QTest::newRow("relative file that does not") << "missing.html" << true << load << "https://missing.html"
                                                     << "http://missing.html";
        // A host name goes over https first; what must stay on http goes there at once.
        QTest::newRow("host") << "www.example.com" << true << load << "https://www.example.com" << "http://www.example.com";
        QTest::newRow("host, path and query") << "Example.com/a?q#f" << true << load << "https://example.com/a?q#f"
                                              << "http://example.com/a?q#f";
        QTest::newRow("host on 443") << "example.com:443/x" << true << load << "https://example.com/x"
                                     << "http://example.com:443/x";
        QTest::newRow("host on 80") << "example.com:80" << true << load << "https://example.com" << "http://example.com:80";
        QTest::newRow("host with a user") << "me@example.com" << true << load << "https://me@example.com"
                                          << "http://me@example.com";
        QTest::newRow("host on another port") << "example.com:8443" << true << load << "http://example.com:8443" << "";
        QTest::newRow("host offline") << "www.example.com" << false << load << "http://www.example.com" << "";
        QTest::newRow("typed http") << "http://example.com" << true << load << "http://example.com" << "";
        QTest::newRow("IPv4") << "192.168.1.1/x" << true << load << "http://192.168.1.1/x" << "";
        QTest::newRow("IPv6 on 443") << "[2001:db8::1]:443" << true << load << "http://[2001:db8::1]:443" << "";
        QTest::newRow("localhost") << "localhost" << true << load << "http://localhost" << "";
        QTest::newRow("under localhost") << "app.localhost" << true << load << "http://app.localhost" << "";
        QTest::newRow("single word and port") << "intranet:80" << true << load << "http://intranet:80" << "";
        QTest::newRow("IPv4 and port") << "127.0.0.1:8765" << true << load << "http://127.0.0.1:8765" << "";
        QTest::newRow("IPv4, port and path") << "127.0.0.1:8765/index.html" << true << load
                                             << "http://127.0.0.1:8765/index.html" << "";
        QTest::newRow("localhost and port") << "localhost:8765/i" << true << load << "http://localhost:8765/i" << "";
        QTest::newRow("IPv6") << "[::1]:8080/x" << true << load << "http://[::1]:8080/x" << "";
        QTest::newRow("word") << "example" << true << load << search + "example&go=1" << "";
        QTest::newRow("words") << "quill & ink+" << true << load << search + "quill%20%26%20ink%2B&go=1" << "";
        QTest::newRow("words offline") << "quill" << false << load << search + "quill" << "";
        QTest::newRow("words with a colon") << "note: milk" << true << load << search + "note%3A%20milk&go=1" << "";
        QTest::newRow("ftp") << "ftp://ftp.example.com/f" << true << AddressReading::Desktop << "ftp://ftp.example.com/f" << "";
        QTest::newRow("mailto") << "mailto:a@example.com" << true << AddressReading::Desktop << "mailto:a@example.com" << "";
        QTest::newRow("bad IPv6") << "http://[" << true << AddressReading::Malformed << "" << "";
        QTest::newRow("bad bracket") << "[::1" << true << AddressReading::Malformed << "" << "";
        QTest::newRow("script") << "javascript:alert(1)" << true << AddressReading::Refused << "" << "";
        QTest::newRow("empty") << "  " << true << AddressReading::Refused << "" << "";
    }

    void readsAsABrowserDoes()
    {
        QFETCH(QString, text);
        QFETCH(bool, online);
        QFETCH(AddressReading::Kind, kind);
        QFETCH(QString, url);
        QFETCH(QString, fallback);
        const AddressReading reading = AddressReading::read(text, m_folder.path(), online);
        QCOMPARE(reading.kind, kind);
        QCOMPARE(QString::fromUtf8(reading.url.toEncoded()), url);
        QCOMPARE(QString::fromUtf8(reading.fallback.toEncoded()), fallback);
        QCOMPARE(reading.reason.isEmpty(), kind != AddressReading::Refused);
    }
};

QUILLON_TEST_MAIN(TestAddressReading)
#include "test_address_reading.moc"
