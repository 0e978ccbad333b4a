// The Date Modified tool's runs: each action's work per file, the plan the
// journal keeps, and the end that shows what happened.
#include "tools/modification/ModificationViewController.h"

#include "tools/modification/ModificationDates.h"
#include "tracks/files/FileDates.h"
#include "tracks/library/LibraryRefresh.h"
#include "tracks/lists/DropView.h"
#include "tracks/lists/TrackListModel.h"
#include "tracks/runs/RunRecord.h"

#include <QButtonGroup>

#include <atomic>
#include <cerrno>
#include <memory>
#include <optional>

namespace {
// "" when the file got the time, else why not, as the system says it.
QString setDate(const QUrl &file, const FileTime &time)
{
    int error = 0;
    return FileDates::setModificationDate(file, time, &error) ? QString() : qt_error_string(error);
}
} // namespace

void ModificationViewController::launchRun(int action, const QList<QUrl> &files, BatchRun::Steps steps,
                                           std::function<std::optional<FileTime>(int index)> planned)
{
    QPointer<ModificationViewController> self(this);
    steps.barValue = [](int index) { return index; };
    // The journal learns every file's date now and the date it will get
    // before the first file changes, so that the run can be taken back.
    static const char *const tools[] = {"Set Modification Date", "Copy Creation Date to Modification Date",
                                        "Sort Modification Date by Track Number"};
    auto record = std::make_shared<qint64>(0);
    auto changed = std::make_shared<std::atomic<int>>(0);
    steps.before = [before = steps.before, files, planned, record, tool = QString::fromLatin1(tools[action])] {
        if (before && !before())
            return false;
        QList<RunJournal::Entry> entries;
        entries.reserve(files.size());
        for (int i = 0; i < files.size(); ++i)
            if (const std::optional<FileTime> time = planned(i))
                entries.append(RunRecord::fileTime(files.at(i), *time));
        *record = RunRecord::begin(tool, RunJournal::Kind::ModificationTime, entries);
        return true;
    };
    steps.work = [work = steps.work, changed](int i) {
        const QString failure = work(i);
        if (failure.isEmpty())
            ++*changed;
        return failure;
    };
    steps.after = [record, changed] { RunRecord::finish(*record, changed->load()); };
    steps.end = [self, action, files](const BatchRun::Failures &failed) {
        if (!self)
            return;
        // The run object goes away later; the next Set may come at once.
        self->m_run = nullptr;
        // Each file that kept its date says why in its row.
        QHash<QUrl, QString> reasons;
        for (auto it = failed.cbegin(); it != failed.cend(); ++it)
            reasons.insert(files.at(it.key()), it.value());
        self->dropView(action)->model()->setOutcome(files, reasons);
        self->dropView(action)->reloadData();
        emit self->runFinished(action);
    };
    m_run = BatchRun::start(this, std::move(steps));
}

void ModificationViewController::startPerformSMD()
{
    const QList<QUrl> files = dropView(SMD)->files();
    if (files.isEmpty())
        return;
    // Every file gets exactly the same moment, milliseconds included.
    const FileTime moment = FileTime::fromDateTime(m_chosenSMD.moment());
    BatchRun::Steps steps;
    steps.count = int(files.size());
    steps.work = [files, moment](int i) { return setDate(files.at(i), moment); };
    steps.afterProgress = [files](int i) { refreshSingleFileFromItunesList(files.at(i)); };
    launchRun(SMD, files, std::move(steps), [moment](int) { return std::optional(moment); });
}

void ModificationViewController::setClickedCCD()
{
    if (dropView(CCD)->count() > 0 && !m_run)
        startPerformCCD();
}

void ModificationViewController::startPerformCCD()
{
    const QList<QUrl> files = dropView(CCD)->files();
    if (files.isEmpty())
        return;
    BatchRun::Steps steps;
    steps.count = int(files.size());
    steps.work = [files](int i) {
        // Without a readable creation date the file is left as it is.
        if (const std::optional<FileTime> created = FileDates::creationDate(files.at(i)))
            return setDate(files.at(i), *created);
        return FileDates::modificationDate(files.at(i)) ? tr("No creation date recorded")
                                                        : qt_error_string(ENOENT);
    };
    steps.afterProgress = [files](int i) { refreshSingleFileFromItunesList(files.at(i)); };
    launchRun(CCD, files, std::move(steps), [files](int i) { return FileDates::creationDate(files.at(i)); });
}

void ModificationViewController::setClickedTN()
{
    if (dropView(TN)->count() > 0 && !m_run)
        startPerformTN();
}

void ModificationViewController::startPerformTN()
{
    const QList<QUrl> files = dropView(TN)->files();
    if (files.isEmpty())
        return;
    // The direction is read once: the sheet keeps the user from changing it,
    // and a worker must not touch widgets.
    const bool firstGetsLatest = m_radioTN2->checkedId() == 0;
    const qint64 count = files.size();
    // The base is found by the worker before its first item, while the sheet
    // is already up: the same result as finding it beforehand, without
    // reading every file's dates on the main thread.
    auto base = std::make_shared<qint64>(0);
    BatchRun::Steps steps;
    steps.count = int(count);
    steps.before = [files, base] {
        QList<std::optional<FileTime>> births;
        births.reserve(files.size());
        for (const QUrl &file : files)
            births.append(FileDates::creationDate(file));
        *base = ModificationDates::baseSeconds(ModificationDates::latest(births));
        return true;
    };
    steps.work = [files, base, count, firstGetsLatest](int i) {
        const qint64 seconds = ModificationDates::trackNumberSeconds(*base, count, i, firstGetsLatest);
        return setDate(files.at(i), FileTime{seconds, 0});
    };
    steps.afterProgress = [files](int i) { refreshSingleFileFromItunesList(files.at(i)); };
    launchRun(TN, files, std::move(steps), [base, count, firstGetsLatest](int i) {
        return std::optional(FileTime{ModificationDates::trackNumberSeconds(*base, count, i, firstGetsLatest), 0});
    });
}
