// The Date Modified tool as a user meets it: navigation, lists, the date
// controls and the runs over real files. The library is not running.
#include "tests/modification/ModificationFixture.h"
#include "tests/support/FileDialogAnswer.h"

#include "tools/modification/ClockFace.h"
#include "tracks/lists/DropHintImage.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QFileDialog>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QTimer>

#include <functional>

namespace {
// Clicks Same as File… and answers its dialog again and again until the
// click returns: the dialog may ignore an answer while it is still reading
// the folder, and an answer that comes while it is being shown, before it
// waits, would leave it waiting hidden. The dialog is found by name, shown
// or not.
void sameAs(const ModificationFixture &f, const std::function<void(QFileDialog *)> &answer)
{
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&f, &answer] {
        if (auto *dialog = f.tool->findChild<QFileDialog *>(QStringLiteral("sameAsDialog")))
            answer(dialog);
    });
    poll.start(10);
    f.click("sameAsButtonSMD");
}
} // namespace

class ModificationToolTest : public QObject
{
    Q_OBJECT
private slots:
    void navigationEmptiesEachActionOnEntry()
    {
        ModificationFixture f;
        auto *pages = f.child<QStackedWidget>("tabView");
        auto *back = f.child("backButton");
        auto *title = f.child<QLabel>("tabTitle");
        const QString home = QStringLiteral("Set \"Date Modified\"");
        // A fresh tool shows the action list.
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(!back->isVisible());
        QCOMPARE(title->text(), home);

        const QList<QUrl> files = f.makeFiles(2);
        const QStringList titles{QStringLiteral("Set Modification Date"), QStringLiteral("Copy Creation Date to Modification Date"),
                                 QStringLiteral("Sort Modification Date by Track Number")};
        // Each action twice in a row: after Back it can be chosen again at once,
        // and entering empties its list.
        for (int action : {0, 0, 1, 1, 2, 2}) {
            f.choose(action);
            QCOMPARE(pages->currentIndex(), action + 1);
            QCOMPARE(title->text(), titles[action]);
            QVERIFY(f.listed(action).isEmpty());
            QTRY_VERIFY(back->isVisible() && back->x() + back->width() > 0);
            f.drop(action, files);
            f.click("backButton");
            QCOMPARE(pages->currentIndex(), 0);
            QCOMPARE(title->text(), home);
            QCOMPARE(f.listed(action), files); // leaving keeps the list
        }
        QTRY_VERIFY(!back->isVisible());
        QVERIFY(back->x() + back->width() <= 13);
        // Entering another action empties only that one and shows its drop hint.
        f.choose(1);
        QVERIFY(f.listed(1).isEmpty());
        QCOMPARE(f.listed(2), files);
        QTRY_COMPARE(f.child<DropHintImage>("dropInfoImageCCD")->opacity(), 1.0);
    }

    // The Delete key, the Remove button and the context menu remove the
    // selected rows; Clear empties the list.
    void removingAndClearing()
    {
        ModificationFixture f;
        const QList<QUrl> files = f.makeFiles(4);
        f.choose(0);
        f.drop(0, files);
        QTableView *table = f.tool->trackTable(0);
        auto *tableFade = qobject_cast<QGraphicsOpacityEffect *>(table->graphicsEffect());
        auto *hint = f.child<DropHintImage>("dropInfoImageSMD");
        table->setFocus();
        table->clearSelection();
        QTest::keyClick(table, Qt::Key_Delete); // nothing selected: nothing changes
        QCOMPARE(f.listed(0), files);
        table->selectRow(0);
        table->selectionModel()->select(table->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(f.listed(0), (QList<QUrl>{files[1], files[3]}));
        table->selectRow(0);
        f.click("removeButtonSMD");
        QCOMPARE(f.listed(0), QList<QUrl>{files[3]});
        QCOMPARE(table->contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(table->actions().first()->text(), QStringLiteral("Remove"));
        table->selectAll();
        table->actions().first()->trigger();
        QVERIFY(f.listed(0).isEmpty());
        QTRY_COMPARE(hint->opacity(), 1.0);
        QCOMPARE(tableFade->opacity(), 0.0);

        f.drop(0, files);
        f.click("clearButtonSMD");
        QVERIFY(f.listed(0).isEmpty());
        // Files dropped while the table is still fading out: the list is shown.
        f.drop(0, files);
        QTRY_COMPARE(tableFade->opacity(), 1.0);
        QVERIFY(table->isVisible());
        QCOMPARE(hint->opacity(), 0.0);
    }

    void setModificationDate()
    {
        ModificationFixture f;
        const QList<QUrl> files = f.makeFiles(5); // written before the moment of entering
        const QDateTime before = QDateTime::currentDateTime();
        f.choose(0);
        const QDateTime entered = f.tool->selectedDateSMD();
        QVERIFY(before <= entered && entered <= QDateTime::currentDateTime());
        f.drop(0, files);
        // Set right after entering gives every file the moment of entering, milliseconds kept.
        QVERIFY(f.runAndWait(0));
        for (const QUrl &file : files)
            QCOMPARE(ModificationFixture::modified(file), FileTime::fromDateTime(entered));
        QCOMPARE(f.listed(0), files); // the list stays for another run

        auto *calendar = f.child<QCalendarWidget>("datePicker2");
        auto *timeField = f.child<QTimeEdit>("timePicker1");
        auto *clock = f.child<ClockFace>("timePicker2");
        // Both controls of each kind, the moment a run writes and the preview in the rows.
        const auto expect = [&](const QDate &day, const QTime &time) {
            QCOMPARE(f.child<QDateEdit>("datePicker1")->date(), day);
            QCOMPARE(calendar->selectedDate(), day);
            // The field may hold a fraction of a second it does not show.
            QCOMPARE(timeField->time().toString(Qt::ISODate), time.toString(Qt::ISODate));
            QCOMPARE(clock->time(), time);
            QCOMPARE(f.tool->selectedDateSMD(), QDateTime(day, time));
            QCOMPARE(f.tool->dropView(0)->toDate(), f.tool->selectedDateSMD());
        };
        // The day from the calendar, the time from the field; each shortcut twice.
        const QDate day(2013, 5, 1);
        calendar->setSelectedDate(day);
        for (const auto &[button, cut] : {std::pair("set0000ButtonSMD", QTime(14, 0, 0)), std::pair("set00ButtonSMD", QTime(14, 37, 0))}) {
            timeField->setTime(QTime(14, 37, 52));
            expect(day, QTime(14, 37, 52));
            for (int twice = 0; twice < 2; ++twice) {
                f.click(button);
                expect(day, cut);
            }
        }

        // Dragging the minute hand (two thirds of the way out) from twelve to three.
        const QPoint centre = clock->rect().center();
        const int r = std::min(clock->width(), clock->height()) / 3;
        timeField->setTime(QTime(10, 20, 30));
        QTest::mousePress(clock, Qt::LeftButton, {}, centre - QPoint(0, r));
        QTest::mouseMove(clock, centre + QPoint(r, 0));
        QTest::mouseRelease(clock, Qt::LeftButton, {}, centre + QPoint(r, 0));
        expect(day, QTime(10, 15, 30));
        // Today keeps the time.
        timeField->setTime(QTime(6, 5, 4));
        f.click("setTodayButtonSMD");
        expect(QDate::currentDate(), QTime(6, 5, 4));

        // Same as another file, cancelled: nothing changes.
        sameAs(f, [](QFileDialog *dialog) { dialog->reject(); });
        expect(QDate::currentDate(), QTime(6, 5, 4));
        // A file modified at D: day and time both come from D, without its fraction of a second.
        const QUrl other = f.makeFile(QStringLiteral("other.mp3"));
        QVERIFY(FileDates::setModificationDate(other, FileTime::fromDateTime({{2011, 7, 9}, {8, 7, 6, 789}})));
        sameAs(f, [other](QFileDialog *dialog) { answerWithPath(dialog, other.toLocalFile()); });
        expect(QDate(2011, 7, 9), QTime(8, 7, 6));
    }

    void sortByTrackNumber()
    {
        ModificationFixture f;
        const QUrl c = f.makeFile(QStringLiteral("c.mp3"), QStringLiteral("1/4"));
        const QUrl a = f.makeFile(QStringLiteral("a.mp3"), QStringLiteral("3"));
        const QUrl b = f.makeFile(QStringLiteral("b.mp3"));
        const QUrl d = f.makeFile(QStringLiteral("d.mp3"), QStringLiteral("2"));
        const QUrl e = f.makeFile(QStringLiteral("e.mp3"), QStringLiteral("10"));
        // A file that vanished from the disk: no track number, "c gone" before "c" by name.
        const QUrl gone = QUrl::fromLocalFile(f.dir.filePath(QStringLiteral("c gone.mp3")));
        const qint64 base = ModificationFixture::trackNumberBase({a, b, c, d, e});
        // Entering again resets the key to track number and the direction to first track oldest.
        f.choose(2);
        f.click("radioTN1Name");
        f.click("radioTN2Latest");
        f.click("backButton");
        f.choose(2);
        f.drop(2, {a, b, c, d});
        QCOMPARE(f.listed(2), (QList<QUrl>{c, d, a, b}));
        // A later drop and a change of key re-sort the whole list.
        f.drop(2, {gone, e});
        QCOMPARE(f.listed(2), (QList<QUrl>{c, d, a, e, b, gone}));
        f.click("radioTN1Name");
        const QList<QUrl> byName{a, b, gone, c, d, e};
        QCOMPARE(f.listed(2), byName);
        // First track oldest: base, base + 1, ...; the missing file keeps its place (and stays missing).
        QVERIFY(f.runAndWait(2));
        for (int i = 0; i < byName.size(); ++i)
            QCOMPARE(ModificationFixture::modified(byName[i]), (FileTime{i == 2 ? -1 : base + i, 0}));
    }

    // Before Set each list shows what its rows will become, following every
    // change of list, order and direction; the run then writes exactly that.
    // A row the run could not change says so instead.
    void previewsShowWhatTheRunWrites()
    {
        ModificationFixture f;
        const auto previews = [&f](int action) {
            QList<QVariant> shown;
            const TrackListModel *rows = f.tool->dropView(action)->model();
            for (int row = 0; row < rows->rowCount(); ++row)
                shown << rows->index(row, 1).data(TrackListModel::PreviewRole);
            return shown;
        };
        const auto expectWritten = [&f](const QList<QVariant> &shown, const QList<QUrl> &files) {
            for (int row = 0; row < files.size(); ++row) {
                if (shown.at(row).metaType().id() == QMetaType::QDateTime)
                    QCOMPARE(ModificationFixture::modified(files.at(row)).toDateTime(), shown.at(row).toDateTime());
                else // the file system keeps no birth time: the run leaves the file
                    QCOMPARE(shown.at(row).toString(), QStringLiteral("no creation date"));
            }
        };

        // Copy Creation Date: each file's own birth time.
        const QList<QUrl> copied = f.makeFiles(3, QStringLiteral("Copied"));
        for (const QUrl &file : copied)
            QVERIFY(FileDates::setModificationDate(file, FileTime{1'500'000'000, 0}));
        f.choose(1);
        f.drop(1, copied);
        const QList<QVariant> born = previews(1);
        QVERIFY(f.runAndWait(1));
        expectWritten(born, copied);
        f.click("backButton");

        // Sort by Track Number, the files listed in two drops.
        QList<QUrl> sorted;
        for (int i = 0; i < 4; ++i)
            sorted << f.makeFile(QStringLiteral("Sorted %1.mp3").arg(i), QString::number(4 - i));
        f.choose(2);
        f.drop(2, sorted.mid(0, 2));
        QTRY_COMPARE(previews(2).size(), 2);
        QTRY_VERIFY(previews(2).first().isValid());
        f.drop(2, sorted.mid(2));
        const qint64 base = ModificationFixture::trackNumberBase(sorted);
        const auto at = [base](qint64 seconds) { return QVariant(FileTime{base + seconds, 0}.toDateTime()); };
        const QList<QUrl> byTrack{sorted[3], sorted[2], sorted[1], sorted[0]};
        QCOMPARE(f.listed(2), byTrack);
        QTRY_COMPARE(previews(2), (QList<QVariant>{at(0), at(1), at(2), at(3)}));
        // The direction and the order change what each row shows, at once.
        f.click("radioTN2Latest");
        QCOMPARE(previews(2), (QList<QVariant>{at(4), at(3), at(2), at(1)}));
        f.click("radioTN1Name");
        QCOMPARE(f.listed(2), sorted);
        QCOMPARE(previews(2), (QList<QVariant>{at(4), at(3), at(2), at(1)}));
        // A file gone before Set keeps its date and its row says why.
        QVERIFY(QFile::remove(sorted[1].toLocalFile()));
        const QList<QVariant> expected = previews(2);
        QVERIFY(f.runAndWait(2));
        for (int row : {0, 2, 3})
            QCOMPARE(ModificationFixture::modified(sorted[row]).toDateTime(), expected[row].toDateTime());
        const TrackListModel *rows = f.tool->dropView(2)->model();
        QCOMPARE(rows->index(1, 1).data(TrackListModel::PreviewRole).toString(),
                 QStringLiteral("not changed: no such file or directory"));
    }

    // At the tool's default size every date shows in full, two-digit days
    // and the preview beside the current date included; names give way.
    void datesShowInFull()
    {
        ModificationFixture f;
        const QList<QUrl> files = f.makeFiles(2, QStringLiteral("A rather long name for a track of an album, live, remastered"));
        const QDateTime wide(QDate(2026, 12, 15), QTime(17, 47, 37));
        for (const QUrl &file : files)
            QVERIFY(FileDates::setModificationDate(file, FileTime::fromDateTime(wide)));
        for (int action : {0, 1, 2}) {
            f.choose(action);
            f.drop(action, files);
            if (action == 0) {
                f.tool->findChild<QDateEdit *>(QStringLiteral("datePicker1"))->setDate(QDate(2026, 12, 28));
            }
            QTableView *table = f.tool->trackTable(action);
            QTRY_VERIFY(table->isVisible());
            QTRY_VERIFY(table->model()->index(1, 1).data(TrackListModel::PreviewRole).isValid());
            QStyleOptionViewItem option;
            option.initFrom(table);
            for (int column : {1, 2}) {
                for (int row = 0; row < files.size(); ++row) {
                    const QModelIndex index = table->model()->index(row, column);
                    if (!index.data().canConvert<QDateTime>() || index.data().toString().isEmpty())
                        continue;
                    const int needed = table->itemDelegateForColumn(column)->sizeHint(option, index).width();
                    QVERIFY2(table->columnWidth(column) >= needed,
                             qPrintable(QStringLiteral("action %1 column %2: %3 < %4").arg(action).arg(column)
                                            .arg(table->columnWidth(column)).arg(needed)));
                }
            }
            QVERIFY(table->columnWidth(0) < table->fontMetrics().horizontalAdvance(files.first().fileName()));
            f.click("backButton");
        }
    }
};

QTEST_MAIN(ModificationToolTest)
#include "tst_modificationtool.moc"
