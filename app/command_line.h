#pragma once
// The command line: `quillon [ADDRESS…]`, as the desktop starts it for a link or a file.

#include <QStringList>
#include <optional>

namespace CommandLine {
struct Parsed {
    bool help = false;
    bool version = false;
    QStringList unknownOptions;
    QStringList addresses;
};
// The arguments after the program's name; after "--" every argument is an address.
Parsed parse(const QStringList &arguments);
QString helpText();
QString versionText();

// Before the application exists (it needs a display): --help and --version print their
// text, and the exit status comes back.
std::optional<int> answerAtOnce(int argc, char **argv);
// Once the application has taken its own options: the addresses to open, or the exit status
// for an option nobody knows.
std::optional<int> refuseUnknown(const Parsed &parsed);
} // namespace CommandLine
