// The Date Modified tool's runs under the progress sheet, and the end that
// shows what happened.
#include "tools/modification/ModificationViewController.h"

#include "tracks/lists/DropView.h"
#include "tracks/lists/TrackListModel.h"
#include "tracks/runs/DateRuns.h"

#include <QButtonGroup>

void ModificationViewController::launchRun(int action, const DateRuns::DateRun &run)
{
    const QList<QUrl> files = run.files;
    if (files.isEmpty())
        return;
    QPointer<ModificationViewController> self(this);
    BatchRun::Steps steps;
    static_cast<RunSteps &>(steps) = DateRuns::steps(run);
    steps.barValue = [](int index) { return index; };
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
    DateRuns::DateRun run;
    run.action = DateRuns::Action::SetDate;
    run.files = dropView(SMD)->files();
    run.moment = FileTime::fromDateTime(m_chosenSMD.moment());
    launchRun(SMD, run);
}

void ModificationViewController::setClickedCCD()
{
    if (dropView(CCD)->count() > 0 && !m_run)
        startPerformCCD();
}

void ModificationViewController::startPerformCCD()
{
    DateRuns::DateRun run;
    run.action = DateRuns::Action::CopyBirthDate;
    run.files = dropView(CCD)->files();
    launchRun(CCD, run);
}

void ModificationViewController::setClickedTN()
{
    if (dropView(TN)->count() > 0 && !m_run)
        startPerformTN();
}

void ModificationViewController::startPerformTN()
{
    // The direction is read once: the sheet keeps the user from changing it,
    // and a worker must not touch widgets. The dates are planned by the
    // worker before its first item, while the sheet is already up.
    DateRuns::DateRun run;
    run.action = DateRuns::Action::SortByTrack;
    run.files = dropView(TN)->files();
    run.firstGetsLatest = m_radioTN2->checkedId() == 0;
    launchRun(TN, run);
}
