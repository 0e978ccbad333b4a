// What the rows of each list show, read from real files, and how the cells
// draw a selected and an unselected row.
#include "AudioFiles.h"
#include "DatePreviewCell.h"
#include "DropView.h"
#include "FileDates.h"
#include "RatingCell.h"
#include "Utils.h"

#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The system log's lines not taken yet. Other messages go on to the handler
// that was there before.
QStringList logged;
QtMessageHandler otherMessages = nullptr;

void catchSystemLog(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "melvora.syslog") == 0)
        logged.append(message);
    else
        otherMessages(type, context, message);
}

QStringList takeLog()
{
    return std::exchange(logged, {});
}

// Whether some pixel in the area has (about) the colour: glyph stems are
// drawn in the pen's colour even when their edges are blended.
bool hasColour(const QImage &image, const QRect &area, const QColor &colour, int tolerance = 12)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) <= tolerance && qAbs(c.green() - colour.green()) <= tolerance &&
                qAbs(c.blue() - colour.blue()) <= tolerance)
                return true;
        }
    return false;
}

bool allColour(const QImage &image, const QRect &area, const QColor &colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y).rgb() != colour.rgb())
                return false;
    return true;
}

// A list with its table, shown offscreen.
struct ListFixture
{
    explicit ListFixture(int action)
    {
        view.setCurrentAction(action);
        view.attachTable(&table);
        table.horizontalHeader()->hide();
        table.horizontalHeader()->setDefaultSectionSize(280);
        table.resize(900, 200);
        table.show();
    }

    QImage shot() { return table.viewport()->grab().toImage(); }
    QRect cell(int row, int column) { return table.visualRect(table.model()->index(row, column)); }
    QVariant value(int row, int column, int role = Qt::DisplayRole)
    {
        return table.model()->index(row, column).data(role);
    }

    DropView view;
    QTableView table;
};

QVariant dateValue(const std::optional<FileTime> &time)
{
    return time ? QVariant(time->toDateTime()) : QVariant();
}
} // namespace

class TestRowCells : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        Q_INIT_RESOURCE(resources);
        otherMessages = qInstallMessageHandler(catchSystemLog);
        QVERIFY(m_dir.isValid());
        m_tagged = m_dir.filePath("07 Seventh.mp3");
        m_untagged = m_dir.filePath("untagged.mp3");
        m_text = m_dir.filePath("notes.mp3");
        QVERIFY(AudioFiles::writeMp3(m_tagged, {"Seventh", "Artist", "Album", "7/12"}));
        QVERIFY(AudioFiles::writeMp3(m_untagged, {"Untagged", "Artist", "Album", ""}));
        QVERIFY(AudioFiles::writeNonAudio(m_text));
        const FileTime past = FileTime::fromDateTime(QDateTime(QDate(2021, 5, 6), QTime(7, 8, 9), Qt::UTC));
        QVERIFY(FileDates::setModificationDate(m_tagged, past));
    }

    void fileListsShowNamesDatesTrackNumbersAndPreviews()
    {
        // A tagged file, an untagged one, one that is not audio, one that is gone.
        const QList<QUrl> files{QUrl::fromLocalFile(m_tagged), QUrl::fromLocalFile(m_untagged),
                                QUrl::fromLocalFile(m_text), QUrl::fromLocalFile(m_dir.filePath("gone.mp3"))};
        const QDateTime chosen(QDate(2019, 12, 31), QTime(23, 59, 58));
        // What a cell shows: the date M(odified), C(reated) or S(et), the T(rack number, "7/12" shown as "07").
        const auto expected = [&](char shows, int row) {
            const QString path = files.at(row).toLocalFile();
            if (shows == 'T')
                return QVariant(row == 0 ? QStringLiteral("07") : QStringLiteral("-"));
            if (shows == 'S')
                return QVariant(chosen);
            if (shows == '-')
                return QVariant();
            return dateValue(shows == 'M' ? FileDates::modificationDate(path) : FileDates::creationDate(path));
        };
        // Per list: the second and the third column, and the preview in the second.
        for (const auto &[action, shows] : {std::pair(0, "MCS"), {1, "MCC"}, {2, "MT-"}, {5, "TC-"}}) {
            ListFixture list(action);
            list.view.setFiles(files);
            list.view.setToDate(chosen);
            for (int row = 0; row < files.size(); ++row) {
                QCOMPARE(list.value(row, 0).toString(), files.at(row).fileName());
                QCOMPARE(list.value(row, 1), expected(shows[0], row));
                QCOMPARE(list.value(row, 2), expected(shows[1], row));
                QCOMPARE(list.value(row, 1, TrackListModel::PreviewRole), expected(shows[2], row));
            }
            QVERIFY(!list.shot().isNull()); // drawing rows of unreadable files is harmless
        }
        QCOMPARE(expected('M', 0).toDateTime(), QDateTime(QDate(2021, 5, 6), QTime(7, 8, 9), Qt::UTC));

        // Nothing is cached: a file changed on disk shows its new date at once.
        ListFixture list(0);
        list.view.setFiles(files);
        const FileTime later = FileTime::fromDateTime(QDateTime(QDate(2030, 1, 1), QTime(0, 0, 1), Qt::UTC));
        QVERIFY(FileDates::setModificationDate(m_untagged, later));
        list.view.reloadData();
        QCOMPARE(list.value(1, 1).toDateTime(), later.toDateTime());

        // Cells show dates in the user's locale, to the second.
        const QString text = trackListDateText(chosen);
        QCOMPARE(SimpleTextCell::text(chosen), text);
        QVERIFY2(text != trackListDateText(chosen.addSecs(1)), qPrintable(text));
        QVERIFY(text.contains(QLocale().toString(chosen.date(), QLocale::ShortFormat)));
    }

    void trackListsShowNamesArtistsPlaysAndStars()
    {
        const QList<TrackObject> tracks{
            TrackObject::initWithName("Song", "Singer", QUrl::fromLocalFile(m_tagged), 7, 60),
            TrackObject::initWithName("Other", "Band", QUrl::fromLocalFile(m_untagged), -3, 99),
            TrackObject::initWithName("Quiet", "", QUrl(), 0, 0),
            TrackObject::initWithName("Top", "", QUrl(), 0, 100),
            TrackObject::initWithName("Almost", "", QUrl(), 0, 19),
        };
        ListFixture plays(3);
        plays.view.setTracks(tracks);
        QCOMPARE(plays.value(0, 0).toString(), QStringLiteral("Song"));
        QCOMPARE(plays.value(0, 1).toString(), QStringLiteral("Singer"));
        QCOMPARE(plays.value(0, 2).toInt(), 7);
        QCOMPARE(SimpleTextCell::text(plays.value(1, 2)), QStringLiteral("-3"));

        ListFixture ratings(4);
        ratings.view.setTracks(tracks);
        QCOMPARE(ratings.value(1, 1).toString(), QStringLiteral("Band"));

        // The stars each row is built with: one log line per row built, not
        // per repaint or selection change.
        QVERIFY(QTest::qWaitForWindowExposed(&ratings.table));
        QImage shot = ratings.shot();
        QCOMPARE(takeLog(), (QStringList{"rating:3", "rating:4", "rating:0", "rating:5", "rating:0"}));

        // Three stars of five, lighter ones on a selected row, the separator kept.
        const QRect cell = ratings.cell(0, 2);
        const QImage normalStar = shot.copy(RatingCell::starRect(cell, 1));
        QVERIFY(!allColour(shot, RatingCell::starRect(cell, 3), Utils::ColorBG()));
        QVERIFY(allColour(shot, RatingCell::starRect(cell, 4), Utils::ColorBG()));
        QVERIFY(allColour(shot, RatingCell::starRect(cell, 5), Utils::ColorBG()));
        ratings.table.selectRow(0);
        shot = ratings.shot();
        QVERIFY(shot.copy(RatingCell::starRect(cell, 1)) != normalStar);
        QVERIFY(allColour(shot, RatingCell::starRect(cell, 4), Utils::ColorSidebar()));
        QVERIFY(allColour(shot, QRect(cell.left(), cell.bottom(), cell.width(), 1), Utils::ColorBorder()));
        QCOMPARE(takeLog(), QStringList());

        // A reload of one row rebuilds that row only, with the new value.
        TrackObject changed = ratings.view.tracks().at(1);
        changed.rating = 20;
        ratings.view.updateTrack(1, changed);
        ratings.view.reloadRows({1}, 2);
        ratings.shot();
        QCOMPARE(takeLog(), QStringList{"rating:1"});
        ratings.view.reloadData();
        ratings.shot();
        QCOMPARE(takeLog().size(), 5);
    }

    void rowsDrawInRowColours()
    {
        ListFixture list(0);
        list.view.setFiles({QUrl::fromLocalFile(m_tagged), QUrl::fromLocalFile(m_untagged)});
        list.view.setToDate(QDateTime(QDate(2020, 2, 2), QTime(2, 2, 2)));
        QVERIFY(QTest::qWaitForWindowExposed(&list.table));
        QCOMPARE(list.table.rowHeight(0), 30);
        const DatePreviewCell::Layout layout = DatePreviewCell::layout(list.cell(0, 1));

        const auto check = [&](bool selected) {
            const QImage shot = list.shot();
            const QColor fill = selected ? Utils::ColorSidebar() : Utils::ColorBG();
            const QColor title = selected ? QColor(Qt::white) : Utils::ColorSidebar();
            for (int column = 0; column < 3; ++column) {
                const QRect cell = list.cell(0, column);
                QCOMPARE(shot.pixelColor(cell.left() + 2, cell.top() + 2).rgb(), fill.rgb());
                QCOMPARE(shot.pixelColor(cell.right() - 2, cell.top() + 2).rgb(), fill.rgb());
                // The separator runs along the whole bottom line of the row, and is one point high.
                QVERIFY(allColour(shot, QRect(cell.left(), cell.bottom(), cell.width(), 1), Utils::ColorBorder()));
                QVERIFY(!allColour(shot, QRect(cell.left(), cell.bottom() - 1, cell.width(), 1), Utils::ColorBorder()));
            }
            QVERIFY(hasColour(shot, list.cell(0, 0), title));
            QVERIFY(hasColour(shot, layout.title, title));
            QVERIFY(selected || !hasColour(shot, layout.title, Utils::ColorPreview()));
            QVERIFY(hasColour(shot, layout.preview, selected ? Utils::ColorPreviewLighter() : Utils::ColorPreview()));
            QCOMPARE(hasColour(shot, layout.preview, Utils::ColorPreview(), 4), !selected);
            // The row below keeps its own state.
            QCOMPARE(shot.pixelColor(list.cell(1, 0).topLeft() + QPoint(2, 2)).rgb(), Utils::ColorBG().rgb());
        };
        check(false);
        list.table.selectRow(0);
        check(true);
    }

private:
    QTemporaryDir m_dir;
    QString m_tagged;   // track "7/12"
    QString m_untagged; // no track number
    QString m_text;     // not audio
};

QTEST_MAIN(TestRowCells)
#include "tst_rowcells.moc"
