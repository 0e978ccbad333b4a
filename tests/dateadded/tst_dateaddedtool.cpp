// The Date Added tool with a real library on the test's bus. Runs take a
// second per file, so each uses few.
#include "musiclibraryproxy.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/LibraryProcess.h"
#include "tools/dateadded/DateAddedViewController.h"
#include "tracks/runs/HandOverPreview.h"
#include "tracks/lists/DropView.h"
#include "tracks/lists/TrackListModel.h"

#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class DateAddedToolTest : public QObject
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

    // Rows follow the key, each showing its place in the hand-over.
    void listAndPlacesFollowTheKeyAndDirection()
    {
        DateAddedViewController tool;
        show(tool);
        // A change of key with nothing listed leaves nothing to do.
        click(tool, "radioName");
        QCOMPARE(tool.dropView()->count(), 0);
        click(tool, "radioTrack");

        const QUrl b = file("b.mp3", "2"), a = file("a.mp3", "3"), c = file("c.mp3", "1");
        drop(tool, {a, b});
        QCOMPARE(tool.dropView()->files(), (QList<QUrl>{b, a}));
        QCOMPARE(places(tool), (QStringList{"handed over 2nd", "handed over 1st"}));
        // A drop onto a sorted list sorts the whole list again.
        drop(tool, {c});
        QCOMPARE(tool.dropView()->files(), (QList<QUrl>{c, b, a}));
        QCOMPARE(places(tool), (QStringList{"handed over 3rd", "handed over 2nd", "handed over 1st"}));
        click(tool, "radioName");
        QCOMPARE(tool.dropView()->files(), (QList<QUrl>{a, b, c}));
        click(tool, "radioFirstToLast");
        QCOMPARE(places(tool), (QStringList{"handed over 1st", "handed over 2nd", "handed over 3rd"}));
        // Counted as English counts places.
        QStringList texts;
        for (int place : {11, 12, 13, 21, 22, 23, 101, 111, 112})
            texts << HandOverPreview::placeText(place);
        QCOMPARE(texts.join(' '),
                 QStringLiteral("handed over 11th handed over 12th handed over 13th handed over 21st "
                                "handed over 22nd handed over 23rd handed over 101st handed over 111th "
                                "handed over 112th"));
    }

    void handsOverInTheOrderShownASecondApart()
    {
        DateAddedViewController tool;
        show(tool);
        // Track numbers 2 and 1, last to first (the choice at start): track 2 goes first.
        const QUrl two = file("two.mp3", "2"), one = file("one.mp3", "1");
        drop(tool, {two, one});
        QCOMPARE(tool.dropView()->files(), (QList<QUrl>{one, two}));
        QVERIFY(!tool.firstToLast());
        QList<int> bar;
        QStringList shown = places(tool);
        QVERIFY(run(tool, &bar));
        QCOMPARE(bar, (QList<int>{1, 2}));
        QVERIFY(handedOverAsShown(shown, {one, two}));
        QCOMPARE(tool.dropView()->count(), 0);
        QTRY_VERIFY(!tool.tableView()->isVisible());

        // By file name, first to last.
        const QUrl first = file("alpha.mp3", "9"), second = file("beta.mp3", "1"), third = file("gamma.mp3", "5");
        click(tool, "radioName");
        click(tool, "radioFirstToLast");
        drop(tool, {third, second, first});
        QCOMPARE(tool.dropView()->files(), (QList<QUrl>{first, second, third}));
        shown = places(tool);
        bar.clear();
        QVERIFY(run(tool, &bar));
        QCOMPARE(bar, (QList<int>{0, 1, 2}));
        QVERIFY(handedOverAsShown(shown, {first, second, third}));
        QCOMPARE(tool.dropView()->count(), 0);
    }

    void filesTheLibraryHoldsAreShownAndReported()
    {
        const QUrl held = file("held.mp3", "1"), fresh = file("fresh.mp3", "2");
        const qlonglong id = m_proxy->Add({held.toString()}, QString()).value();
        QVERIFY(id > 0);
        const QDateTime since = QDateTime::fromMSecsSinceEpoch(record(held).value("dateAdded").toLongLong());

        DateAddedViewController tool;
        show(tool);
        click(tool, "radioFirstToLast");
        QSignalSpy lookedUp(&tool, &DateAddedViewController::libraryLookedUp);
        // A third file goes before the run: the library cannot add it.
        const QUrl gone = file("gone.mp3", "3");
        drop(tool, {held, fresh, gone});
        QVERIFY(lookedUp.wait(20000));
        QVERIFY(QFile::remove(gone.toLocalFile()));
        QCOMPARE(tool.dropView()->model()->index(0, 2).data().toDateTime(), since);
        QCOMPARE(tool.dropView()->model()->index(1, 2).data().toString(), QStringLiteral("Not in the library"));

        QSignalSpy finished(&tool, &DateAddedViewController::runFinished);
        click(tool, "setButton");
        // The report comes before the list is cleared, and names only the held file.
        QMessageBox *report = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((report = tool.window()->findChild<QMessageBox *>(QStringLiteral("handOverReport"))),
                                 10000);
        QVERIFY(report->informativeText().contains(QStringLiteral("held.mp3")));
        QVERIFY(report->informativeText().contains(QStringLiteral("already in the library")));
        QVERIFY(!report->informativeText().contains(QStringLiteral("fresh.mp3")));
        QCOMPARE(tool.dropView()->count(), 3);
        QCOMPARE(finished.size(), 0);
        QTest::mouseClick(report->buttons().first(), Qt::LeftButton);
        QTRY_COMPARE(finished.size(), 1);
        // Only the file the library did not add stays, saying why.
        QCOMPARE(tool.dropView()->files(), QList<QUrl>{gone});
        QCOMPARE(tool.dropView()->model()->index(0, 2).data(TrackListModel::PreviewRole).toString(),
                 QStringLiteral("not changed: the library did not add it"));
        QCOMPARE(tool.dropView()->model()->index(0, 2).data(TrackListModel::FailureRole).toString(),
                 QStringLiteral("The library did not add it"));
        QCOMPARE(QDateTime::fromMSecsSinceEpoch(record(held).value("dateAdded").toLongLong()), since);
    }

    void filesNotHandedOverStay()
    {
        DateAddedViewController tool;
        show(tool);
        click(tool, "radioFirstToLast");
        const QList<QUrl> files{file("s1.mp3", "1"), file("s2.mp3", "2"), file("s3.mp3", "3")};
        drop(tool, files);
        QSignalSpy finished(&tool, &DateAddedViewController::runFinished);
        click(tool, "setButton");
        BatchRun *running = tool.currentRun();
        QVERIFY(running && running->stopButton() && running->timeLeft());
        QCOMPARE(running->timeLeft()->text(), QStringLiteral("About 3 seconds left"));
        // Stopped while the second file waits for its second.
        QSignalSpy bar(running, &BatchRun::barValueChanged);
        QTRY_COMPARE_WITH_TIMEOUT(bar.size(), 2, 5000);
        QTest::mouseClick(running->stopButton(), Qt::LeftButton);
        QVERIFY(finished.wait(5000));
        // The file in hand when Stop came is handed over (on a slow machine
        // the click may come after the second); the rest stay listed.
        const qsizetype handed = files.size() - tool.dropView()->count();
        QVERIFY(handed >= 1 && handed < files.size());
        QCOMPARE(tool.dropView()->files(), files.mid(handed));
        for (qsizetype k = 0; k < files.size(); ++k)
            QCOMPARE(record(files.at(k)).contains("id"), k < handed);

        // Without a library nothing happens and the list stays.
        m_library.stop();
        QVERIFY(run(tool));
        QCOMPARE(tool.dropView()->files(), files.mid(handed));
        QVERIFY(m_library.start());
        for (qsizetype k = handed; k < files.size(); ++k)
            QVERIFY(record(files.at(k)).isEmpty());
    }

private:
    static void show(DateAddedViewController &tool)
    {
        tool.resize(711, 520);
        tool.show();
    }

    static void click(DateAddedViewController &tool, const char *name)
    {
        QTest::mouseClick(tool.findChild<QAbstractButton *>(QLatin1String(name)), Qt::LeftButton);
    }

    static QStringList places(const DateAddedViewController &tool)
    {
        QStringList shown;
        const QAbstractItemModel *rows = tool.dropView()->model();
        for (int row = 0; row < rows->rowCount(); ++row)
            shown << rows->index(row, 2).data(TrackListModel::PreviewRole).toString();
        return shown;
    }

    static void drop(DateAddedViewController &tool, const QList<QUrl> &files)
    {
        QMimeData mime;
        mime.setUrls(files);
        tool.dropView()->takeDrop(&mime);
    }

    // Clicks Set and waits for the end of the run; collects the bar's values.
    static bool run(DateAddedViewController &tool, QList<int> *bar = nullptr)
    {
        QSignalSpy finished(&tool, &DateAddedViewController::runFinished);
        click(tool, "setButton");
        if (!tool.currentRun())
            return false;
        if (bar)
            QObject::connect(tool.currentRun(), &BatchRun::barValueChanged, [bar](int value) { bar->append(value); });
        return finished.wait(15000);
    }

    QUrl file(const QString &name, const QString &track)
    {
        const QString path = m_dir.filePath(name);
        if (!AudioFiles::writeMp3(path, {name, "Artist", "Album", track}))
            qFatal("cannot write %s", qPrintable(path));
        return QUrl::fromLocalFile(path);
    }

    QVariantMap record(const QUrl &file) const
    {
        for (const QVariantMap &r : m_proxy->AllTracks().value())
            if (QUrl(r.value("location").toString()) == file)
                return r;
        return {};
    }

    // Whether the files, in the order of their places shown, got dates added a second apart or more.
    bool handedOverAsShown(const QStringList &shown, const QList<QUrl> &listed) const
    {
        qint64 previous = 0; // a file the library does not hold gives 0 too
        for (int place = 1; place <= listed.size(); ++place) {
            const qsizetype row = shown.indexOf(HandOverPreview::placeText(place));
            const qint64 second = row < 0 ? 0 : record(listed.at(row)).value("dateAdded", -1).toLongLong() / 1000;
            if (second <= previous)
                return false;
            previous = second;
        }
        return true;
    }

    QTemporaryDir m_dir;
    LibraryProcess m_library;
    std::unique_ptr<MusicLibraryProxy> m_proxy;
};

QTEST_MAIN(DateAddedToolTest)
#include "tst_dateaddedtool.moc"
