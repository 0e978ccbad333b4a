#include "cli/HistoryCommands.h"

#include "cli/CommandLine.h"
#include "tracks/runs/RunRecord.h"
#include "tracks/runs/UndoPlan.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace HistoryCommands {

const char *const historyHelp =
    "usage: melvora-cli history [--json]\n"
    "Lists the runs the journal keeps, newest first, the windows' runs and the\n"
    "command line's alike: number, start, run, items, items changed, state.\n"
    "  --json  print the list as JSON\n";

const char *const undoHelp =
    "usage: melvora-cli undo [--dry-run] [--json] [RUN]\n"
    "Takes a run back: the newest run that can be, or the run numbered RUN in\n"
    "the history. Each item that still holds what the run wrote gets back what\n"
    "it held; an item changed since is left alone and named. Counts and\n"
    "ratings need the library running. A Date Added run cannot be taken back.\n"
    "  --dry-run  print each item, its value now and the value it would get back\n"
    "  --json     print the result as JSON\n";

namespace {
QString state(const RunJournal::Run &run)
{
    if (!run.undoable())
        return QStringLiteral("not undoable");
    if (run.changed < 0)
        return QStringLiteral("unfinished");
    return run.undone ? QStringLiteral("undone") : QStringLiteral("done");
}

// A journal value as a person reads it.
QString shown(RunJournal::Kind kind, const std::optional<RunJournal::Value> &value)
{
    if (!value)
        return QStringLiteral("-");
    switch (kind) {
    case RunJournal::Kind::ModificationTime:
        return CommandLine::moment(value->value, value->nanoseconds);
    case RunJournal::Kind::Rating:
        return QStringLiteral("%1 stars").arg(value->value / 20.0);
    case RunJournal::Kind::PlayCount:
    case RunJournal::Kind::DateAdded:
        break;
    }
    return QString::number(value->value);
}
} // namespace

int history(const QByteArrayList &list)
{
    const CommandLine::Arguments arguments = CommandLine::parse(list, {"--json"}, {});
    if (arguments.has("--help"))
        return std::fputs(historyHelp, stdout), CommandLine::Done;
    if (!arguments.error.isEmpty() || !arguments.names.isEmpty())
        return CommandLine::usage(historyHelp, arguments.error.isEmpty() ? QStringLiteral("history takes no names") : arguments.error);
    RunJournal journal;
    QString error;
    if (!journal.open(&error)) {
        CommandLine::complain(QStringLiteral("the journal cannot be read: %1").arg(error));
        return CommandLine::SomeFailed;
    }
    QJsonArray runs;
    for (const RunJournal::Run &run : journal.runs()) {
        const QString started = CommandLine::moment(run.startedMs / 1000, 0);
        if (arguments.has("--json")) {
            runs.append(QJsonObject{{QStringLiteral("run"), run.id},
                                    {QStringLiteral("started"), started},
                                    {QStringLiteral("tool"), run.tool},
                                    {QStringLiteral("items"), run.items},
                                    {QStringLiteral("changed"), run.changed},
                                    {QStringLiteral("state"), state(run)},
                                    {QStringLiteral("undoOf"), run.undoOf}});
            continue;
        }
        std::printf("%lld\t%s\t%s\t%d %s\t%s\t%s\n", static_cast<long long>(run.id), started.toUtf8().constData(),
                    run.tool.toUtf8().constData(), run.items, run.items == 1 ? "item" : "items",
                    run.changed < 0 ? "-" : QStringLiteral("%1 changed").arg(run.changed).toUtf8().constData(),
                    state(run).toUtf8().constData());
    }
    if (arguments.has("--json"))
        std::fputs(QJsonDocument(QJsonObject{{QStringLiteral("runs"), runs}}).toJson(QJsonDocument::Compact).append('\n').constData(), stdout);
    return CommandLine::Done;
}

int undo(const QByteArrayList &list)
{
    const CommandLine::Arguments arguments = CommandLine::parse(list, {"--dry-run", "--json"}, {});
    if (arguments.has("--help"))
        return std::fputs(undoHelp, stdout), CommandLine::Done;
    if (!arguments.error.isEmpty() || arguments.names.size() > 1)
        return CommandLine::usage(undoHelp, arguments.error.isEmpty() ? QStringLiteral("one run at most") : arguments.error);
    qint64 id = 0;
    if (!arguments.names.isEmpty()) {
        bool number = false;
        id = arguments.names.first().toLongLong(&number);
        if (!number || id <= 0)
            return CommandLine::usage(undoHelp, QStringLiteral("RUN is a run's number in the history"));
    } else {
        RunJournal journal;
        const std::optional<RunJournal::Run> last = journal.open() ? journal.lastUndoable() : std::nullopt;
        if (!last) {
            CommandLine::complain(QStringLiteral("no run to take back"));
            return CommandLine::SomeFailed;
        }
        id = last->id;
    }
    const std::shared_ptr<UndoPlan::Plan> plan = UndoPlan::load(id);
    if (!plan->undoable()) {
        CommandLine::complain(plan->taken ? QStringLiteral("run %1 (%2) cannot be taken back").arg(id).arg(plan->taken->tool)
                                          : QStringLiteral("the history has no run %1").arg(id));
        return CommandLine::SomeFailed;
    }
    const RunJournal::Kind kind = plan->taken->kind;
    if (kind != RunJournal::Kind::ModificationTime && !CommandLine::libraryRuns())
        return CommandLine::SomeFailed;

    CommandLine::Report report;
    report.command = QStringLiteral("undo");
    report.dryRun = arguments.has("--dry-run");
    report.json = arguments.has("--json");
    report.extra.insert(QStringLiteral("undoes"), id);
    report.extra.insert(QStringLiteral("tool"), plan->taken->tool);
    RunSteps::Failures failed;
    if (report.dryRun)
        UndoPlan::examine(*plan);
    else
        failed = CommandLine::run(UndoPlan::steps(plan), UndoPlan::undoName(plan->taken->tool));
    for (qsizetype i = 0; i < plan->items.size(); ++i) {
        const UndoPlan::Item &item = plan->items.at(i);
        CommandLine::Item line{item.target, shown(kind, item.now), shown(kind, item.before), failed.value(int(i))};
        if (item.state == Undo::State::ChangedSince)
            line.after = QStringLiteral("left alone: changed since the run");
        else if (item.state == Undo::State::Untouched)
            line.after = QStringLiteral("left alone: never changed by the run");
        report.items.append(line);
    }
    const UndoPlan::Report done = UndoPlan::report(*plan, failed);
    report.journalRun = plan->record;
    report.extra.insert(QStringLiteral("restored"), done.restored);
    report.summary = UndoPlan::describe(done);
    return CommandLine::finish(report, false);
}

} // namespace HistoryCommands
