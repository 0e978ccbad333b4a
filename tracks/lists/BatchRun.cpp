#include "tracks/lists/BatchRun.h"

#include "app/common/Utils.h"
#include "style/Palette.h"
#include "tracks/library/LibrarySave.h"
#include "tracks/runs/StopFlag.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QThreadPool>

#include <atomic>

namespace {
constexpr int sheetWidth = 400;
constexpr int sheetHeight = 60;
constexpr int stoppableSheetHeight = 96;

// The progress sheet: window-modal, and not to be dismissed by the user (no
// Escape, no close) while the run it covers is going.
class ProgressSheet : public QDialog
{
public:
    explicit ProgressSheet(QWidget *parent) : QDialog(parent) {}
    void allowClose() { m_closable = true; }
    // Escape on a stoppable run's sheet asks the run to stop.
    std::function<void()> onEscape;
    void reject() override
    {
        if (m_closable)
            QDialog::reject();
        else if (onEscape)
            onEscape();
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (m_closable)
            QDialog::closeEvent(event);
        else
            event->ignore();
    }

private:
    bool m_closable = false;
};

} // namespace

// What the worker shares with the run: the stop request made when the
// application quits, and the signal that the worker has returned.
struct BatchRun::Shared
{
    std::shared_ptr<StopFlag> stop;
    // A long run's newest step, (item number << 32) | bar value, and whether a
    // post to show it is still waiting in the main thread's queue.
    std::atomic<quint64> newestStep{0};
    std::atomic<bool> stepQueued{false};
    QSemaphore done;
    Failures failed; // written by the worker, read by the end step it posts
    bool launched = false;
    bool joined = false;
};

BatchRun *BatchRun::start(QWidget *toolView, Steps steps)
{
    auto *run = new BatchRun(toolView, std::move(steps));
    run->launch();
    return run;
}

// Parented to the application so that a run still going at exit is stopped and
// waited for when the application object goes away.
BatchRun::BatchRun(QWidget *toolView, Steps steps)
    : QObject(QCoreApplication::instance()), m_steps(std::move(steps)), m_window(toolView ? toolView->window() : nullptr),
      m_shared(std::make_shared<Shared>())
{
    auto *sheet = new ProgressSheet(toolView ? toolView->window() : nullptr);
#ifdef Q_OS_MACOS
    sheet->setWindowFlags(sheet->windowFlags() | Qt::Sheet);
#endif
    sheet->setWindowModality(toolView ? Qt::WindowModal : Qt::ApplicationModal);
    sheet->setFixedSize(sheetWidth, sheetHeight);
    Palette::setColour(sheet, {QPalette::Window}, Utils::ColorBG());
    sheet->setAutoFillBackground(true);

    m_bar = new QProgressBar(sheet);
    m_bar->setGeometry(20, 20, 360, 20);
    m_bar->setTextVisible(false);
    m_bar->setRange(0, qMax(0, m_steps.count));
    m_bar->setValue(0);
    m_sheet = sheet;

    m_shared->stop = m_steps.stop ? m_steps.stop : std::make_shared<StopFlag>();
    if (m_steps.stoppable) {
        sheet->setFixedSize(sheetWidth, stoppableSheetHeight);
        m_timeLeft = new QLabel(sheet);
        m_timeLeft->setObjectName(QStringLiteral("timeLeft"));
        m_timeLeft->setGeometry(20, 54, 250, 28);
        m_stopButton = new QPushButton(tr("Stop"), sheet);
        m_stopButton->setObjectName(QStringLiteral("stopButton"));
        m_stopButton->setGeometry(290, 54, 90, 28);
        connect(m_stopButton, &QPushButton::clicked, this, &BatchRun::requestStop);
        sheet->onEscape = [this] { requestStop(); };
        showTimeLeft(0);
    }

    if (auto *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &BatchRun::stopAndWait);
}

BatchRun::~BatchRun()
{
    stopAndWait();
    if (m_sheet)
        delete m_sheet.data();
}

QDialog *BatchRun::sheet() const
{
    return m_sheet;
}

QProgressBar *BatchRun::bar() const
{
    return m_sheet ? m_bar : nullptr;
}

void BatchRun::launch()
{
    m_sheet->show();

    const int count = m_steps.count;
    const RunSteps steps = m_steps;
    const auto barValue = m_steps.barValue;
    const bool progressFirst = m_steps.progressBeforeWork;
    const std::shared_ptr<Shared> shared = m_shared;
    BatchRun *run = this;

    shared->launched = true;
    QThreadPool::globalInstance()->start([=] {
        // The run outlives this function: it is deleted only after the end
        // step, which is posted last, or waits for us in its destructor.
        // A short run shows every item's step. A long one would wake the main
        // thread once per item, faster than a bar can show; it posts a step
        // only when the last one has been shown, and that post shows the
        // newest step. The last item's step still comes before the end step.
        const bool everyStep = count <= everyStepUpTo;
        const auto post = [run, shared, everyStep](int item, int value) {
            if (everyStep) {
                QMetaObject::invokeMethod(run, [run, item, value] { run->progressStep(item, value); }, Qt::QueuedConnection);
                return;
            }
            shared->newestStep.store((quint64(item + 1) << 32) | quint32(value));
            if (!shared->stepQueued.exchange(true))
                QMetaObject::invokeMethod(run, [run] { run->newestProgressStep(); }, Qt::QueuedConnection);
        };
        const auto progress = [&](int i, bool worked) {
            if (worked == progressFirst)
                return;
            int value = i;
            if (barValue)
                value = barValue(i);
            post(i, value);
        };
        shared->failed = RunLoop::run(steps, *shared->stop, progress);
        QMetaObject::invokeMethod(run, [run] { run->endStep(); }, Qt::QueuedConnection);
        shared->done.release();
    });
}

void BatchRun::requestStop()
{
    m_shared->stop->request();
    if (m_sheet && m_stopButton) {
        m_stopButton->setEnabled(false);
        m_timeLeft->setText(tr("Stopping after this file…"));
    }
}

void BatchRun::showTimeLeft(int index)
{
    // The sheet (and its children) may have gone with the tool's window.
    if (!m_sheet || !m_timeLeft || m_shared->stop->isRequested() || !m_steps.secondsLeft)
        return;
    const int seconds = std::max(0, m_steps.secondsLeft(index));
    const int minutes = (seconds + 59) / 60;
    if (seconds < 60)
        m_timeLeft->setText(seconds == 1 ? tr("About 1 second left") : tr("About %1 seconds left").arg(seconds));
    else
        m_timeLeft->setText(minutes == 1 ? tr("About 1 minute left") : tr("About %1 minutes left").arg(minutes));
}

void BatchRun::progressStep(int item, int value)
{
    if (m_sheet)
        m_bar->setValue(value);
    showTimeLeft(item);
    emit barValueChanged(value);
}

void BatchRun::newestProgressStep()
{
    // Cleared before reading, so that a step stored after the read is posted anew.
    m_shared->stepQueued.store(false);
    const quint64 step = m_shared->newestStep.load();
    const int item = int(step >> 32);
    if (item == m_shownItem)
        return; // already shown by an earlier post
    m_shownItem = item;
    progressStep(item - 1, int(quint32(step)));
}

void BatchRun::endStep()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_sheet) {
        m_bar->setRange(0, 0); // indeterminate
        static_cast<ProgressSheet *>(m_sheet.data())->allowClose();
        m_sheet->hide();
        m_sheet->deleteLater();
    }
    // An end step that throws must not leave the run undeleted.
    try {
        if (m_steps.end)
            m_steps.end(m_shared->failed);
    } catch (...) {
    }
    tellHowTheLibraryKeepsChanges();
    emit finished();
    deleteLater();
}

void BatchRun::tellHowTheLibraryKeepsChanges()
{
    const QString notice = LibrarySave::takeNotice();
    if (notice.isEmpty())
        return;
    auto *box = new QMessageBox(QMessageBox::Information, QCoreApplication::applicationName(), notice, QMessageBox::Ok, m_window);
    box->setObjectName(QStringLiteral("librarySaveNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(m_window ? Qt::WindowModal : Qt::ApplicationModal);
    box->open();
}

void BatchRun::stopAndWait()
{
    if (!m_shared->launched || m_shared->joined)
        return;
    m_shared->stop->request();
    m_shared->done.acquire();
    m_shared->joined = true;
}
