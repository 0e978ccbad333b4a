// The Play Count and Rating runs against a real library on the test's bus,
// the lists filled by a drop as a user fills them.
#include "app/history/UndoRun.h"
#include "musiclibraryproxy.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/LibraryProcess.h"
#include "tools/playcount/CountEditorViewController.h"
#include "tools/rating/RatingViewController.h"
#include "tracks/lists/DropView.h"
#include "tracks/journal/RunJournal.h"
#include "tracks/lists/TrackListModel.h"

#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
using Ids = QList<qlonglong>;

// Types a value into a field as one edit.
void enter(QWidget *tool, const char *name, int value)
{
    auto *field = tool->findChild<QLineEdit *>(QLatin1String(name));
    field->selectAll();
    field->insert(QString::number(value));
}

void click(QWidget *tool, const char *name)
{
    QTest::mouseClick(tool->findChild<QAbstractButton *>(QLatin1String(name)), Qt::LeftButton);
}
} // namespace

class CountRunsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_library.start());
        m_proxy = LibraryProcess::proxy();
    }

    void cleanupTestCase() { m_library.stop(); }

    void setTouchesTheSelectedRowsInAscendingOrderAndIsTakenBack()
    {
        const Ids ids = addTracks(8, [](int i) { return i + 1; }, [](int) { return 0; });
        CountEditorViewController tool;
        QVERIFY(list(tool, ids));
        select(tool, {6, 1, 4, 2, 7});
        enter(&tool, "countInput", 12);

        QSignalSpy changed(tool.dropView()->model(), &QAbstractItemModel::dataChanged);
        QList<int> bar;
        QVERIFY(run(tool, "setButton1", &bar));
        QCOMPARE(bar, (QList<int>{1, 2, 3, 4, 5}));
        const QList<int> expected{1, 12, 12, 4, 12, 6, 12, 12};
        QCOMPARE(listed(tool, &TrackObject::plays), expected);
        QCOMPARE(stored(ids, "playedCount"), expected);
        // Revealed one after the other: the last row processed is the one shown.
        QCOMPARE(m_proxy->Selection().value(), (Ids{ids.at(7)}));
        // Only the value column of the processed rows is shown anew.
        QSet<int> rowsShown;
        for (const QList<QVariant> &signal : std::as_const(changed)) {
            const auto from = signal.at(0).value<QModelIndex>(), to = signal.at(1).value<QModelIndex>();
            QCOMPARE(from.column(), 2);
            QCOMPARE(to.column(), 2);
            for (int row = from.row(); row <= to.row(); ++row)
                rowsShown.insert(row);
        }
        QCOMPARE(rowsShown, (QSet<int>{1, 2, 4, 6, 7}));

        // Taken back, except a track changed in the library since.
        QCOMPARE(m_proxy->SetPlayedCount(ids.at(2), 99).value(), 99);
        RunJournal journal;
        QVERIFY(journal.open());
        const std::optional<RunJournal::Run> last = journal.lastUndoable();
        QVERIFY(last && last->tool == u"Play Count" && last->items == 5 && last->changed == 5);
        std::optional<UndoRun::Report> report;
        UndoRun::start(&tool, last->id, [&report](const UndoRun::Report &r) { report = r; });
        QTRY_VERIFY_WITH_TIMEOUT(report.has_value(), 20000);
        QCOMPARE(report->restored, 4);
        QCOMPARE(report->leftAlone.size(), 1);
        QCOMPARE(stored(ids, "playedCount"), (QList<int>{1, 2, 99, 4, 5, 6, 7, 8}));
    }

    void ratingsCountInStarsAndKeepTheirRemainder()
    {
        const Ids ids = addTracks(4, [](int) { return 0; }, [](int i) { return QList<int>{50, 50, 80, 10}.at(i); });
        RatingViewController tool;
        QVERIFY(list(tool, ids));

        select(tool, {0, 2});
        enter(&tool, "countInput2", 1);
        QCOMPARE(previews(tool), (QList<QVariant>{70, {}, 100, {}}));
        QVERIFY(run(tool, "setButton2"));
        select(tool, {2});
        QVERIFY(run(tool, "setButton2"));
        QCOMPARE(stored(ids, "rating"), (QList<int>{70, 50, 100, 10}));

        select(tool, {1, 3});
        click(&tool, "radioSubtract");
        enter(&tool, "countInput2", 3);
        QVERIFY(run(tool, "setButton2"));
        QCOMPARE(stored(ids, "rating"), (QList<int>{70, 0, 100, 0}));
        QCOMPARE(listed(tool, &TrackObject::rating), stored(ids, "rating"));

        tool.tableView()->selectAll();
        enter(&tool, "countInput", 3);
        QVERIFY(run(tool, "setButton1"));
        QCOMPARE(stored(ids, "rating"), (QList<int>{60, 60, 60, 60}));
        // The star column shows three stars on every row.
        for (int row = 0; row < ids.size(); ++row)
            QCOMPARE(tool.dropView()->model()->index(row, 2).data(TrackListModel::StarsRole).toInt(), 3);
    }

    // Selected rows show the value of the line last used; the others none.
    void previewsShowWhatTheRunWrites()
    {
        const Ids plays = addTracks(4, [](int i) { return QList<int>{1, 5, 9, 0}.at(i); }, [](int) { return 0; });
        CountEditorViewController counts;
        QVERIFY(list(counts, plays));
        QCOMPARE(previews(counts), QList<QVariant>(4));
        select(counts, {1, 3});
        enter(&counts, "countInput2", 3);
        QCOMPARE(previews(counts), (QList<QVariant>{{}, 8, {}, 3}));
        click(&counts, "radioSubtract");
        QCOMPARE(previews(counts), (QList<QVariant>{{}, 2, {}, 0}));
        enter(&counts, "countInput", 7); // the first line: set
        QCOMPARE(previews(counts), (QList<QVariant>{{}, 7, {}, 7}));
        click(&counts, "radioAdd"); // back to the second line
        select(counts, {0, 2});
        QCOMPARE(previews(counts), (QList<QVariant>{4, {}, 12, {}}));
        QVERIFY(run(counts, "setButton2"));
        QCOMPARE(stored(plays, "playedCount"), (QList<int>{4, 5, 12, 0}));
        // What another run would make of the values the library now holds.
        QCOMPARE(previews(counts), (QList<QVariant>{7, {}, 15, {}}));

        // Adding nothing still refreshes each track: only that makes the library see retagged files.
        for (int i = 0; i < plays.size(); ++i)
            QVERIFY(AudioFiles::writeTags(path(plays.at(i)),
                                          {QStringLiteral("Renamed %1").arg(i), "Artist", "Album", "1"}));
        counts.tableView()->selectAll();
        enter(&counts, "countInput2", 0);
        QVERIFY(run(counts, "setButton2"));
        QCOMPARE(stored(plays, "playedCount"), (QList<int>{4, 5, 12, 0}));
        for (int i = 0; i < plays.size(); ++i)
            QCOMPARE(record(plays.at(i)).value("name").toString(), QStringLiteral("Renamed %1").arg(i));
        QCOMPARE(m_proxy->Selection().value(), (Ids{plays.last()}));
    }

    void tracksTheLibraryCannotWriteKeepTheirValue()
    {
        const Ids ids = addTracks(3, [](int i) { return i + 1; }, [](int) { return 0; });
        CountEditorViewController tool;
        QVERIFY(list(tool, ids));
        // A listed track whose file has gone, and one without any file.
        QVERIFY(QFile::remove(path(ids.at(1))));
        tool.dropView()->addTrackToArray(TrackObject::initWithName("No file", "Artist", QUrl(), 9, 0));
        tool.tableView()->selectAll();
        enter(&tool, "countInput", 50);
        QVERIFY(run(tool, "setButton1"));
        QCOMPARE(listed(tool, &TrackObject::plays), (QList<int>{50, 2, 50, 9}));
        QCOMPARE(stored(ids, "playedCount"), (QList<int>{50, 2, 50}));
        // Their rows say so where the new count would show, and why.
        const QString notStored = QStringLiteral("The library did not store it");
        QCOMPARE(outcomes(tool), (QStringList{QString(), notStored, QString(), notStored}));
        QCOMPARE(tool.dropView()->model()->index(1, 2).data().toString(), QStringLiteral("not changed"));
        // Still selected, it says so in place of what a run would write.
        QCOMPARE(previews(tool), (QList<QVariant>{50, {}, 50, {}}));
        QVERIFY(tool.dropView()->model()->index(1, 2).data(Qt::ToolTipRole).toString().endsWith(QStringLiteral("was not changed: ") + notStored));

        // A library that is not running writes nothing, and the list says so.
        m_library.stop();
        enter(&tool, "countInput", 70);
        QVERIFY(run(tool, "setButton1"));
        QCOMPARE(listed(tool, &TrackObject::plays), (QList<int>{50, 2, 50, 9}));
        QCOMPARE(outcomes(tool), QStringList(4, QStringLiteral("The library is not running")));
        QVERIFY(m_library.start());
        QCOMPARE(stored(ids, "playedCount"), (QList<int>{50, 2, 50}));
    }

    void libraryThatStopsAnsweringEndsTheRunInOneTimeout()
    {
        const Ids ids = addTracks(64, [](int i) { return i; }, [](int) { return 0; });
        RatingViewController tool;
        QVERIFY(list(tool, ids));
        tool.tableView()->selectAll();
        enter(&tool, "countInput", 4);
        QVERIFY(m_library.suspend());
        QSignalSpy finished(&tool, &CountToolController::runFinished);
        click(&tool, "setButton1");
        // Calling on after the first unanswered call would cost a timeout for
        // every sixteen tracks (20 s); one timeout and the end step is enough.
        const bool ended = finished.wait(12000);
        m_library.resume();
        QVERIFY(ended);
        QVERIFY(!tool.currentRun());
        for (const QDialog *sheet : tool.findChildren<QDialog *>())
            QVERIFY(!sheet->isVisible());
        // Nothing the library did not confirm is shown as written.
        const QList<int> listed = CountRunsTest::listed(tool, &TrackObject::rating);
        const QList<int> held = stored(ids, "rating");
        for (int row = 0; row < ids.size(); ++row)
            QVERIFY(listed.at(row) == 0 || listed.at(row) == held.at(row));
    }

private:
    template<typename Plays, typename Rating>
    Ids addTracks(int count, Plays plays, Rating rating)
    {
        Ids ids;
        for (int i = 0; i < count; ++i) {
            const QString file = m_dir.filePath(QStringLiteral("t%1.mp3").arg(++m_files));
            if (!AudioFiles::writeMp3(file, {QStringLiteral("Song %1").arg(m_files), "Artist", "Album", QString::number(i + 1)}))
                return {};
            const qlonglong id = m_proxy->Add({QUrl::fromLocalFile(file).toString()}, QString()).value();
            m_proxy->SetPlayedCount(id, plays(i)).waitForFinished();
            m_proxy->SetRating(id, rating(i)).waitForFinished();
            ids.append(id);
        }
        return ids;
    }

    // Lists the tracks as a user does: selects them in the library, drops on the list.
    bool list(CountToolController &tool, const Ids &ids)
    {
        tool.resize(711, 520);
        tool.show();
        m_proxy->SetSelection(ids).waitForFinished();
        QMimeData trigger;
        trigger.setText(QStringLiteral("tracks"));
        tool.dropView()->takeDrop(&trigger);
        QSignalSpy taken(tool.dropView(), &DropView::selectionTaken);
        return taken.wait(8000) && tool.dropView()->count() == ids.size();
    }

    static void select(CountToolController &tool, const QList<int> &rows)
    {
        QItemSelectionModel *selection = tool.tableView()->selectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->select(tool.tableView()->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    // Clicks a set button and waits for the run's end; collects the bar's values.
    static bool run(CountToolController &tool, const char *button, QList<int> *bar = nullptr)
    {
        QSignalSpy finished(&tool, &CountToolController::runFinished);
        click(&tool, button);
        if (!tool.currentRun())
            return false;
        if (bar)
            QObject::connect(tool.currentRun(), &BatchRun::barValueChanged, [bar](int value) { bar->append(value); });
        return finished.wait(20000) && !tool.currentRun();
    }

    // Why each row was not changed by the last run, or "".
    static QStringList outcomes(const CountToolController &tool)
    {
        QStringList said;
        const QAbstractItemModel *rows = tool.dropView()->model();
        for (int row = 0; row < rows->rowCount(); ++row)
            said << rows->index(row, 2).data(TrackListModel::FailureRole).toString();
        return said;
    }

    // What each row shows it will become.
    static QList<QVariant> previews(const CountToolController &tool)
    {
        QList<QVariant> shown;
        const QAbstractItemModel *rows = tool.dropView()->model();
        for (int row = 0; row < rows->rowCount(); ++row)
            shown << rows->index(row, 2).data(TrackListModel::PreviewRole);
        return shown;
    }

    static QList<int> listed(const CountToolController &tool, qint32 TrackObject::*value)
    {
        QList<int> values;
        for (const TrackObject &track : tool.dropView()->tracks())
            values.append(track.*value);
        return values;
    }

    QVariantMap record(qlonglong id) const
    {
        const QList<QVariantMap> records = m_proxy->Tracks({id}).value();
        return records.isEmpty() ? QVariantMap() : records.first();
    }

    QList<int> stored(const Ids &ids, const char *key) const
    {
        QList<int> values;
        for (qlonglong id : ids)
            values.append(record(id).value(QLatin1String(key), -1).toInt());
        return values;
    }

    QString path(qlonglong id) const { return QUrl(record(id).value("location").toString()).toLocalFile(); }

    QTemporaryDir m_dir;
    LibraryProcess m_library;
    std::unique_ptr<MusicLibraryProxy> m_proxy;
    int m_files = 0;
};

QTEST_MAIN(CountRunsTest)
#include "tst_countruns.moc"
