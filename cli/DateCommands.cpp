#include "cli/DateCommands.h"

#include "cli/CommandLine.h"
#include "tracks/files/AlbumOrder.h"
#include "tracks/runs/DateRuns.h"
#include "tracks/runs/ModificationDates.h"

#include <QRegularExpression>

namespace DateCommands {

const char *const setDateHelp =
    "usage: melvora-cli set-date [--dry-run] [--json] MOMENT FILE...\n"
    "Gives every file the modification date MOMENT, in ISO 8601: a day\n"
    "(2024-05-01) or a day and a time (2024-05-01T12:30:00, fractions of a\n"
    "second allowed), local time unless it ends in Z or an offset (+02:00).\n"
    "A folder stands for the audio files below it. When the library runs it\n"
    "reads each changed file again.\n"
    "  --dry-run  print each file, its date now and its new date; change nothing\n"
    "  --json     print the result as JSON\n";

const char *const copyBirthDateHelp =
    "usage: melvora-cli copy-birth-date [--dry-run] [--json] FILE...\n"
    "Gives each file its creation date as its modification date. A file whose\n"
    "file system keeps no creation date is left as it is and named.\n"
    "  --dry-run  print each file, its date now and its new date; change nothing\n"
    "  --json     print the result as JSON\n";

const char *const sortDatesHelp =
    "usage: melvora-cli sort-dates --by track|name --first newest|oldest\n"
    "                              [--dry-run] [--json] FILE...\n"
    "Gives the files modification dates one second apart in album order (by\n"
    "disc and track number, or by file name), counted from the latest creation\n"
    "date among them: with --first newest the first file gets the latest date,\n"
    "with --first oldest the earliest.\n"
    "  --dry-run  print each file, its date now and its new date; change nothing\n"
    "  --json     print the result as JSON\n";

std::optional<FileTime> parseMoment(const QByteArray &text)
{
    static const QRegularExpression form(QStringLiteral(
        R"(^(\d{4})-(\d\d)-(\d\d)(?:[T ](\d\d):(\d\d)(?::(\d\d)(?:[.,](\d{1,9}))?)?)?(Z|[+-]\d\d:?\d\d)?$)"));
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(text));
    if (!match.hasMatch())
        return std::nullopt;
    const auto number = [&match](int group) { return match.captured(group).toInt(); };
    const QDate day(number(1), number(2), number(3));
    const QTime time(number(4), number(5), number(6));
    if (!day.isValid() || !time.isValid())
        return std::nullopt;
    const qint64 nanoseconds = match.captured(7).leftJustified(9, QLatin1Char('0')).toLongLong();
    const QString zone = match.captured(8);
    QDateTime moment;
    if (zone.isEmpty()) {
        moment = ModificationDates::compose(day, time);
    } else {
        int offset = 0;
        if (zone != QLatin1String("Z")) {
            const QString digits = QString(zone).remove(QLatin1Char(':'));
            offset = (digits.mid(1, 2).toInt() * 3600 + digits.mid(3, 2).toInt() * 60) * (digits.startsWith(QLatin1Char('-')) ? -1 : 1);
        }
        moment = QDateTime(day, time, Qt::OffsetFromUTC, offset);
    }
    if (!moment.isValid())
        return std::nullopt;
    return FileTime{moment.toSecsSinceEpoch(), nanoseconds};
}

namespace {
QString shownDate(const std::optional<FileTime> &time)
{
    return time ? CommandLine::moment(time->seconds, time->nanoseconds) : QStringLiteral("-");
}

// Runs (or with --dry-run previews) a date run over the files.
int runDates(const QString &command, DateRuns::DateRun run, const CommandLine::Arguments &arguments, bool missing)
{
    CommandLine::Report report;
    report.command = command;
    report.dryRun = arguments.has("--dry-run");
    report.json = arguments.has("--json");
    const DateRuns::Plan plan = DateRuns::planned(run);
    // The dates are written out only where they are shown.
    const bool shown = report.dryRun || report.json;
    report.items.reserve(run.files.size());
    for (qsizetype i = 0; i < run.files.size(); ++i) {
        const QUrl &file = run.files.at(i);
        report.items.append({file, shown ? shownDate(plan.now.at(i)) : QString(),
                             shown ? shownDate(plan.dates.at(i)) : QString(),
                             plan.dates.at(i) ? QString() : DateRuns::reasonUnplanned(file)});
    }
    if (!report.dryRun) {
        const RunSteps::Failures failed = CommandLine::run(DateRuns::steps(run, plan), command);
        int changed = 0;
        for (qsizetype i = 0; i < report.items.size(); ++i) {
            report.items[i].failure = failed.value(int(i));
            changed += failed.contains(int(i)) ? 0 : 1;
        }
        report.summary = QStringLiteral("%1 of %2 files changed.").arg(changed).arg(run.files.size());
    }
    return CommandLine::finish(report, missing);
}
} // namespace

int setDate(const QByteArrayList &list)
{
    const CommandLine::Arguments arguments = CommandLine::parse(list, {"--dry-run", "--json"}, {});
    if (arguments.has("--help"))
        return std::fputs(setDateHelp, stdout), CommandLine::Done;
    if (!arguments.error.isEmpty())
        return CommandLine::usage(setDateHelp, arguments.error);
    if (arguments.names.size() < 2)
        return CommandLine::usage(setDateHelp, QStringLiteral("a moment and at least one file are needed"));
    const std::optional<FileTime> moment = parseMoment(arguments.names.first());
    if (!moment)
        return CommandLine::usage(setDateHelp, QStringLiteral("\"%1\" is no ISO 8601 moment")
                                                   .arg(QString::fromLocal8Bit(arguments.names.first())));
    DateRuns::DateRun run;
    run.action = DateRuns::Action::SetDate;
    run.moment = *moment;
    bool missing = false;
    CommandLine::watchLibrary();
    run.files = CommandLine::files(arguments.names.mid(1), &missing, &run.known);
    return runDates(QStringLiteral("set-date"), run, arguments, missing);
}

int copyBirthDate(const QByteArrayList &list)
{
    const CommandLine::Arguments arguments = CommandLine::parse(list, {"--dry-run", "--json"}, {});
    if (arguments.has("--help"))
        return std::fputs(copyBirthDateHelp, stdout), CommandLine::Done;
    if (!arguments.error.isEmpty())
        return CommandLine::usage(copyBirthDateHelp, arguments.error);
    if (arguments.names.isEmpty())
        return CommandLine::usage(copyBirthDateHelp, QStringLiteral("no file given"));
    DateRuns::DateRun run;
    run.action = DateRuns::Action::CopyBirthDate;
    bool missing = false;
    CommandLine::watchLibrary();
    run.files = CommandLine::files(arguments.names, &missing, &run.known);
    return runDates(QStringLiteral("copy-birth-date"), run, arguments, missing);
}

int sortDates(const QByteArrayList &list)
{
    const CommandLine::Arguments arguments = CommandLine::parse(list, {"--dry-run", "--json"}, {"--by", "--first"});
    if (arguments.has("--help"))
        return std::fputs(sortDatesHelp, stdout), CommandLine::Done;
    if (!arguments.error.isEmpty())
        return CommandLine::usage(sortDatesHelp, arguments.error);
    const QByteArray by = arguments.value("--by"), first = arguments.value("--first");
    if ((by != "track" && by != "name") || (first != "newest" && first != "oldest"))
        return CommandLine::usage(sortDatesHelp, QStringLiteral("--by track|name and --first newest|oldest are needed"));
    if (arguments.names.isEmpty())
        return CommandLine::usage(sortDatesHelp, QStringLiteral("no file given"));
    DateRuns::DateRun run;
    run.action = DateRuns::Action::SortByTrack;
    run.firstGetsLatest = first == "newest";
    bool missing = false;
    QList<std::optional<FileDates::Times>> known;
    CommandLine::watchLibrary();
    const QList<QUrl> files = CommandLine::files(arguments.names, &missing, &known);
    const auto key = by == "track" ? AlbumOrder::Key::TrackNumber : AlbumOrder::Key::FileName;
    run.files.reserve(files.size());
    run.known.reserve(files.size());
    for (const qsizetype i : AlbumOrder::sortedIndexes(files, key)) {
        run.files.append(files.at(i));
        run.known.append(known.at(i));
    }
    return runDates(QStringLiteral("sort-dates"), run, arguments, missing);
}

} // namespace DateCommands
