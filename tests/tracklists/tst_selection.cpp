// Play Count and Rating lists take the library's selection when something is dropped on them.
#include "musiclibraryproxy.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/LibraryProcess.h"
#include "tests/tracklists/OwnedList.h"
#include "tracks/lists/DropView.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QCoreApplication>
#include <QTest>

class TestSelection : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        LibraryProtocol::registerTypes();
    }

    void noLibraryOrEmptySelectionListsNothing()
    {
        OwnedList idle(3);
        QVERIFY(takeSelection(idle.view)); // the library is not running
        QVERIFY(m_library.start());
        m_proxy = LibraryProcess::proxy();
        QVERIFY(addTrack("Unselected", "1") > 0);
        m_proxy->SetSelection({}).waitForFinished();
        OwnedList empty(4);
        QVERIFY(takeSelection(empty.view));
        for (const OwnedList *list : {&idle, &empty})
            QVERIFY(list->view.tracks().isEmpty() && list->calls.isEmpty());
    }

    void dropListsTheSelectedTracks()
    {
        QVERIFY(m_proxy);
        const qint64 first = addTrack("First", "1");
        const qint64 second = addTrack("Second", "2");
        QVERIFY(first > 0 && second > 0);
        m_proxy->SetPlayedCount(first, 7).waitForFinished();
        m_proxy->SetRating(second, 60).waitForFinished();
        m_proxy->SetSelection({first, second}).waitForFinished();

        OwnedList list(3);
        QMimeData trigger; // its content is not read
        trigger.setText("anything");
        QVERIFY(list.view.takeDrop(&trigger));
        QVERIFY(list.view.tracks().isEmpty()); // taken a tenth of a second later
        QTRY_COMPARE_WITH_TIMEOUT(list.view.tracks().size(), 2, 5000);

        const QList<TrackObject> tracks = list.view.tracks();
        QCOMPARE(tracks.at(0).name, QStringLiteral("First"));
        QCOMPARE(tracks.at(0).artist, QStringLiteral("The Artist"));
        QCOMPARE(tracks.at(0).plays, 7);
        QCOMPARE(tracks.at(1).rating, 60);
        QCOMPARE(tracks.at(1).location, QUrl::fromLocalFile(m_dir.filePath("Second.mp3")));
        QCOMPARE(list.calls, (QList<QList<QUrl>>{{tracks.at(0).location, tracks.at(1).location}}));
    }

    void hungLibraryKeepsTheWindowGoing()
    {
        QVERIFY(m_proxy);
        const qint64 track = addTrack("Patient", "3");
        QVERIFY(track > 0);
        m_proxy->SetSelection({track}).waitForFinished();
        QVERIFY(m_library.suspend());
        OwnedList list(4);
        QSignalSpy taken(&list.view, &DropView::selectionTaken);
        list.view.getSelection();
        list.view.getSelection();
        // The calls return unanswered; a blocking call would have timed out with nothing.
        QCoreApplication::processEvents();
        QCOMPARE(taken.size(), 0);
        m_library.resume();
        QTRY_COMPARE_WITH_TIMEOUT(taken.size(), 2, 8000);
        QCOMPARE(list.view.tracks().size(), 1);
        QCOMPARE(list.view.tracks().at(0).name, QStringLiteral("Patient"));
        QCOMPARE(list.calls.size(), 2);

        // A list closed while the library is being asked hears nothing later.
        QVERIFY(m_library.suspend());
        auto closing = std::make_unique<OwnedList>(3);
        closing->view.getSelection();
        closing.reset();
        m_library.resume();
        OwnedList after(3);
        QVERIFY(takeSelection(after.view));
        QCOMPARE(after.view.tracks().size(), 1);
    }

private:
    static bool takeSelection(DropView &view)
    {
        QSignalSpy taken(&view, &DropView::selectionTaken);
        view.getSelection();
        // A quick answer is listed before getSelection() returns.
        return !taken.isEmpty() || taken.wait(8000);
    }

    qint64 addTrack(const QString &name, const QString &track)
    {
        const QString path = m_dir.filePath(name + ".mp3");
        if (!AudioFiles::writeMp3(path, {name, "The Artist", "The Album", track}))
            return 0;
        return m_proxy->Add({QUrl::fromLocalFile(path).toString()}, QString()).value();
    }

    QTemporaryDir m_dir;
    LibraryProcess m_library;
    std::unique_ptr<MusicLibraryProxy> m_proxy;
};

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
