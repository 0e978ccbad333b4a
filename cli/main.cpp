// melvora-cli: the tools from the command line.

#include "app/common/Utils.h"
#include "cli/CommandLine.h"
#include "cli/OrderCommand.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {
const char *const usage =
    "usage: melvora-cli COMMAND [ARGS...]\n"
    "       melvora-cli --help | --version\n"
    "commands:\n"
    "  order --by track|name FILE...   print files in album order\n"
    "melvora-cli COMMAND --help tells more.\n";
} // namespace

int main(int argc, char **argv)
{
    // A core application only: no window system is needed or touched.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("melvora-cli"));
    if (argc < 2) {
        std::fputs(usage, stderr);
        return CommandLine::Usage;
    }
    const QByteArray command(argv[1]);
    if (command == "--help" || command == "-h") {
        std::fputs(usage, stdout);
        return CommandLine::Done;
    }
    if (command == "--version") {
        std::printf("melvora-cli %s\n", Utils::getVersionNumber().toUtf8().constData());
        return CommandLine::Done;
    }
    // The arguments stay the bytes they were given.
    QByteArrayList arguments;
    for (int i = 2; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    if (command == "order")
        return OrderCommand::run(arguments);
    CommandLine::complain(QStringLiteral("unknown command \"%1\"").arg(QString::fromLocal8Bit(command)));
    std::fputs(usage, stderr);
    return CommandLine::Usage;
}
