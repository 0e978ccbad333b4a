#include "cli/DateAddedCommand.h"

#include "cli/CommandLine.h"
#include "tracks/files/AlbumOrder.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/runs/HandOverPreview.h"
#include "tracks/runs/HandOverRun.h"
#include "tracks/runs/StopFlag.h"

namespace DateAddedCommand {

const char *const help =
    "usage: melvora-cli date-added --first-to-last | --last-to-first\n"
    "                              [--by track|name] [--dry-run] [--json] FILE...\n"
    "Hands the files to the library one at a time, a second apart, in album\n"
    "order (by disc and track number, the default, or by file name), so that\n"
    "their Date Added runs in that order: from the first file to the last, or\n"
    "from the last to the first. Takes about a second per file. A file the\n"
    "library already holds keeps its Date Added and is named. Needs the\n"
    "library running.\n"
    "  --dry-run  print each file, its Date Added now and its place; change nothing\n"
    "  --json     print the result as JSON\n";

int run(const QByteArrayList &list)
{
    const CommandLine::Arguments arguments =
        CommandLine::parse(list, {"--first-to-last", "--last-to-first", "--dry-run", "--json"}, {"--by"});
    if (arguments.has("--help"))
        return std::fputs(help, stdout), CommandLine::Done;
    if (!arguments.error.isEmpty())
        return CommandLine::usage(help, arguments.error);
    if (arguments.has("--first-to-last") == arguments.has("--last-to-first"))
        return CommandLine::usage(help, QStringLiteral("one of --first-to-last and --last-to-first is needed"));
    const QByteArray by = arguments.has("--by") ? arguments.value("--by") : QByteArray("track");
    if (by != "track" && by != "name")
        return CommandLine::usage(help, QStringLiteral("--by takes track or name"));
    if (arguments.names.isEmpty())
        return CommandLine::usage(help, QStringLiteral("no file given"));

    bool missing = false;
    CommandLine::watchLibrary();
    const QList<QUrl> files = AlbumOrder::sorted(CommandLine::files(arguments.names, &missing),
                                                 by == "track" ? AlbumOrder::Key::TrackNumber : AlbumOrder::Key::FileName);
    if (!CommandLine::libraryRuns())
        return CommandLine::SomeFailed;
    const bool forwards = arguments.has("--first-to-last");
    const std::shared_ptr<HandOverRun::State> state = HandOverRun::prepare(files, forwards);

    CommandLine::Report report;
    report.command = QStringLiteral("date-added");
    report.dryRun = arguments.has("--dry-run");
    report.json = arguments.has("--json");
    // The table lists the files in the order they are handed over.
    const QList<QVariant> places = HandOverPreview::places(int(files.size()), forwards);
    const ITunesApplication library = ITunesApplication::iTunes();
    for (int index : std::as_const(state->order)) {
        const QUrl &file = files.at(index);
        const auto held = library.trackOfFile(file);
        const QString now = !held ? QStringLiteral("?")
                            : held->track.isValid() ? CommandLine::moment(held->dateAdded.toSecsSinceEpoch(), 0)
                                                    : QStringLiteral("not in the library");
        report.items.append({file, now, places.at(index).toString(), QString()});
    }
    if (!report.dryRun) {
        const RunSteps::Failures failed = CommandLine::run(HandOverRun::steps(state, std::make_shared<StopFlag>()),
                                                           report.command);
        const QList<HandOver::Miss> misses = state->misses();
        int placed = 0;
        for (int k = 0; k < int(report.items.size()); ++k) {
            CommandLine::Item &item = report.items[k];
            if (k >= state->handed) {
                item.failure = QStringLiteral("not handed over");
            } else if (failed.contains(k)) {
                item.failure = failed.value(k);
            } else if (misses.at(k) != HandOver::Miss::None) {
                item.failure = HandOverRun::describe(misses.at(k));
            } else {
                item.after = CommandLine::moment(state->after.at(k).toSecsSinceEpoch(), 0);
                ++placed;
            }
        }
        report.summary = QStringLiteral("%1 of %2 files got a new Date Added in order.").arg(placed).arg(files.size());
    }
    return CommandLine::finish(report, missing);
}

} // namespace DateAddedCommand
