// Drops onto a track list: what is listed, what the owner hears, refusal and the highlight.
#include "app/common/Utils.h"
#include "tests/tracklists/OwnedList.h"
#include "tracks/lists/DropView.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {
QUrl file(const QString &name)
{
    return QUrl::fromLocalFile(QStringLiteral("/music/album/") + name);
}

QList<QUrl> files(const QStringList &names)
{
    QList<QUrl> urls;
    for (const QString &name : names)
        urls << file(name);
    return urls;
}

bool drop(DropView &view, const QList<QUrl> &urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    return view.takeDrop(&mime);
}
} // namespace

class TestDropView : public QObject
{
    Q_OBJECT
private slots:
    void whatADropListsAndTheOwnerHears()
    {
        OwnedList list(0);
        DropView &view = list.view;
        QTableView table;
        view.attachTable(&table);
        QAbstractItemModelTester tester(table.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(table.model(), &QAbstractItemModel::rowsInserted);

        // Web addresses, text or no data at all are no files: nothing is listed, no owner told.
        QMimeData webAndText;
        webAndText.setUrls({QUrl("https://example.org/a.mp3"), QUrl("mailto:someone@example.org")});
        webAndText.setText("/music/album/a.mp3");
        QVERIFY(view.takeDrop(&webAndText) && view.takeDrop(nullptr));
        // A name with an encoded NUL would end at it and name another file.
        QVERIFY(drop(view, {QUrl::fromEncoded("file:///music/a%00b.mp3")}));
        QVERIFY(view.files().isEmpty() && list.calls.isEmpty());

        QVERIFY(drop(view, {file("b.mp3"), QUrl("https://example.org/x.mp3"), file("a #1 ü.mp3"), file("b.mp3")}));
        QCOMPARE(view.files(), files({"b.mp3", "a #1 ü.mp3"}));
        QCOMPARE(inserted.size(), 1); // one insertion for the whole drop
        QCOMPARE(list.calls, QList<QList<QUrl>>{files({"b.mp3", "a #1 ü.mp3", "b.mp3"})});
        QCOMPARE(list.sender, &view);

        // Three files, one already listed: the new two follow in dropped order.
        QVERIFY(drop(view, files({"d.mp3", "a #1 ü.mp3", "c.mp3"})));
        QCOMPARE(view.files(), files({"b.mp3", "a #1 ü.mp3", "d.mp3", "c.mp3"}));
        QCOMPARE(list.calls.size(), 2);
        QCOMPARE(list.calls.at(1).size(), 3);
        view.reloadRows({1, 7, -1}, 2); // the tester fails on a change of rows that are not there

        // The owner's sorted copy replaces the list; duplicates are judged on it.
        view.setFiles({file("z.mp3")});
        view.addFilesToArray(files({"a.mp3", "z.mp3"}));
        QCOMPARE(view.files(), files({"z.mp3", "a.mp3"}));
        view.cleanTable(&table);
        QCOMPARE(table.model()->rowCount(), 0);
        QVERIFY(!view.checkDuplicate(file("z.mp3")));

        // A folder stands for the audio files below it, in path order; covers and notes are not listed.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Album/CD 2")));
        for (const char *name : {"Album/02 b.mp3", "Album/01 a.FLAC", "Album/CD 2/01 c.m4a", "Album/cover.jpg",
                                 "Album/notes.txt", "Album/CD 2/.hidden.ogg"}) {
            QFile f(dir.filePath(QString::fromUtf8(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QUrl loose = QUrl::fromLocalFile(dir.filePath(QStringLiteral("loose.mp3")));
        QVERIFY(drop(view, {loose, QUrl::fromLocalFile(dir.filePath(QStringLiteral("Album")))}));
        QList<QUrl> expected{loose};
        for (const char *name : {"Album/01 a.FLAC", "Album/02 b.mp3", "Album/CD 2/.hidden.ogg", "Album/CD 2/01 c.m4a"})
            expected << QUrl::fromLocalFile(dir.filePath(QString::fromUtf8(name)));
        QCOMPARE(view.files(), expected);
        QCOMPARE(list.calls.mid(2), QList<QList<QUrl>>{expected});

        // A track list keeps one row per file.
        view.setCurrentAction(3);
        view.addTrackToArray(TrackObject::initWithName("One", "A", file("1.mp3"), 3, 40));
        // Tracks without a file (streams) are each their own row.
        view.addTrackToArray(TrackObject::initWithName("Stream", "B", QUrl(), 0, 0));
        view.addTrackToArray(TrackObject::initWithName("Stream", "B", QUrl(), 0, 0));
        // A selection holding two tracks of one file lists the first of them.
        QCOMPARE(view.model()->addTracks({TrackObject::initWithName("Take 1", "D", file("3.mp3"), 0, 0),
                                          TrackObject::initWithName("Take 2", "D", file("3.mp3"), 0, 0)}),
                 1);
        const QList<TrackObject> tracks = view.tracks();
        QCOMPARE(tracks.size(), 4);
        QCOMPARE(tracks.at(0).name, QStringLiteral("One"));
        QCOMPARE(tracks.at(3).name, QStringLiteral("Take 1"));
    }

    void highlightFollowsTheDragAndDrop()
    {
        OwnedList list(1);
        DropView &view = list.view;
        view.resize(200, 120);
        auto *child = new QLabel(&view);
        child->setGeometry(0, 0, 50, 50);
        child->setAutoFillBackground(true);
        child->setPalette(QPalette(Qt::black, Qt::black));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const auto pixelAt = [&view](QPoint point) { return QColor(view.grab().toImage().pixel(point)); };
        QCOMPARE(pixelAt({150, 100}).rgb(), Utils::ColorBG().rgb());

        QMimeData mime;
        mime.setUrls(files({"a.mp3", "b.mp3"}));
        const auto enter = [&](Qt::DropActions offered) {
            QDragEnterEvent event(QPoint(10, 10), offered, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&view, &event);
            return event.isAccepted() && event.dropAction() == Qt::CopyAction;
        };
        const auto dropped = [&] {
            QDropEvent event(QPointF(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&view, &event);
            return event.isAccepted();
        };
        QVERIFY(enter(Qt::CopyAction | Qt::MoveAction));
        QVERIFY(view.isHighlighted());
        // The black child ends at half strength over the ColorBorder fill.
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(pixelAt({150, 100}).red() - Utils::ColorBorder().red()) <= 1 &&
                                     qAbs(pixelAt({150, 100}).blue() - Utils::ColorBorder().blue()) <= 1 &&
                                     qAbs(pixelAt({10, 10}).red() - Utils::ColorBorder().red() / 2) <= 3,
                                 3000);

        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(&view, &leave);
        QVERIFY(!view.isHighlighted());
        QTRY_COMPARE_WITH_TIMEOUT(pixelAt({10, 10}), QColor(Qt::black), 3000);
        QCOMPARE(pixelAt({150, 100}).rgb(), Utils::ColorBG().rgb());

        // A drag that offers no copy does not light the view.
        enter(Qt::MoveAction);
        QVERIFY(!view.isHighlighted());

        // A drop lists the files and puts the light out.
        QVERIFY(enter(Qt::CopyAction) && view.isHighlighted());
        QVERIFY(dropped());
        QVERIFY(!view.isHighlighted());
        QCOMPARE(view.files(), files({"a.mp3", "b.mp3"}));
        QCOMPARE(list.calls.size(), 1);

        // A refused drop reads nothing, tells no owner and does not leave the view lit.
        view.setAllowDrop(false);
        view.cleanTable(nullptr);
        QVERIFY(enter(Qt::CopyAction) && view.isHighlighted());
        QVERIFY(!dropped());
        QVERIFY(!view.isHighlighted());
        QVERIFY(view.files().isEmpty());
        QCOMPARE(list.calls.size(), 1);
    }
};

QTEST_MAIN(TestDropView)
#include "tst_dropview.moc"
