// The journal of runs and undo, on real files with the real library running:
// exact earlier times come back, what changed since is left alone, an undo
// can itself be undone, a run cut short is taken back item by item, and the
// journal stays bounded.
#include "app/history/UndoRun.h"
#include "tests/modification/ModificationFixture.h"
#include "tests/support/LibraryProcess.h"
#include "tracks/journal/RunJournal.h"
#include "tracks/runs/RunRecord.h"

#include <QDateTime>
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

    // A run cut short: the plan is in the journal, only the first items
    // changed. Undo gives back exactly those and touches no other file.
    void aRunCutShortIsTakenBackItemByItem()
    {
        ModificationFixture f;
        const QList<QUrl> files = f.makeFiles(5, QStringLiteral("Cut"));
        QList<RunJournal::Entry> plan;
        QList<FileTime> earlier;
        const FileTime planned{1'400'000'000, 42};
        for (const QUrl &file : files) {
            plan << RunRecord::fileTime(file, planned);
            earlier << ModificationFixture::modified(file);
        }
        const qint64 run = RunRecord::begin(QStringLiteral("Set Modification Date"), RunJournal::Kind::ModificationTime, plan);
        QVERIFY(run > 0);
        for (int i = 0; i < 2; ++i) // the run was killed after two files
            QVERIFY(FileDates::setModificationDate(files[i], planned));
        const auto report = undo(f.tool.get(), run);
        QVERIFY(report && report->restored == 2 && report->leftAlone.isEmpty());
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(ModificationFixture::modified(files[i]), earlier[i]);
        RunJournal journal;
        QVERIFY(journal.open());
        QCOMPARE(journal.run(run)->changed, -1); // it never ended
        QVERIFY(journal.run(run)->undone);
    }

    // At least the newest hundred runs and every run of the last ninety days stay.
    void theJournalStaysBounded()
    {
        const QString path = QDir::temp().filePath(QStringLiteral("melvora-prune-%1.sqlite").arg(QCoreApplication::applicationPid()));
        QFile::remove(path);
        {
            RunJournal journal(path);
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
            QVERIFY(journal.entries(kept.last().id + -1).isEmpty());            // entries went with their runs
        }
        QFile::remove(path);
    }
};

QTEST_MAIN(UndoTest)
#include "tst_undo.moc"
