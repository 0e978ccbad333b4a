#include "tracks/runs/UndoPlan.h"

#include "app/common/FileNames.h"
#include "tracks/library/LibraryRefresh.h"
#include "tracks/runs/RunRecord.h"

#include <QCoreApplication>

namespace UndoPlan {
namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("UndoRun", text);
}
} // namespace

std::shared_ptr<Plan> load(qint64 run)
{
    auto plan = std::make_shared<Plan>();
    plan->run = run;
    RunJournal journal;
    if (journal.open()) {
        plan->taken = journal.run(run);
        plan->entries = journal.entries(run);
    }
    return plan;
}

void examine(Plan &plan)
{
    plan.items.clear();
    if (!plan.undoable())
        return;
    const ITunesApplication library = ITunesApplication::iTunes();
    for (const RunJournal::Entry &entry : std::as_const(plan.entries)) {
        Item item;
        item.target = QUrl::fromEncoded(entry.target.toUtf8());
        item.now = Undo::currentValue(plan.taken->kind, item.target, library);
        item.wrote = entry.after;
        item.before = entry.before;
        item.state = Undo::stateOf(entry, item.now);
        plan.items.append(item);
    }
}

QString undoName(const QString &tool)
{
    const QString undo = tr("Undo "), redo = tr("Redo ");
    if (tool.startsWith(undo))
        return redo + tool.mid(undo.size());
    if (tool.startsWith(redo))
        return undo + tool.mid(redo.size());
    return undo + tool;
}

RunSteps steps(const std::shared_ptr<Plan> &plan)
{
    RunSteps steps;
    steps.count = plan->undoable() ? int(plan->entries.size()) : 0;
    steps.before = [plan] {
        if (!plan->undoable())
            return false;
        examine(*plan);
        QList<RunJournal::Entry> entries;
        for (const Item &item : std::as_const(plan->items))
            if (item.state == Undo::State::Restore)
                entries.append({item.target.toString(QUrl::FullyEncoded), item.now, *item.before});
        plan->record = RunRecord::begin(undoName(plan->taken->tool), plan->taken->kind, entries, plan->run);
        return true;
    };
    steps.work = [plan](int i) {
        const Item &item = plan->items.at(i);
        if (item.state != Undo::State::Restore)
            return QString();
        const QString failure = Undo::restore(plan->taken->kind, item.target, *item.before, ITunesApplication::iTunes());
        if (failure.isEmpty())
            ++plan->restored;
        return failure;
    };
    steps.afterProgress = [plan](int i) {
        // The library reads a restored file again; counts were written there.
        const Item &item = plan->items.at(i);
        if (plan->taken->kind == RunJournal::Kind::ModificationTime && item.state == Undo::State::Restore)
            refreshSingleFileFromItunesList(item.target);
    };
    steps.after = [plan] { RunRecord::finish(plan->record, plan->restored); };
    return steps;
}

Report report(const Plan &plan, const RunSteps::Failures &failed)
{
    Report report;
    report.found = plan.undoable();
    report.tool = plan.taken ? plan.taken->tool : QString();
    report.restored = plan.restored;
    for (qsizetype i = 0; i < plan.items.size(); ++i) {
        const QString name = FileNames::shownName(plan.items.at(i).target);
        if (failed.contains(int(i)))
            report.failed.append(QStringLiteral("%1: %2").arg(name, failed.value(int(i))));
        else if (plan.items.at(i).state == Undo::State::ChangedSince)
            report.leftAlone.append(name);
    }
    return report;
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
} // namespace UndoPlan
