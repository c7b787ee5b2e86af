// tolvo-solve: the common-kanji search from a terminal.
#include "cli/solve.h"
#include "platform/processsignals.h"

#include <QCoreApplication>

#include <csignal>

int main(int argc, char **argv)
{
    // A reader that goes away is a write error to report, not a silent kill.
    std::signal(SIGPIPE, SIG_IGN);
    ignoreFileSizeSignal();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    return solve::run(solve::parseArguments(args), stdin, stdout, stderr);
}
