#pragma once

#include "tracks/runs/RunSteps.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QPointer>

#include <functional>
#include <memory>

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class StopFlag;
class QWidget;

// One batch run of a tool: a window-modal progress sheet (400 x 60, bar at
// 20,20 360x20; a stoppable run's sheet is taller, for the time left and Stop) over the tool's window, and a worker on the global thread pool
// that works the items one after the other, posting a progress step to the main
// thread after (or before) each item (a long run: the newest one whenever the
// main thread is ready for it) and an end step after the last. The end
// step always takes the sheet down, also for zero items or a failing item.
// Library refreshes the worker asks for (refreshSingleFileFromItunesList) are
// all answered, or timed out, before the end step.
// The run deletes itself after its end step.
class BatchRun : public QObject
{
    Q_OBJECT
public:
    using Failures = RunSteps::Failures;

    // The work (see RunSteps), and what the sheet shows of it.
    struct Steps : RunSteps
    {
        std::function<int(int index)> barValue;       // bar value posted for the item
        bool progressBeforeWork = false;              // post the bar value before the item's work
        std::function<void(const Failures &failed)> end; // main thread; the table refresh
        // A long run the user may stop: the sheet shows the time left and a
        // Stop button (Escape too). Stopping, or the program quitting, ends
        // the run after the item in hand; the worker's waits on the flag end
        // at once. Without it the run has a flag of its own for quitting.
        std::shared_ptr<StopFlag> stop;
        bool stoppable = false;
        std::function<int(int index)> secondsLeft; // main thread; time left when the item's step shows
    };

    // Shows the sheet and hands the work to the worker; returns at once.
    static BatchRun *start(QWidget *toolView, Steps steps);

    // Runs with more items than this show the newest step whenever the main
    // thread is ready for one, not necessarily every item's step; the last
    // item's step is always shown.
    static constexpr int everyStepUpTo = 256;
    ~BatchRun() override;

    QDialog *sheet() const;
    QProgressBar *bar() const;
    // A stoppable run's Stop button and time left; null otherwise.
    QPushButton *stopButton() const { return m_stopButton; }
    QLabel *timeLeft() const { return m_timeLeft; }
    // Asks the worker to stop after the item in hand.
    void requestStop();
    bool isFinished() const { return m_finished; }

signals:
    void barValueChanged(int value);
    void finished();

private:
    struct Shared;
    BatchRun(QWidget *toolView, Steps steps);
    void launch();
    void progressStep(int item, int value);
    void showTimeLeft(int index);
    void newestProgressStep();
    void endStep();
    // Once per start of the program, after a run against a library that
    // keeps its changes until it quits: how they are kept.
    void tellHowTheLibraryKeepsChanges();
    void stopAndWait();

    Steps m_steps;
    QPointer<QDialog> m_sheet;
    QPointer<QWidget> m_window; // the tool's window, for the notice after the run
    QProgressBar *m_bar = nullptr;
    QPushButton *m_stopButton = nullptr;
    QLabel *m_timeLeft = nullptr;
    std::shared_ptr<Shared> m_shared;
    bool m_finished = false;
    int m_shownItem = 0; // item number (from 1) of the step shown last in a long run
};
