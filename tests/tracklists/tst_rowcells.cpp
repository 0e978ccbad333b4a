// What the rows of each list show, read from real files, and how the cells draw them.
#include "app/common/Utils.h"
#include "tests/support/AudioFiles.h"
#include "tracks/files/FileDates.h"
#include "tracks/lists/DatePreviewCell.h"
#include "tracks/lists/DropView.h"
#include "tracks/lists/RatingCell.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The system log's lines not taken yet; other messages go on as before.
QStringList logged;
QtMessageHandler otherMessages = nullptr;

void catchSystemLog(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "melvora.syslog") == 0)
        logged.append(message);
    else
        otherMessages(type, context, message);
}

// Whether some pixel in the area has (about) the colour: glyph stems have the pen's.
bool hasColour(const QImage &image, const QRect &area, const QColor &colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) <= 12 && qAbs(c.green() - colour.green()) <= 12 &&
                qAbs(c.blue() - colour.blue()) <= 12)
                return true;
        }
    return false;
}

bool allColour(const QImage &image, const QRect &area, const QColor &colour)
{
    QImage filled(area.size(), image.format());
    filled.fill(colour);
    return image.copy(area) == filled;
}

// A list with its table, shown offscreen.
struct ListFixture
{
    explicit ListFixture(int action, const QList<QUrl> &files = {}, const QDateTime &toDate = {})
    {
        view.setCurrentAction(action);
        view.setFiles(files);
        view.setToDate(toDate);
        view.attachTable(&table);
        table.horizontalHeader()->setDefaultSectionSize(280);
        table.resize(900, 200);
        table.show();
    }

    QImage shot() { return table.viewport()->grab().toImage(); }
    QModelIndex at(int row, int column) { return table.model()->index(row, column); }
    QRect cell(int row, int column) { return table.visualRect(at(row, column)); }

    DropView view;
    QTableView table;
};
} // namespace

class TestRowCells : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Q_INIT_RESOURCE(resources);
        otherMessages = qInstallMessageHandler(catchSystemLog);
    }

    void fileListsShowNamesDatesTrackNumbersAndPreviews()
    {
        // A tagged file, an untagged one, one that is not audio, one that is gone.
        QTemporaryDir dir;
        QList<QUrl> files;
        for (const char *name : {"07 Seventh.mp3", "untagged.mp3", "notes.mp3", "gone.mp3"})
            files << QUrl::fromLocalFile(dir.filePath(name));
        const auto path = [&](int row) { return files.at(row).toLocalFile(); };
        QVERIFY(AudioFiles::writeMp3(path(0), {"Seventh", "Artist", "Album", "7/12"}));
        QVERIFY(AudioFiles::writeMp3(path(1), {"Untagged", "Artist", "Album", ""}));
        QVERIFY(AudioFiles::writeNonAudio(path(2)));
        const QDateTime past(QDate(2021, 5, 6), QTime(7, 8, 9), Qt::UTC);
        QVERIFY(FileDates::setModificationDate(files.at(0), FileTime::fromDateTime(past)));

        const QDateTime chosen(QDate(2019, 12, 31), QTime(23, 59, 58));
        // The date M(odified), C(reated) or S(et), the T(rack number, "7/12" shown as "07").
        const auto expected = [&](char shows, int row) {
            if (shows == 'T')
                return QVariant(row == 0 ? QStringLiteral("07") : QStringLiteral("-"));
            if (shows == 'S')
                return QVariant(chosen);
            if (shows == '-')
                return QVariant();
            const auto date =
                shows == 'M' ? FileDates::modificationDate(files.at(row)) : FileDates::creationDate(files.at(row));
            return date ? QVariant(date->toDateTime()) : QVariant();
        };
        QCOMPARE(expected('M', 0).toDateTime(), past);
        // Per list: the second and third column, and the preview in the second.
        for (const auto &[action, shows] : {std::pair(0, "MCS"), {1, "MCC"}, {2, "MT-"}, {5, "T--"}}) {
            ListFixture list(action, files, chosen);
            for (int row = 0; row < files.size(); ++row) {
                QCOMPARE(list.at(row, 0).data().toString(), files.at(row).fileName());
                QCOMPARE(list.at(row, 1).data(), expected(shows[0], row));
                QCOMPARE(list.at(row, 2).data(), expected(shows[1], row));
                QCOMPARE(list.at(row, 1).data(TrackListModel::PreviewRole), expected(shows[2], row));
            }
        }
        // The Date Added list shows what the library holds, once it is known.
        ListFixture added(5, files);
        added.view.model()->setLibraryDates({{files.at(0), past}, {files.at(1), QDateTime()}});
        QCOMPARE(added.at(0, 2).data(), QVariant(past));
        QCOMPARE(added.at(1, 2).data().toString(), QStringLiteral("Not in the library"));
        QCOMPARE(added.at(2, 2).data(), QVariant());

        // The first list drawn: 30-point rows in the row colours, unselected and then selected.
        ListFixture list(0, files, chosen);
        QCOMPARE(list.table.rowHeight(0), 30);
        const DatePreviewCell::Layout layout = DatePreviewCell::layout(list.cell(0, 1));
        for (const bool selected : {false, true}) {
            const QImage shot = list.shot();
            const QColor fill = selected ? Utils::ColorSidebar() : Utils::ColorBG();
            const QColor title = selected ? QColor(Qt::white) : Utils::ColorSidebar();
            for (int column = 0; column < 3; ++column) {
                const QRect cell = list.cell(0, column);
                QVERIFY(allColour(shot, QRect(cell.left(), cell.top() + 2, cell.width(), 1), fill));
                // The separator runs along the whole bottom line of the row, and is one point high.
                QVERIFY(allColour(shot, QRect(cell.left(), cell.bottom(), cell.width(), 1), Utils::ColorBorder()));
                QVERIFY(!allColour(shot, QRect(cell.left(), cell.bottom() - 1, cell.width(), 1), Utils::ColorBorder()));
            }
            QVERIFY(hasColour(shot, list.cell(0, 0), title));
            QVERIFY(hasColour(shot, layout.title, title));
            QVERIFY(hasColour(shot, layout.preview, selected ? Utils::ColorPreviewLighter() : Utils::ColorPreview()));
            // The row below keeps its own state.
            QCOMPARE(shot.pixelColor(list.cell(1, 0).topLeft() + QPoint(2, 2)).rgb(), Utils::ColorBG().rgb());
            list.table.selectRow(0);
        }

        // Nothing is cached: a file changed on disk shows its new date at once.
        const FileTime later = FileTime::fromDateTime(QDateTime(QDate(2030, 1, 1), QTime(0, 0, 1), Qt::UTC));
        QVERIFY(FileDates::setModificationDate(files.at(1), later));
        QCOMPARE(list.at(1, 1).data().toDateTime(), later.toDateTime());

        // Cells show dates in the user's locale, to the second.
        const QString text = trackListDateText(chosen);
        QCOMPARE(SimpleTextCell::text(chosen), text);
        QVERIFY2(text != trackListDateText(chosen.addSecs(1)), qPrintable(text));
        QVERIFY(text.contains(QLocale().toString(chosen.date(), QLocale::ShortFormat)));
    }

    // Track lists: what the rows hold, the stars each row is built with (one
    // log line per row built, not per repaint), and previews beside the value.
    void trackListsShowPlaysStarsAndPreviews()
    {
        const QUrl gone = QUrl::fromLocalFile(QStringLiteral("/nonexistent/gone.mp3"));
        const QList<TrackObject> tracks{
            TrackObject::initWithName("Song", "Singer", QUrl(), 7, 60),
            TrackObject::initWithName("Other", "Band", QUrl(), 0, 99),
            TrackObject::initWithName("Gone", "", gone, 0, 19),
        };
        ListFixture plays(3);
        plays.view.setTracks(tracks);
        QCOMPARE(plays.at(0, 0).data().toString(), QStringLiteral("Song"));
        QCOMPARE(plays.at(0, 1).data().toString(), QStringLiteral("Singer"));
        QCOMPARE(plays.at(0, 2).data().toInt(), 7);

        ListFixture ratings(4);
        ratings.view.setTracks(tracks);
        QVERIFY(QTest::qWaitForWindowExposed(&ratings.table));
        QImage shot = ratings.shot();
        QCOMPARE(std::exchange(logged, {}), (QStringList{"rating:3", "rating:4", "rating:0"}));
        // Three stars of five, lighter ones on a selected row, the separator kept.
        const QRect cell = ratings.cell(0, 2);
        const QImage normalStar = shot.copy(RatingCell::starRect(cell, 1));
        QVERIFY(!allColour(shot, RatingCell::starRect(cell, 3), Utils::ColorBG()));
        QVERIFY(allColour(shot, RatingCell::starRect(cell, 4), Utils::ColorBG()));
        ratings.table.selectRow(0);
        shot = ratings.shot();
        QVERIFY(shot.copy(RatingCell::starRect(cell, 1)) != normalStar);
        QVERIFY(allColour(shot, RatingCell::starRect(cell, 4), Utils::ColorSidebar()));
        QVERIFY(allColour(shot, QRect(cell.left(), cell.bottom(), cell.width(), 1), Utils::ColorBorder()));
        QCOMPARE(std::exchange(logged, {}), QStringList());
        // A reload of one row rebuilds that row only, with the new value.
        TrackObject changed = tracks.at(1);
        changed.rating = 20;
        ratings.view.updateTrack(1, changed);
        ratings.view.reloadRows({1}, 2);
        ratings.shot();
        QCOMPARE(std::exchange(logged, {}), QStringList{"rating:1"});
        ratings.view.reloadData();
        ratings.shot();
        QCOMPARE(std::exchange(logged, {}).size(), 3);
        ratings.table.clearSelection();

        // "current → new", the new value in the preview colour; a row its
        // last run could not change says so instead.
        for (ListFixture *list : {&plays, &ratings}) {
            list->view.model()->setPreviews({100, {}, 60});
            QSignalSpy redrawn(list->view.model(), &QAbstractItemModel::dataChanged);
            list->view.model()->setPreviews({100, {}, 80});
            QCOMPARE(redrawn.size(), 1);
            QCOMPARE(redrawn.first().at(0).value<QModelIndex>(), list->at(2, 2));
            QCOMPARE(redrawn.first().at(1).value<QModelIndex>(), list->at(2, 2));
            list->view.model()->setOutcome({gone}, {{gone, QStringLiteral("Gone")}});
            QCOMPARE(list->at(2, 2).data(TrackListModel::PreviewRole), QVariant());

            QVERIFY(QTest::qWaitForWindowExposed(&list->table));
            shot = list->shot();
            const QRect withPreview = list->cell(0, 2), without = list->cell(1, 2);
            if (list == &plays) {
                QVERIFY(hasColour(shot, withPreview, Utils::ColorPreview()));
                QVERIFY(!hasColour(shot, without, Utils::ColorPreview()));
                QCOMPARE(list->at(2, 2).data().toString(), QStringLiteral("not changed"));
            } else {
                // Three stars, then all five new ones; none new on the row without a preview.
                QVERIFY(allColour(shot, RatingCell::starRect(withPreview, 4), Utils::ColorBG()));
                QVERIFY(hasColour(shot, RatingCell::previewStarRect(withPreview, 5), Utils::ColorPreview()));
                QVERIFY(allColour(shot, RatingCell::previewStarRect(without, 1), Utils::ColorBG()));
            }
            QVERIFY(!hasColour(shot, list->cell(2, 2), Utils::ColorPreview()));
            // New rows, new previews: the tool sets them again.
            list->view.setTracks(tracks);
            QCOMPARE(list->view.model()->previews(), QList<QVariant>());
        }
    }
};

QTEST_MAIN(TestRowCells)
#include "tst_rowcells.moc"
