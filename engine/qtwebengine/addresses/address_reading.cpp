#include "engine/qtwebengine/addresses/address_reading.h"

#include "engine/qtwebengine/addresses/built_in_pages.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>

namespace {
// Schemes the engine loads itself; any other goes to the desktop.
bool served(const QString &scheme)
{
    static const QStringList schemes{"about", "blob", "chrome", "data", "file", "http", "https", "qrc", "view-source"};
    return schemes.contains(scheme);
}

bool hasBlank(const QString &text)
{
    static const QRegularExpression blank(QStringLiteral("\\s"));
    return text.contains(blank);
}

// "name:rest", unless rest is a port ("localhost:8080/x" is a host, not a scheme).
QString schemeOf(const QString &text)
{
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.\\-]*):(.*)$"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression port(QStringLiteral("^\\d+([/?#].*)?$"),
                                         QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = scheme.match(text);
    if (!match.hasMatch() || port.match(match.captured(2)).hasMatch())
        return QString();
    return match.captured(1).toLower();
}

// A first word such as www.example.com, 127.0.0.1:8765, localhost or [::1]:8080.
bool looksLikeHost(const QString &text)
{
    if (hasBlank(text))
        return false;
    QString host = text.section(QRegularExpression(QStringLiteral("[/?#]")), 0, 0);
    host = host.section(QLatin1Char('@'), -1); // past any user name
    if (host.startsWith(QLatin1Char('[')))
        return true;
    static const QRegularExpression withPort(QStringLiteral("^[^:]+:\\d+$"));
    static const QRegularExpression dotted(QStringLiteral("[^.]\\.[^.]"));
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           withPort.match(host).hasMatch() || dotted.match(host).hasMatch();
}

AddressReading result(AddressReading::Kind kind, const QUrl &url = QUrl(), const QString &reason = QString())
{
    AddressReading reading;
    reading.kind = kind;
    reading.url = url;
    reading.reason = reason;
    return reading;
}

// Web addresses need a host; anything else the engine serves needs only to parse.
AddressReading loadOrMalformed(const QUrl &url)
{
    const bool web = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
    if (!url.isValid() || (web && url.host().isEmpty()))
        return result(AddressReading::Malformed);
    return result(AddressReading::Load, url);
}

AddressReading withScheme(const QString &text, const QString &scheme)
{
    // Script typed or pasted into the address box would run inside whatever page is shown.
    if (scheme == QLatin1String("javascript"))
        return result(AddressReading::Refused, QUrl(), QStringLiteral("Script addresses are not loaded"));
    const QUrl url(text, QUrl::TolerantMode);
    if (served(scheme))
        return loadOrMalformed(url);
    return url.isValid() ? result(AddressReading::Desktop, url) : result(AddressReading::Malformed);
}

// Hosts that may have a secure version worth trying first: a public-looking name (a dot, not
// localhost, not an IP address) on the web's own ports.
bool triesSecureFirst(const QUrl &plain)
{
    const QString host = plain.host();
    const int port = plain.port();
    return (port == -1 || port == 80 || port == 443) && host.contains(QLatin1Char('.')) &&
           !host.endsWith(QLatin1String(".localhost")) && QHostAddress(host).isNull();
}

AddressReading secureFirst(const AddressReading &plain)
{
    if (plain.kind != AddressReading::Load || !triesSecureFirst(plain.url))
        return plain;
    AddressReading reading = plain;
    reading.url.setScheme(QStringLiteral("https"));
    reading.url.setPort(-1); // 80 is http's; 443 is https's own
    reading.fallback = plain.url;
    return reading;
}

QUrl searchFor(const QString &words, bool online)
{
    QUrl url = BuiltInPages::search();
    QString query = QStringLiteral("q=") + QString::fromLatin1(QUrl::toPercentEncoding(words));
    if (online)
        query += QStringLiteral("&go=1"); // the page sends the words on at once
    url.setQuery(query, QUrl::StrictMode);
    return url;
}
} // namespace

AddressReading AddressReading::read(const QString &typed, const QString &currentFolder, bool online)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return result(Refused, QUrl(), QStringLiteral("No address was given"));

    const QString scheme = schemeOf(text);
    // "note: buy milk" is words, not an address of a scheme named "note".
    if (!scheme.isEmpty() && (served(scheme) || scheme == QLatin1String("javascript") || !hasBlank(text)))
        return withScheme(text, scheme);

    if (text.startsWith(QLatin1Char('/')))
        return result(Load, QUrl::fromLocalFile(text));
    if (text == QLatin1String("~") || text.startsWith(QLatin1String("~/")))
        return result(Load, QUrl::fromLocalFile(QDir::homePath() + text.mid(1)));
    const QFileInfo relative(QDir(currentFolder), text);
    if (relative.exists())
        return result(Load, QUrl::fromLocalFile(QDir::cleanPath(relative.absoluteFilePath())));

    if (looksLikeHost(text)) {
        const AddressReading plain = loadOrMalformed(QUrl(QStringLiteral("http://") + text, QUrl::TolerantMode));
        // Offline nothing goes out either way: the page says so for the address as typed.
        return online ? secureFirst(plain) : plain;
    }
    return result(Load, searchFor(text, online));
}
