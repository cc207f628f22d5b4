#pragma once
// The command line: `quillon [ADDRESS…]`, as the desktop starts it for a link or a file. It is
// the program's alone: the toolkit and the engine are given only the program's name.

#include <QStringList>
#include <optional>

namespace CommandLine {
struct Parsed {
    bool help = false;
    bool version = false;
    bool newInstance = false;
    QStringList unknownOptions;
    QStringList addresses;
};
// The arguments after the program's name; after "--" every argument is an address.
Parsed parse(const QStringList &arguments);
QString helpText();
QString versionText();

// The arguments after the program's name, as the program was given them.
QStringList arguments(int argc, char **argv);
// Before the application exists (it needs a display): --help and --version print their
// text, an option nobody knows is refused, and the exit status comes back.
std::optional<int> answerAtOnce(const Parsed &parsed);
// The exit status for an option nobody knows, after saying so.
std::optional<int> refuseUnknown(const Parsed &parsed);
} // namespace CommandLine
