// Drops onto a track list: what is listed, what the owner hears, refusal and
// the highlight.
#include "DropView.h"
#include "OwnedList.h"
#include "Utils.h"

#include <QAbstractItemModelTester>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

namespace {
QUrl file(const QString &name)
{
    return QUrl::fromLocalFile(QStringLiteral("/music/album/") + name);
}

std::unique_ptr<QMimeData> mimeWith(const QList<QUrl> &urls)
{
    auto mime = std::make_unique<QMimeData>();
    mime->setUrls(urls);
    return mime;
}

QStringList names(const QList<QUrl> &urls)
{
    QStringList out;
    for (const QUrl &url : urls)
        out << url.fileName();
    return out;
}
} // namespace

class TestDropView : public QObject
{
    Q_OBJECT
private slots:
    void duplicatesAreSkippedButOwnerHearsWholeDrop()
    {
        OwnedList list(0);
        DropView &view = list.view;
        QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);

        QVERIFY(view.takeDrop(mimeWith({file("b.mp3"), file("a.mp3"), file("b.mp3")}).get()));
        QCOMPARE(names(view.files()), (QStringList{"b.mp3", "a.mp3"}));
        QCOMPARE(list.owner.calls.size(), 1);
        QCOMPARE(names(list.owner.calls.at(0)), (QStringList{"b.mp3", "a.mp3", "b.mp3"}));
        QCOMPARE(list.owner.sender, &view);

        // Three files, one already listed: the new two follow in dropped order.
        QVERIFY(view.takeDrop(mimeWith({file("d.mp3"), file("a.mp3"), file("c.mp3")}).get()));
        QCOMPARE(names(view.files()), (QStringList{"b.mp3", "a.mp3", "d.mp3", "c.mp3"}));
        QCOMPARE(list.owner.calls.size(), 2);
        QCOMPARE(list.owner.calls.at(1).size(), 3);

        // The owner's sorted copy replaces the list; duplicates are judged on it.
        view.setFiles({file("z.mp3")});
        QVERIFY(!view.checkDuplicate(file("a.mp3")));
        view.addFilesToArray({file("a.mp3"), file("z.mp3")});
        QCOMPARE(names(view.files()), (QStringList{"z.mp3", "a.mp3"}));

        QTableView table;
        view.attachTable(&table);
        view.cleanTable(&table);
        QCOMPARE(table.model()->rowCount(), 0);
        QVERIFY(!view.checkDuplicate(file("z.mp3")));
    }

    void onlyFileUrlsAreTaken()
    {
        OwnedList list(5);
        QMimeData webAndText;
        webAndText.setUrls({QUrl("https://example.org/a.mp3"), QUrl("mailto:someone@example.org")});
        webAndText.setText("/music/album/a.mp3");
        webAndText.setImageData(QImage(4, 4, QImage::Format_RGB32));
        QVERIFY(list.view.takeDrop(&webAndText));
        QVERIFY(list.view.takeDrop(nullptr));
        QVERIFY(list.view.files().isEmpty());
        QVERIFY(list.owner.calls.isEmpty());

        QVERIFY(list.view.takeDrop(mimeWith({QUrl("https://example.org/x.mp3"), file("odd name #1 ü.mp3")}).get()));
        QCOMPARE(list.view.files(), QList<QUrl>{file("odd name #1 ü.mp3")});
        QCOMPARE(list.owner.calls, QList<QList<QUrl>>{{file("odd name #1 ü.mp3")}});
    }

    void listChangesReachTheTable()
    {
        DropView view;
        view.setCurrentAction(2);
        QTableView table(&view);
        view.attachTable(&table);
        QAbstractItemModelTester tester(table.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);

        QSignalSpy inserted(table.model(), &QAbstractItemModel::rowsInserted);
        view.takeDrop(mimeWith({file("1.mp3"), file("2.mp3"), file("1.mp3")}).get());
        QCOMPARE(inserted.size(), 1); // one insertion for the whole drop
        QCOMPARE(table.model()->rowCount(), 2);
        QCOMPARE(table.model()->index(1, 0).data().toString(), QStringLiteral("2.mp3"));

        QSignalSpy changed(table.model(), &QAbstractItemModel::dataChanged);
        view.reloadRows({1, 7, -1}, 2);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), table.model()->index(1, 2));

        // Switching the list kind switches what rows there are.
        view.setCurrentAction(3);
        QCOMPARE(table.model()->rowCount(), 0);
        view.setCurrentAction(0);
        QCOMPARE(table.model()->rowCount(), 2);
    }

    void trackListsKeepOneRowPerFile()
    {
        DropView view;
        view.setCurrentAction(3);
        QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        view.addTrackToArray(TrackObject::initWithName("One", "A", file("1.mp3"), 3, 40));
        view.addTrackToArray(TrackObject::initWithName("One again", "A", file("1.mp3"), 9, 0));
        // Tracks without a file (streams) are each their own row.
        view.addTrackToArray(TrackObject::initWithName("Stream", "B", QUrl(), 0, 0));
        view.addTrackToArray(TrackObject::initWithName("Stream", "B", QUrl(), 0, 0));
        view.addTrackToArray(TrackObject::initWithName("Two", "C", file("2.mp3"), 1, 100));
        // A selection holding two tracks of one file lists the first of them.
        QCOMPARE(view.model()->addTracks({TrackObject::initWithName("Take 1", "D", file("3.mp3"), 0, 0),
                                          TrackObject::initWithName("Take 2", "D", file("3.mp3"), 0, 0)}),
                 1);
        const QList<TrackObject> tracks = view.tracks();
        QCOMPARE(tracks.size(), 5);
        QCOMPARE(tracks.at(0).name, QStringLiteral("One"));
        QCOMPARE(tracks.at(0).playsNew, 3);
        QCOMPARE(tracks.at(4).name, QStringLiteral("Take 1"));
        view.updateTrack(99, tracks.at(0)); // out of range: ignored
        QCOMPARE(view.tracks().size(), 5);
    }

    void highlightFollowsTheDrag()
    {
        DropView view;
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
        mime.setUrls({file("a.mp3")});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QVERIFY(view.isHighlighted());
        QCOMPARE(view.subviewsAlpha(), 0.5);
        // The black child ends at half strength over the ColorBorder fill (the
        // blend may round by a step).
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(pixelAt({150, 100}).red() - Utils::ColorBorder().red()) <= 1 &&
                                     qAbs(pixelAt({150, 100}).blue() - Utils::ColorBorder().blue()) <= 1 &&
                                     qAbs(pixelAt({10, 10}).red() - Utils::ColorBorder().red() / 2) <= 3,
                                 3000);

        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(&view, &leave);
        QVERIFY(!view.isHighlighted());
        QCOMPARE(view.subviewsAlpha(), 1.0);
        QTRY_COMPARE_WITH_TIMEOUT(pixelAt({10, 10}), QColor(Qt::black), 3000);
        QCOMPARE(pixelAt({150, 100}).rgb(), Utils::ColorBG().rgb());

        // A drag that offers no copy does not light the view.
        QDragEnterEvent moveOnly(QPoint(10, 10), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &moveOnly);
        QVERIFY(!view.isHighlighted());
    }

    void dropEventsListFilesUnlessRefused()
    {
        OwnedList list(1);
        DropView &view = list.view;
        QMimeData mime;
        mime.setUrls({file("a.mp3"), file("b.mp3")});
        QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &enter);
        QVERIFY(view.isHighlighted());
        QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &drop);
        QVERIFY(drop.isAccepted());
        QVERIFY(!view.isHighlighted());
        QCOMPARE(names(view.files()), (QStringList{"a.mp3", "b.mp3"}));
        QCOMPARE(list.owner.calls.size(), 1);

        // A refused drop reads nothing, tells no owner and does not leave the view lit.
        QVERIFY(view.allowDrop());
        view.setAllowDrop(false);
        view.cleanTable(nullptr);
        view.setHighlighted(true);
        QVERIFY(!view.takeDrop(&mime));
        QVERIFY(!view.isHighlighted());
        QDropEvent refused(QPointF(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &refused);
        QVERIFY(!refused.isAccepted());
        QVERIFY(view.files().isEmpty());
        QCOMPARE(list.owner.calls.size(), 1);
    }
};

QTEST_MAIN(TestDropView)
#include "tst_dropview.moc"
