#include "app/history/UndoRun.h"

#include "app/common/FileNames.h"
#include "tracks/library/LibraryRefresh.h"
#include "tracks/lists/BatchRun.h"
#include "tracks/runs/RunRecord.h"
#include "tracks/runs/Undo.h"

#include <QCoreApplication>

#include <atomic>
#include <memory>

namespace UndoRun {
namespace {
// What the worker learns before the first item and the end step reads.
struct State
{
    qint64 run = 0;
    std::optional<RunJournal::Run> taken;
    QList<RunJournal::Entry> entries;
    QList<QUrl> targets;
    QList<Undo::State> states;
    qint64 record = 0;
    std::atomic<int> restored{0};
};

QString tr(const char *text)
{
    return QCoreApplication::translate("UndoRun", text);
}

// "Undo Set Modification Date"; taking an undo back redoes the run.
QString undoName(const QString &tool)
{
    const QString undo = tr("Undo "), redo = tr("Redo ");
    if (tool.startsWith(undo))
        return redo + tool.mid(undo.size());
    if (tool.startsWith(redo))
        return undo + tool.mid(redo.size());
    return undo + tool;
}
} // namespace

BatchRun *start(QWidget *toolView, qint64 run, std::function<void(const Report &)> done)
{
    auto state = std::make_shared<State>();
    state->run = run;
    {
        // The item count is known before the sheet shows; the values are
        // read by the worker.
        RunJournal journal;
        if (journal.open()) {
            state->taken = journal.run(run);
            state->entries = journal.entries(run);
        }
    }
    BatchRun::Steps steps;
    steps.count = state->taken && state->taken->undoable() ? int(state->entries.size()) : 0;
    steps.barValue = [](int i) { return i + 1; };
    steps.before = [state] {
        if (!state->taken || !state->taken->undoable())
            return false;
        const RunJournal::Kind kind = state->taken->kind;
        const ITunesApplication library = ITunesApplication::iTunes();
        QList<RunJournal::Entry> plan;
        for (const RunJournal::Entry &entry : std::as_const(state->entries)) {
            const QUrl target = QUrl::fromEncoded(entry.target.toUtf8());
            const std::optional<RunJournal::Value> now = Undo::currentValue(kind, target, library);
            const Undo::State itemState = Undo::stateOf(entry, now);
            state->targets.append(target);
            state->states.append(itemState);
            if (itemState == Undo::State::Restore)
                plan.append({entry.target, now, *entry.before});
        }
        state->record = RunRecord::begin(undoName(state->taken->tool), kind, plan, state->run);
        return true;
    };
    steps.work = [state](int i) {
        if (state->states.at(i) != Undo::State::Restore)
            return QString();
        const QString failure = Undo::restore(state->taken->kind, state->targets.at(i), *state->entries.at(i).before,
                                              ITunesApplication::iTunes());
        if (failure.isEmpty())
            ++state->restored;
        return failure;
    };
    steps.afterProgress = [state](int i) {
        // The library reads a restored file again; counts were written there.
        if (state->taken->kind == RunJournal::Kind::ModificationTime && state->states.at(i) == Undo::State::Restore)
            refreshSingleFileFromItunesList(state->targets.at(i));
    };
    steps.after = [state] { RunRecord::finish(state->record, state->restored.load()); };
    steps.end = [state, done = std::move(done)](const BatchRun::Failures &failed) {
        Report report;
        report.found = state->taken && state->taken->undoable();
        report.tool = state->taken ? state->taken->tool : QString();
        report.restored = state->restored.load();
        for (qsizetype i = 0; i < state->states.size(); ++i) {
            const QString name = FileNames::shownName(state->targets.at(i));
            if (failed.contains(int(i)))
                report.failed.append(QStringLiteral("%1: %2").arg(name, failed.value(int(i))));
            else if (state->states.at(i) == Undo::State::ChangedSince)
                report.leftAlone.append(name);
        }
        if (done)
            done(report);
    };
    return BatchRun::start(toolView, std::move(steps));
}

QString describe(const Report &report)
{
    if (!report.found)
        return tr("This run cannot be taken back.");
    QString text = report.restored == 1 ? tr("“%1”: 1 item got back its earlier value.").arg(report.tool)
                                        : tr("“%1”: %2 items got back their earlier values.").arg(report.tool).arg(report.restored);
    const auto list = [](const QStringList &names) {
        constexpr int shownAtMost = 10;
        QString shown = names.mid(0, shownAtMost).join(QStringLiteral("\n"));
        if (names.size() > shownAtMost)
            shown += tr("\n… and %1 more").arg(names.size() - shownAtMost);
        return shown;
    };
    if (!report.leftAlone.isEmpty())
        text += QStringLiteral("\n\n") + tr("Changed since the run, so left as they are:") + QStringLiteral("\n") + list(report.leftAlone);
    if (!report.failed.isEmpty())
        text += QStringLiteral("\n\n") + tr("Could not be restored:") + QStringLiteral("\n") + list(report.failed);
    return text;
}
} // namespace UndoRun
