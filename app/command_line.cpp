#include "app/command_line.h"

#include "engine/qtwebengine/engine_version.h"

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
        else
            parsed.unknownOptions << argument;
    }
    return parsed;
}

QString helpText()
{
    return QStringLiteral(
        "Usage: quillon [ADDRESS...]\n"
        "Quillon's Browser, a small web browser.\n"
        "\n"
        "With no address, the browser opens on its home page. Each ADDRESS (a web address,\n"
        "a host name, a file path or words to search for) opens as if typed into the address\n"
        "box and GO pressed: the first in the first window, each further one in a new window.\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "  -v, --version  show the version and exit\n");
}

QString versionText()
{
    return QStringLiteral("Quillon's Browser %1.%2.%3\n%4\n")
        .arg(QUILLON_VERSION_MAJOR)
        .arg(QUILLON_VERSION_MINOR)
        .arg(QUILLON_VERSION_PATCH)
        .arg(EngineVersion::line(EngineVersion::running()));
}

std::optional<int> answerAtOnce(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Parsed parsed = parse(arguments);
    if (!parsed.help && !parsed.version)
        return std::nullopt;
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
