#include "app/command_line.h"

#include "engine/qtwebengine/setup/engine_version.h"

// Generated from the manual page's source (packaging/manual/quillon.1.txt), so that the
// page and the help say the same.
#include "command_line_help.h"

#include <cstdio>

namespace CommandLine {

Parsed parse(const QStringList &arguments)
{
    Parsed parsed;
    bool optionsEnded = false;
    for (const QString &argument : arguments) {
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-"))
            parsed.addresses << argument;
        else if (argument == QLatin1String("--"))
            optionsEnded = true;
        else if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            parsed.help = true;
        else if (argument == QLatin1String("--version") || argument == QLatin1String("-v"))
            parsed.version = true;
        else if (argument == QLatin1String("--new-instance"))
            parsed.newInstance = true;
        else
            parsed.unknownOptions << argument;
    }
    return parsed;
}

QString helpText()
{
    return QString::fromUtf8(quillonHelpText);
}

QString versionText()
{
    return QStringLiteral("Quillon's Browser %1.%2.%3\n%4\n")
        .arg(QUILLON_VERSION_MAJOR)
        .arg(QUILLON_VERSION_MINOR)
        .arg(QUILLON_VERSION_PATCH)
        .arg(EngineVersion::line(EngineVersion::running()));
}

QStringList arguments(int argc, char **argv)
{
    QStringList list;
    for (int i = 1; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

std::optional<int> answerAtOnce(const Parsed &parsed)
{
    if (!parsed.help && !parsed.version)
        return refuseUnknown(parsed);
    std::fputs(qPrintable(parsed.help ? helpText() : versionText()), stdout);
    return 0;
}

std::optional<int> refuseUnknown(const Parsed &parsed)
{
    if (parsed.unknownOptions.isEmpty())
        return std::nullopt;
    std::fprintf(stderr, "quillon: unknown option %s\nTry 'quillon --help'.\n",
                 qPrintable(parsed.unknownOptions.constFirst()));
    return 2;
}

} // namespace CommandLine
