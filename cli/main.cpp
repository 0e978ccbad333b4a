// melvora-cli: the tools from the command line.

#include "app/common/TextRules.h"
#include "cli/CommandLine.h"
#include "cli/CountCommands.h"
#include "cli/DateAddedCommand.h"
#include "cli/DateCommands.h"
#include "cli/HistoryCommands.h"
#include "cli/MemoryReserve.h"
#include "cli/OrderCommand.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {
const char *const usage =
    "usage: melvora-cli COMMAND [ARGS...]\n"
    "       melvora-cli --help | --version\n"
    "commands:\n"
    "  set-date MOMENT FILE...             give files one modification date\n"
    "  copy-birth-date FILE...             creation date becomes modification date\n"
    "  sort-dates --by track|name --first newest|oldest FILE...\n"
    "                                      dates one second apart in album order\n"
    "  play-count --set|--add|--subtract N FILE...\n"
    "                                      the library's play counts of the files\n"
    "  rating --set|--add|--subtract S FILE...\n"
    "                                      the library's ratings, in stars\n"
    "  date-added --first-to-last|--last-to-first [--by track|name] FILE...\n"
    "                                      hand files to the library in album order\n"
    "  history                             the runs that can be taken back\n"
    "  undo [RUN]                          take the last run, or run RUN, back\n"
    "  order --by track|name FILE...       print files in album order\n"
    "A folder stands for the audio files below it. Commands that change things\n"
    "take --dry-run (show, change nothing) and --json. Exit status: 0 all done,\n"
    "1 some items failed (named on standard error), 2 usage error.\n"
    "melvora-cli COMMAND --help tells more.\n";

struct Command
{
    const char *name;
    int (*run)(const QByteArrayList &arguments);
};

const Command commands[] = {
    {"set-date", DateCommands::setDate},
    {"copy-birth-date", DateCommands::copyBirthDate},
    {"sort-dates", DateCommands::sortDates},
    {"play-count", CountCommands::playCount},
    {"rating", CountCommands::rating},
    {"date-added", DateAddedCommand::run},
    {"history", HistoryCommands::history},
    {"undo", HistoryCommands::undo},
    {"order", OrderCommand::run},
};
} // namespace

int main(int argc, char **argv)
{
    // Before any other thread takes an arena.
    MemoryReserve::forFiles(argc - 2);
    // A core application only: no window system is needed or touched.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("melvora-cli"));
    if (argc < 2) {
        std::fputs(usage, stderr);
        return CommandLine::Usage;
    }
    const QByteArray command(argv[1]);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(usage, stdout);
        return CommandLine::Done;
    }
    if (command == "--version") {
        std::printf("melvora-cli %s\n", TextRules::version().toUtf8().constData());
        return CommandLine::Done;
    }
    // The arguments stay the bytes they were given.
    QByteArrayList arguments;
    for (int i = 2; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    for (const Command &known : commands)
        if (command == known.name)
            return known.run(arguments);
    CommandLine::complain(QStringLiteral("unknown command \"%1\"").arg(QString::fromLocal8Bit(command)));
    std::fputs(usage, stderr);
    return CommandLine::Usage;
}
