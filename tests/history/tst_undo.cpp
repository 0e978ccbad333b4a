// The journal of runs and undo, on real files with the real library running.
#include "app/history/UndoRun.h"
#include "tests/modification/ModificationFixture.h"
#include "tests/support/LibraryProcess.h"
#include "tracks/journal/RunJournal.h"

#include <QDateTime>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>

namespace {
std::optional<RunJournal::Run> lastRun()
{
    RunJournal journal;
    return journal.open() ? journal.lastUndoable() : std::nullopt;
}

// Takes the run back under the tool's sheet and waits for the report.
std::optional<UndoRun::Report> undo(QWidget *tool, qint64 run)
{
    std::optional<UndoRun::Report> report;
    UndoRun::start(tool, run, [&report](const UndoRun::Report &r) { report = r; });
    if (!QTest::qWaitFor([&report] { return report.has_value(); }, 20000))
        return std::nullopt;
    return report;
}
} // namespace

class UndoTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Each test program keeps its own journal (the test runner's data folder).
        QVERIFY(RunJournal::defaultPath().startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)));
        QFile::remove(RunJournal::defaultPath());
        qputenv("MELVORA_JOURNAL", QFile::encodeName(RunJournal::defaultPath())); // for the runs' processes too
    }

    void undoRestoresExactTimesAndLeavesLaterChangesAlone()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        ModificationFixture f;
        const QList<QUrl> files = f.makeFiles(4, QStringLiteral("Undo"));
        QList<FileTime> earlier;
        for (int i = 0; i < files.size(); ++i) {
            earlier << FileTime{1'300'000'000 + i * 1000, 123'456'789 + i};
            QVERIFY(FileDates::setModificationDate(files[i], earlier.last()));
        }
        f.choose(0);
        f.drop(0, files);
        QVERIFY(f.runAndWait(0));
        const FileTime set = FileTime::fromDateTime(f.tool->selectedDateSMD());
        const std::optional<RunJournal::Run> run = lastRun();
        QVERIFY(run && run->tool == u"Set Modification Date" && run->items == 4 && run->changed == 4);

        // The user changes one file after the run: undo leaves it alone and says so.
        const FileTime users{1'500'000'000, 5};
        QVERIFY(FileDates::setModificationDate(files[2], users));
        const auto report = undo(f.tool.get(), run->id);
        QVERIFY(report);
        QCOMPARE(report->restored, 3);
        QCOMPARE(report->leftAlone, QStringList{QStringLiteral("Undo 3.mp3")});
        QVERIFY(report->failed.isEmpty());
        for (int i : {0, 1, 3})
            QCOMPARE(ModificationFixture::modified(files[i]), earlier[i]);
        QCOMPARE(ModificationFixture::modified(files[2]), users);

        // The undo is a run of its own: taking it back gives the run's times again.
        const std::optional<RunJournal::Run> undoRun = lastRun();
        QVERIFY(undoRun && undoRun->undoOf == run->id && undoRun->items == 3);
        QCOMPARE(undoRun->tool, QStringLiteral("Undo Set Modification Date"));
        const auto again = undo(f.tool.get(), undoRun->id);
        QVERIFY(again && again->restored == 3);
        QCOMPARE(lastRun()->tool, QStringLiteral("Redo Set Modification Date"));
        for (int i : {0, 1, 3})
            QCOMPARE(ModificationFixture::modified(files[i]), set);
        QCOMPARE(ModificationFixture::modified(files[2]), users);
    }

    // The journal is written before the first change: a run killed half-way
    // is taken back item by item, exactly the files that changed.
    void aKilledRunIsTakenBack()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        QTemporaryDir dir;
        const QString model = dir.filePath(QStringLiteral("model.mp3"));
        QVERIFY(AudioFiles::writeMp3(model, {"Killed", "Artist", "Album", "1"}));
        QStringList paths;
        QList<FileTime> earlier;
        for (int i = 0; i < 4000; ++i) {
            paths << dir.filePath(QStringLiteral("%1.mp3").arg(i, 4, 10, QLatin1Char('0')));
            QVERIFY(QFile::copy(model, paths.last()));
            earlier << FileTime{1'200'000'000 + i, 7};
            QVERIFY(FileDates::setModificationDate(QUrl::fromLocalFile(paths.last()), earlier.last()));
        }
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const auto stop = qScopeGuard([&run] {
            run.kill();
            run.waitForFinished(5000);
        });
        run.start(QStringLiteral(MELVORA_BENCH), QStringList{QStringLiteral("set-dates"), QStringLiteral("2021-02-03")} + paths);
        QVERIFY(run.waitForStarted(10000));
        // Killed as soon as the first file has its new date.
        const QUrl first = QUrl::fromLocalFile(paths.first());
        QVERIFY(QTest::qWaitFor([&] { return ModificationFixture::modified(first) != earlier.first(); }, 30000));
        run.kill();
        QVERIFY(run.waitForFinished(5000));

        QList<int> changed;
        for (int i = 0; i < paths.size(); ++i)
            if (ModificationFixture::modified(QUrl::fromLocalFile(paths[i])) != earlier[i])
                changed << i;
        if (changed.size() == paths.size())
            QSKIP("the run ended before the kill; nothing half-way to take back");
        const std::optional<RunJournal::Run> cut = lastRun();
        QVERIFY(cut && cut->items == paths.size() && cut->changed == -1);
        QWidget view;
        const auto report = undo(&view, cut->id);
        QVERIFY(report);
        QCOMPARE(report->restored, int(changed.size()));
        QVERIFY(report->leftAlone.isEmpty() && report->failed.isEmpty());
        for (int i = 0; i < paths.size(); ++i)
            QCOMPARE(ModificationFixture::modified(QUrl::fromLocalFile(paths[i])), earlier[i]);
        RunJournal journal;
        QVERIFY(journal.open() && journal.run(cut->id)->undone);
    }

    // At least the newest hundred runs and every run of the last ninety days stay.
    void theJournalStaysBounded()
    {
        QTemporaryDir dir;
        RunJournal journal(dir.filePath(QStringLiteral("journal.sqlite")));
        QVERIFY(journal.open());
        for (int i = 0; i < 130; ++i)
            QVERIFY(journal.begin(QStringLiteral("Play Count"), RunJournal::Kind::PlayCount,
                                  {{QStringLiteral("file:///a.mp3"), RunJournal::Value{i, 0}, {i + 1, 0}}}) > 0);
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        journal.prune(now);
        QCOMPARE(journal.runs().size(), 130); // all young
        journal.prune(now + qint64(RunJournal::keepDays + 1) * 24 * 3600 * 1000);
        const QList<RunJournal::Run> kept = journal.runs();
        QCOMPARE(kept.size(), RunJournal::keepRuns);
        QCOMPARE(journal.entries(kept.first().id).first().after.value, 130); // the newest stayed
        QVERIFY(journal.entries(kept.last().id - 1).isEmpty());            // entries went with their runs
    }
};

QTEST_MAIN(UndoTest)
#include "tst_undo.moc"
