#include "engine/qtwebengine/setup/accept_language.h"

#include "engine/qtwebengine/setup/spelling.h"

#include <QWebEngineProfile>
#include <algorithm>

namespace {
QString baseOf(const QString &tag)
{
    return tag.section(QLatin1Char('-'), 0, 0);
}
} // namespace

namespace AcceptLanguage {

QString header(const QStringList &languages)
{
    const QStringList given = languages.isEmpty() ? QStringList{QStringLiteral("en-US")} : languages;
    QStringList tags;
    for (qsizetype i = 0; i < given.size(); ++i) {
        if (!tags.contains(given[i]))
            tags.append(given[i]);
        const QString base = baseOf(given[i]);
        const bool runGoesOn = i + 1 < given.size() && baseOf(given[i + 1]) == base;
        if (!runGoesOn && !given.contains(base) && !tags.contains(base))
            tags.append(base);
    }
    if (std::none_of(tags.cbegin(), tags.cend(), [](const QString &t) { return baseOf(t) == QLatin1String("en"); }))
        tags.append(QStringLiteral("en"));
    QStringList weighted;
    for (qsizetype i = 0; i < tags.size(); ++i) {
        const int tenths = int(std::max<qsizetype>(10 - i, 1));
        weighted.append(i == 0 ? tags[i] : tags[i] + QStringLiteral(";q=0.%1").arg(tenths));
    }
    return weighted.join(QLatin1Char(','));
}

void apply(QWebEngineProfile *profile)
{
    profile->setHttpAcceptLanguage(header(Spelling::languages(Spelling::Locale::fromEnvironment())));
}

} // namespace AcceptLanguage
