#include "engine/qtwebengine/setup/engine_version.h"

#include <QVersionNumber>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

namespace {
struct Release {
    int major;
    int year, month, day;
};
// The first stable release of each Chromium major version (Chrome's release calendar).
// Majors older than the table are older still; newer ones are not judged.
constexpr Release releases[] = {
    {90, 2021, 4, 14},  {91, 2021, 5, 25},  {92, 2021, 7, 20},  {93, 2021, 8, 31},  {94, 2021, 9, 21},
    {95, 2021, 10, 19}, {96, 2021, 11, 15}, {97, 2022, 1, 4},   {98, 2022, 2, 1},   {99, 2022, 3, 1},
    {100, 2022, 3, 29}, {101, 2022, 4, 26}, {102, 2022, 5, 24}, {103, 2022, 6, 21}, {104, 2022, 8, 2},
    {105, 2022, 8, 30}, {106, 2022, 9, 27}, {107, 2022, 10, 25}, {108, 2022, 11, 29}, {109, 2023, 1, 10},
    {110, 2023, 2, 7},  {111, 2023, 3, 7},  {112, 2023, 4, 4},  {113, 2023, 5, 2},  {114, 2023, 5, 30},
    {115, 2023, 7, 18}, {116, 2023, 8, 15}, {117, 2023, 9, 12}, {118, 2023, 10, 10}, {119, 2023, 10, 31},
    {120, 2023, 12, 5}, {121, 2024, 1, 23}, {122, 2024, 2, 20}, {123, 2024, 3, 19}, {124, 2024, 4, 16},
    {125, 2024, 5, 14}, {126, 2024, 6, 11}, {127, 2024, 7, 23}, {128, 2024, 8, 20}, {129, 2024, 9, 17},
    {130, 2024, 10, 15}, {131, 2024, 11, 12}, {132, 2025, 1, 14}, {133, 2025, 2, 4},  {134, 2025, 3, 4},
    {135, 2025, 4, 1},  {136, 2025, 4, 29}, {137, 2025, 5, 27}, {138, 2025, 6, 24}, {139, 2025, 8, 5},
    {140, 2025, 9, 2},  {141, 2025, 9, 30}, {142, 2025, 10, 28}, {143, 2025, 12, 2},
};
} // namespace

namespace EngineVersion {

Versions running()
{
    return {QString::fromLatin1(qWebEngineVersion()), QString::fromLatin1(qWebEngineChromiumVersion()),
            QString::fromLatin1(qWebEngineChromiumSecurityPatchVersion())};
}

QString line(const Versions &versions)
{
    return QStringLiteral("Qt WebEngine %1 (Chromium %2, security fixes to %3)")
        .arg(versions.qtWebEngine, versions.chromium, versions.securityFixes);
}

QDate firstStable(int chromiumMajor)
{
    if (chromiumMajor < releases[0].major)
        chromiumMajor = releases[0].major; // older still: the oldest date known is a safe bound
    for (const Release &r : releases)
        if (r.major == chromiumMajor)
            return QDate(r.year, r.month, r.day);
    return {};
}

bool noLongerFixed(const QString &securityFixes, QDate today)
{
    bool number = false;
    const int major = securityFixes.section(QLatin1Char('.'), 0, 0).toInt(&number);
    const QDate released = number && major > 0 ? firstStable(major) : QDate();
    return released.isValid() && today.isValid() && released.addYears(1) < today;
}

QString notice(const Versions &versions)
{
    // Debian 13 is the way out only for an engine older than the one it carries.
    const bool olderThanDebian13 = QVersionNumber::fromString(versions.qtWebEngine) < QVersionNumber(6, 8);
    return QStringLiteral("This system's web engine no longer receives security fixes. It is fine for pages you "
                          "trust, but be careful with the rest of the web. ")
        + (olderThanDebian13 ? QStringLiteral("Newer releases of the system (Debian 13 or later) carry a newer engine.")
                             : QStringLiteral("Newer releases of the system carry a newer engine."));
}

} // namespace EngineVersion
