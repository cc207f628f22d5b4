#pragma once
// Sites are told the user's languages, the locale's in order, as current browsers tell them:
// the Accept-Language header and navigator.languages.

#include <QString>
#include <QStringList>

class QWebEngineProfile;

namespace AcceptLanguage {
// "de-DE,de;q=0.9,en;q=0.8" for de-DE: each language, its bare form after the last of its
// regions, weights falling by a tenth (to no less than 0.1), English last when none is
// there; "en-US,en;q=0.9" when the locale names no language.
QString header(const QStringList &languages);
// Tells the profile's sites the locale's languages (read anew at each call).
void apply(QWebEngineProfile *profile);
} // namespace AcceptLanguage
