// playcount-run --rhythmbox: the real Play Count tool against a real
// Rhythmbox (on an X server of its own, with our plugin) that holds n
// copies of one tagged file; the tool lists every track, one run of mode 1
// adds one play, from the Set click until the rows show their new values;
// afterwards every track is read back from Rhythmbox.

#include "bench/RhythmboxCountBench.h"

#include "app/common/FileNames.h"
#include "bench/Scenario.h"
#include "bench/StallMeter.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/RhythmboxProcess.h"
#include "tools/playcount/CountEditorViewController.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/library/Rhythmbox.h"
#include "tracks/lists/DropView.h"

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QApplication>

#include <cstdio>

int rhythmboxPlayCountRun(int n)
{
    RhythmboxProcess rhythmbox;
    if (const QString missing = RhythmboxProcess::missing(); !missing.isEmpty()) {
        std::fprintf(stderr, "playcount-run: %s\n", qPrintable(missing));
        return 1;
    }
    const QString music = rhythmbox.musicFolder();
    const QString model = rhythmbox.home() + QStringLiteral("/model.mp3");
    if (!QDir().mkpath(music) || !AudioFiles::writeMp3(model, {"Track", "Bench", "Count Run", "1"}))
        return 1;
    QList<QUrl> files;
    QList<RhythmboxProcess::Song> songs;
    for (int i = 0; i < n; ++i) {
        const QString path = music + QStringLiteral("/%1 Track.mp3").arg(i, 5, 10, QLatin1Char('0'));
        if (!QFile::copy(model, path))
            return 1;
        files.append(FileNames::urlOf(QFile::encodeName(path)));
        songs.append({Rhythmbox::storedUri(files.last()), path});
    }
    QString why;
    if (!rhythmbox.holdAtStart(songs) || !rhythmbox.start(&why)) {
        std::fprintf(stderr, "playcount-run: %s\n", qPrintable(why));
        return 1;
    }
    // Rhythmbox reads its database after it has come up.
    if (!RhythmboxProcess::waitForEntry(songs.last().uri, 60000)) {
        std::fprintf(stderr, "playcount-run: Rhythmbox does not hold the songs\n");
        return 1;
    }
    CountEditorViewController tool;
    tool.resize(711, 520);
    tool.show();
    const ITunesApplication library = ITunesApplication::iTunes();
    for (const QUrl &file : std::as_const(files)) {
        const auto held = library.trackOfFile(file);
        if (!held || !held->track.isValid())
            return 1;
        tool.dropView()->addTrackToArray(TrackObject::initWithName(held->track.name(), held->track.artist(),
                                                                   held->track.location(), held->track.playedCount(),
                                                                   held->track.rating()));
    }
    QApplication::processEvents();
    tool.tableView()->selectAll();
    auto *amount = tool.findChild<QLineEdit *>(QStringLiteral("countInput2"));
    amount->selectAll();
    amount->insert(QStringLiteral("1"));
    const RunTiming timing = timeUntil(&tool, &CountToolController::runFinished, [&tool] {
        tool.findChild<QAbstractButton *>(QStringLiteral("setButton2"))->click();
    });
    bool verified = tool.dropView()->count() == n;
    for (const RhythmboxProcess::Song &song : std::as_const(songs))
        verified = verified && RhythmboxProcess::entry(song.uri).value(QStringLiteral("play-count")).toLongLong() == 1;
    for (const TrackObject &track : tool.dropView()->tracks())
        verified = verified && track.plays == 1;
    Scenarios::print({{QStringLiteral("scenario"), QStringLiteral("playcount-run")},
                      {QStringLiteral("library"), QStringLiteral("rhythmbox")},
                      {QStringLiteral("n"), n},
                      {QStringLiteral("seconds"), timing.seconds},
                      {QStringLiteral("max_stall_ms"), timing.maxStallMs},
                      {QStringLiteral("verified"), verified}});
    return verified ? 0 : 1;
}
