#include "cli/CountCommands.h"

#include "cli/CommandLine.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/runs/CountRun.h"

#include <QJsonObject>

#include <memory>

namespace CountCommands {

const char *const playCountHelp =
    "usage: melvora-cli play-count --set N | --add N | --subtract N\n"
    "                              [--dry-run] [--json] FILE...\n"
    "Sets the play count of the library's tracks of the files to N, or adds N\n"
    "to it or subtracts N from it (never below 0). Needs the library running;\n"
    "a file the library does not hold is named and left alone.\n"
    "  --dry-run  print each file, its count now and its new count; change nothing\n"
    "  --json     print the result as JSON\n";

const char *const ratingHelp =
    "usage: melvora-cli rating --set S | --add S | --subtract S\n"
    "                          [--dry-run] [--json] FILE...\n"
    "Sets the rating of the library's tracks of the files to S stars (0 to 5),\n"
    "or adds S stars to it or takes S away (within 0 and 5). Needs the library\n"
    "running; a file the library does not hold is named and left alone.\n"
    "  --dry-run  print each file, its stars now and its new stars; change nothing\n"
    "  --json     print the result as JSON\n";

namespace {
// A value as the user counts it: a number of plays, or stars.
QString shown(const CountPolicy &policy, qint32 value)
{
    if (policy.scale == 1)
        return QString::number(value);
    const int stars = value / policy.scale;
    const QString text = stars ? QString(stars, QChar(0x2605)) : QStringLiteral("no stars");
    // A rating between whole stars (set elsewhere) shows its value too.
    return value % policy.scale ? QStringLiteral("%1 (%2)").arg(text).arg(value) : text;
}

int runCounts(const char *command, const char *help, const CountPolicy &policy, const QByteArrayList &list)
{
    const CommandLine::Arguments arguments =
        CommandLine::parse(list, {"--dry-run", "--json"}, {"--set", "--add", "--subtract"});
    if (arguments.has("--help"))
        return std::fputs(help, stdout), CommandLine::Done;
    if (!arguments.error.isEmpty())
        return CommandLine::usage(help, arguments.error);
    const int modes = int(arguments.has("--set")) + int(arguments.has("--add")) + int(arguments.has("--subtract"));
    if (modes != 1)
        return CommandLine::usage(help, QStringLiteral("one of --set, --add and --subtract is needed"));
    const QByteArray mode = arguments.has("--set") ? "--set" : arguments.has("--add") ? "--add" : "--subtract";
    const qint32 most = policy.maximum / policy.scale;
    bool number = false;
    const qint64 amount = arguments.value(mode.constData()).toLongLong(&number);
    if (!number || amount < 0 || (mode == "--set" && amount > most) || amount > std::numeric_limits<qint32>::max())
        return CommandLine::usage(help, QStringLiteral("%1 takes a whole number from 0 to %2").arg(QString::fromLatin1(mode)).arg(most));
    if (arguments.names.isEmpty())
        return CommandLine::usage(help, QStringLiteral("no file given"));

    CountRun::Setting setting;
    setting.policy = policy;
    setting.mode = mode == "--set" ? CountMode::Set : CountMode::AddOrSubtract;
    setting.add = mode != "--subtract";
    setting.setCount = setting.setCount2 = qint32(amount);

    bool missing = false;
    CommandLine::watchLibrary();
    const QList<QUrl> files = CommandLine::files(arguments.names, &missing);
    if (!CommandLine::libraryRuns())
        return CommandLine::SomeFailed;

    CommandLine::Report report;
    report.command = QString::fromLatin1(command);
    report.dryRun = arguments.has("--dry-run");
    report.json = arguments.has("--json");
    // Only the tracks the library holds; each is read once, in one call.
    const ITunesApplication library = ITunesApplication::iTunes();
    QList<CountRun::Item> items;
    QList<int> itemOf; // report item → run item, or -1
    for (const QUrl &file : files) {
        const std::optional<ITunesApplication::HeldTrack> held = library.trackOfFile(file);
        if (!held || !held->track.isValid()) {
            report.items.append({file, QStringLiteral("-"), QStringLiteral("-"),
                                 held ? QStringLiteral("not in the library") : CountRun::reasonNotStored()});
            itemOf.append(-1);
            continue;
        }
        const qint32 current = policy.scale == 1 ? held->track.playedCount() : held->track.rating();
        const CountRun::Item item{file, current};
        report.items.append({file, shown(policy, current), shown(policy, CountRun::planned(setting, item)), QString()});
        itemOf.append(int(items.size()));
        items.append(item);
    }
    if (!report.dryRun) {
        auto stored = std::make_shared<CountRun::Stored>();
        CommandLine::run(CountRun::steps(items, setting, stored), report.command);
        int changed = 0;
        for (qsizetype i = 0; i < report.items.size(); ++i) {
            const int k = itemOf.at(i);
            if (k < 0)
                continue;
            if (const std::optional<qint32> value = stored->at(k)) {
                report.items[i].after = shown(policy, *value);
                ++changed;
            } else {
                report.items[i].failure = CountRun::reasonNotStored();
            }
        }
        report.summary = QStringLiteral("%1 of %2 tracks changed.").arg(changed).arg(report.items.size());
    }
    return CommandLine::finish(report, missing);
}
} // namespace

int playCount(const QByteArrayList &arguments)
{
    return runCounts("play-count", playCountHelp, playCountPolicy, arguments);
}

int rating(const QByteArrayList &arguments)
{
    return runCounts("rating", ratingHelp, ratingPolicy, arguments);
}

} // namespace CountCommands
