// Drops onto a track list: what is listed, what the owner hears, refusal and
// the highlight.
#include "DropView.h"
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
struct RecordingOwner : FileDropDelegate
{
    QList<QList<QUrl>> calls;
    QList<DropView *> senders;
    void fileDropped(const QList<QUrl> &items, DropView *sender) override
    {
        calls.append(items);
        senders.append(sender);
    }
};

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
    void duplicatesAreSkippedButOwnerHearsWholeDrop();
    void onlyFileUrlsAreTaken();
    void refusedDropReadsNothing();
    void listChangesReachTheTable();
    void trackListsKeepOneRowPerFile();
    void highlightFollowsTheDrag();
    void droppedFilesArriveThroughRealDropEvent();
};

void TestDropView::duplicatesAreSkippedButOwnerHearsWholeDrop()
{
    DropView view;
    RecordingOwner owner;
    view.setDelegate(&owner);
    view.setCurrentAction(0);
    QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);

    QVERIFY(view.takeDrop(mimeWith({file("b.mp3"), file("a.mp3"), file("b.mp3")}).get()));
    QCOMPARE(names(view.files()), (QStringList{"b.mp3", "a.mp3"}));
    QCOMPARE(owner.calls.size(), 1);
    QCOMPARE(names(owner.calls.at(0)), (QStringList{"b.mp3", "a.mp3", "b.mp3"}));
    QCOMPARE(owner.senders.at(0), &view);

    // Three files, one already listed: the new two follow in dropped order.
    QVERIFY(view.takeDrop(mimeWith({file("d.mp3"), file("a.mp3"), file("c.mp3")}).get()));
    QCOMPARE(names(view.files()), (QStringList{"b.mp3", "a.mp3", "d.mp3", "c.mp3"}));
    QCOMPARE(owner.calls.size(), 2);
    QCOMPARE(owner.calls.at(1).size(), 3);
    QVERIFY(view.checkDuplicate(file("c.mp3")));
    QVERIFY(!view.checkDuplicate(file("e.mp3")));

    // A file dropped again alone still reaches the owner and adds nothing.
    QVERIFY(view.takeDrop(mimeWith({file("a.mp3")}).get()));
    QCOMPARE(view.files().size(), 4);
    QCOMPARE(owner.calls.size(), 3);

    // The owner's sorted copy replaces the list; duplicates are judged on it.
    view.setFiles({file("z.mp3")});
    QVERIFY(!view.checkDuplicate(file("a.mp3")));
    view.addFilesToArray({file("a.mp3"), file("z.mp3")});
    QCOMPARE(names(view.files()), (QStringList{"z.mp3", "a.mp3"}));

    QTableView table;
    view.attachTable(&table);
    view.cleanTable(&table);
    QCOMPARE(view.files().size(), 0);
    QCOMPARE(table.model()->rowCount(), 0);
    QVERIFY(!view.checkDuplicate(file("z.mp3")));
}

void TestDropView::onlyFileUrlsAreTaken()
{
    DropView view;
    RecordingOwner owner;
    view.setDelegate(&owner);
    view.setCurrentAction(5);

    QMimeData webAndText;
    webAndText.setUrls({QUrl("https://example.org/a.mp3"), QUrl("mailto:someone@example.org")});
    webAndText.setText("/music/album/a.mp3");
    webAndText.setImageData(QImage(4, 4, QImage::Format_RGB32));
    QVERIFY(view.takeDrop(&webAndText));
    QVERIFY(view.files().isEmpty());
    QVERIFY(owner.calls.isEmpty());

    QVERIFY(view.takeDrop(mimeWith({QUrl("https://example.org/x.mp3"), file("odd name #1 ü.mp3")}).get()));
    QCOMPARE(view.files(), QList<QUrl>{file("odd name #1 ü.mp3")});
    QCOMPARE(owner.calls, QList<QList<QUrl>>{{file("odd name #1 ü.mp3")}});

    QVERIFY(view.takeDrop(nullptr));
    QCOMPARE(owner.calls.size(), 1);
}

void TestDropView::refusedDropReadsNothing()
{
    DropView view;
    RecordingOwner owner;
    view.setDelegate(&owner);
    QVERIFY(view.allowDrop());
    view.setAllowDrop(false);
    view.setHighlighted(true);
    QVERIFY(!view.takeDrop(mimeWith({file("a.mp3")}).get()));
    QVERIFY(view.files().isEmpty());
    QVERIFY(owner.calls.isEmpty());
    // A refused drop must not leave the view lit.
    QVERIFY(!view.isHighlighted());

    view.setAllowDrop(true);
    QVERIFY(view.takeDrop(mimeWith({file("a.mp3")}).get()));
    QCOMPARE(view.files().size(), 1);
}

void TestDropView::listChangesReachTheTable()
{
    DropView view;
    view.setCurrentAction(2);
    QTableView table(&view);
    view.attachTable(&table);
    QAbstractItemModelTester tester(table.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(!table.showGrid());
    QCOMPARE(table.verticalHeader()->defaultSectionSize(), 30);
    QCOMPARE(table.model()->columnCount(), 3);

    QSignalSpy inserted(table.model(), &QAbstractItemModel::rowsInserted);
    view.takeDrop(mimeWith({file("1.mp3"), file("2.mp3"), file("1.mp3")}).get());
    QCOMPARE(inserted.size(), 1); // one insertion for the whole drop
    QCOMPARE(table.model()->rowCount(), 2);
    QCOMPARE(table.model()->index(1, 0).data().toString(), QStringLiteral("2.mp3"));

    QSignalSpy changed(table.model(), &QAbstractItemModel::dataChanged);
    view.reloadRows({1, 7, -1}, 2);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), table.model()->index(1, 2));
    view.reloadData();
    QCOMPARE(changed.size(), 2);

    // Switching the list kind switches what rows there are.
    view.setCurrentAction(3);
    QCOMPARE(table.model()->rowCount(), 0);
    view.setCurrentAction(0);
    QCOMPARE(table.model()->rowCount(), 2);
}

void TestDropView::trackListsKeepOneRowPerFile()
{
    DropView view;
    view.setCurrentAction(3);
    QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    view.addTrackToArray(TrackObject::initWithName("One", "A", file("1.mp3"), 3, 40));
    view.addTrackToArray(TrackObject::initWithName("One again", "A", file("1.mp3"), 9, 0));
    view.addTrackToArray(TrackObject::initWithName("Stream", "B", QUrl(), 0, 0));
    view.addTrackToArray(TrackObject::initWithName("Stream", "B", QUrl(), 0, 0));
    view.addTrackToArray(TrackObject::initWithName("Two", "C", file("2.mp3"), 1, 100));
    // A selection holding two tracks of one file lists the first of them.
    QCOMPARE(view.model()->addTracks({TrackObject::initWithName("Take 1", "D", file("3.mp3"), 0, 0),
                                      TrackObject::initWithName("Take 2", "D", file("3.mp3"), 0, 0)}),
             1);
    const QList<TrackObject> tracks = view.tracks();
    QCOMPARE(tracks.size(), 5);
    QCOMPARE(tracks.at(4).name, QStringLiteral("Take 1"));
    QCOMPARE(tracks.at(0).name, QStringLiteral("One"));
    QCOMPARE(tracks.at(0).playsNew, 3);
    QCOMPARE(tracks.at(3).name, QStringLiteral("Two"));
    QCOMPARE(view.model()->rowCount(), 5);

    // A worker's in-place change is seen once the rows are reloaded.
    TrackObject changed = tracks.at(3);
    changed.plays = 12;
    view.updateTrack(3, changed);
    view.updateTrack(99, changed);
    view.reloadRows({3}, 2);
    QCOMPARE(view.model()->index(3, 2).data().toInt(), 12);
}

void TestDropView::highlightFollowsTheDrag()
{
    DropView view;
    view.resize(200, 120);
    auto *child = new QLabel(&view);
    child->setGeometry(0, 0, 50, 50);
    child->setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::black);
    child->setPalette(palette);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    const auto pixelAt = [&view](QPoint point) { return view.grab().toImage().pixelColor(point).rgb(); };
    QCOMPARE(pixelAt({150, 100}), Utils::ColorBG().rgb());

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
    const auto faded = [&] {
        const QColor lit = QColor::fromRgb(pixelAt({150, 100}));
        const QColor child = QColor::fromRgb(pixelAt({10, 10}));
        return qAbs(lit.red() - Utils::ColorBorder().red()) <= 1 &&
               qAbs(lit.blue() - Utils::ColorBorder().blue()) <= 1 &&
               qAbs(child.red() - Utils::ColorBorder().red() / 2) <= 3;
    };
    QTRY_VERIFY_WITH_TIMEOUT(faded(), 3000);

    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(&view, &leave);
    QVERIFY(!view.isHighlighted());
    QCOMPARE(view.subviewsAlpha(), 1.0);
    QTRY_COMPARE_WITH_TIMEOUT(pixelAt({10, 10}), QColor(Qt::black).rgb(), 3000);
    QCOMPARE(pixelAt({150, 100}), Utils::ColorBG().rgb());

    // A drag that offers no copy does not light the view.
    QDragEnterEvent moveOnly(QPoint(10, 10), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &moveOnly);
    QVERIFY(!view.isHighlighted());
}

void TestDropView::droppedFilesArriveThroughRealDropEvent()
{
    DropView view;
    RecordingOwner owner;
    view.setDelegate(&owner);
    view.setCurrentAction(1);
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
    QCOMPARE(owner.calls.size(), 1);

    view.setAllowDrop(false);
    QDropEvent refused(QPointF(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &refused);
    QVERIFY(!refused.isAccepted());
    QCOMPARE(owner.calls.size(), 1);
}

QTEST_MAIN(TestDropView)
#include "tst_dropview.moc"
