// playcount-run, rating-run: the real Play Count or Rating tool with every
// track of a headless library listed and selected, one run of mode 1 adding
// one play (or one star), from the Set click until the processed rows show
// their new values; afterwards every track in the library is checked.
// selection-drop: the same library's tracks, all selected in the library,
// dropped onto the Play Count list, until the table has drawn them.

#include "bench/RhythmboxCountBench.h"
#include "bench/Scenario.h"
#include "bench/StallMeter.h"
#include "musiclibraryproxy.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/LibraryProcess.h"
#include "tools/playcount/CountEditorViewController.h"
#include "tools/rating/RatingViewController.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/lists/DropView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <memory>

namespace {
// A headless library holding n copies of one tagged file, all selected.
struct SelectedLibrary
{
    QTemporaryDir dir;
    std::unique_ptr<LibraryProcess> process;
    std::unique_ptr<MusicLibraryProxy> proxy;
    int tracks = 0;

    bool open(const char *scenario, int n)
    {
        if (ITunesApplication::iTunes().isRunning()) {
            std::fprintf(stderr, "%s: a library already runs on this bus; run under dbus-run-session\n", scenario);
            return false;
        }
        const QString music = dir.filePath(QStringLiteral("music"));
        const QString model = dir.filePath(QStringLiteral("model.mp3"));
        if (!QDir().mkpath(music) || !AudioFiles::writeMp3(model, {"Track", "Bench", "Count Run", "1"}))
            return false;
        for (int i = 0; i < n; ++i)
            if (!QFile::copy(model, music + QStringLiteral("/%1 Track.mp3").arg(i, 5, 10, QLatin1Char('0'))))
                return false;
        process = std::make_unique<LibraryProcess>(dir.filePath(QStringLiteral("Library.sqlite")));
        if (!process->start({QStringLiteral("--import"), music})) {
            std::fprintf(stderr, "%s: cannot start %s\n", scenario, qPrintable(LibraryProcess::program()));
            return false;
        }
        LibraryProtocol::registerTypes();
        proxy = LibraryProcess::proxy();
        QList<qlonglong> ids;
        for (const QVariantMap &record : proxy->AllTracks().value())
            ids.append(record.value(LibraryProtocol::Key::id).toLongLong());
        tracks = int(ids.size());
        proxy->SetSelection(ids).waitForFinished();
        return tracks == n;
    }

    // Whether every track holds the value.
    bool allHold(const char *key, int value) const
    {
        const QList<QVariantMap> records = proxy->AllTracks().value();
        return records.size() == tracks && std::all_of(records.cbegin(), records.cend(), [&](const QVariantMap &r) {
                   return r.value(QLatin1String(key)).toInt() == value;
               });
    }
};

// Drops onto the tool's list and waits until the table has drawn the tracks.
double dropAndShow(CountToolController &tool, int n)
{
    QMimeData trigger;
    trigger.setText(QStringLiteral("tracks"));
    QEventLoop loop;
    QObject::connect(tool.dropView(), &DropView::selectionTaken, &loop, &QEventLoop::quit);
    QTimer::singleShot(60'000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    tool.dropView()->takeDrop(&trigger);
    loop.exec();
    QApplication::processEvents();
    tool.tableView()->viewport()->repaint();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (tool.dropView()->count() != n)
        std::fprintf(stderr, "%d of %d tracks listed\n", tool.dropView()->count(), n);
    return seconds;
}

template<typename Tool>
int countRun(const char *scenario, const char *key, int expected, const QStringList &args)
{
    const int n = std::max(1, args.value(0, QStringLiteral("10000")).toInt());
    SelectedLibrary library;
    if (!library.open(scenario, n))
        return 1;
    Tool tool;
    tool.resize(711, 520);
    tool.show();
    dropAndShow(tool, n);
    tool.tableView()->selectAll();
    auto *amount = tool.template findChild<QLineEdit *>(QStringLiteral("countInput2"));
    amount->selectAll();
    amount->insert(QStringLiteral("1"));

    const RunTiming timing = timeUntil(&tool, &CountToolController::runFinished, [&tool] {
        tool.template findChild<QAbstractButton *>(QStringLiteral("setButton2"))->click();
    });

    bool verified = library.allHold(key, expected) && tool.dropView()->count() == n;
    const auto field = QLatin1String(key) == QLatin1String("rating") ? &TrackObject::rating : &TrackObject::plays;
    for (const TrackObject &track : tool.dropView()->tracks())
        verified = verified && track.*field == expected;
    library.process->stop();
    Scenarios::print({{QStringLiteral("scenario"), QLatin1String(scenario)},
                      {QStringLiteral("n"), n},
                      {QStringLiteral("seconds"), timing.seconds},
                      {QStringLiteral("max_stall_ms"), timing.maxStallMs},
                      {QStringLiteral("verified"), verified},
                      {QStringLiteral("target"), 2.0}});
    return verified ? 0 : 1;
}

int playCountRun(const QStringList &args)
{
    if (args.contains(QStringLiteral("--rhythmbox"))) {
        QStringList rest = args;
        rest.removeAll(QStringLiteral("--rhythmbox"));
        return rhythmboxPlayCountRun(std::max(1, rest.value(0, QStringLiteral("2000")).toInt()));
    }
    return countRun<CountEditorViewController>("playcount-run", "playedCount", 1, args);
}

int ratingRun(const QStringList &args)
{
    return countRun<RatingViewController>("rating-run", "rating", 20, args);
}

int selectionDrop(const QStringList &args)
{
    const int n = std::max(1, args.value(0, QStringLiteral("10000")).toInt());
    SelectedLibrary library;
    if (!library.open("selection-drop", n))
        return 1;
    QList<double> rounds;
    for (int r = 0; r < 5; ++r) {
        CountEditorViewController tool;
        tool.resize(711, 520);
        tool.show();
        QApplication::processEvents();
        rounds.append(dropAndShow(tool, n));
    }
    library.process->stop();
    std::sort(rounds.begin(), rounds.end());
    // The list asks the library a tenth of a second after the drop, by design.
    Scenarios::print({{QStringLiteral("scenario"), QStringLiteral("selection-drop")},
                      {QStringLiteral("n"), n},
                      {QStringLiteral("seconds"), rounds.at(2)},
                      {QStringLiteral("seconds_max"), rounds.last()},
                      {QStringLiteral("delay_seconds"), 0.1},
                      {QStringLiteral("target"), 0.3}});
    return 0;
}
} // namespace

MELVORA_SCENARIO(playCountRun, "playcount-run", "[TRACKS=10000] | --rhythmbox [TRACKS=2000]", playCountRun);
MELVORA_SCENARIO(ratingRun, "rating-run", "[TRACKS=10000]", ratingRun);
MELVORA_SCENARIO(selectionDrop, "selection-drop", "[TRACKS=10000]", selectionDrop);
