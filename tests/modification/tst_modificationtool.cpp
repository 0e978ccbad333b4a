// The Date Modified tool as a user meets it, over real files; no library runs.
#include "tests/modification/ModificationFixture.h"
#include "tests/support/FileDialogAnswer.h"

#include "tools/modification/ClockFace.h"
#include "tracks/lists/DropHintImage.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QFileDialog>
#include <QGraphicsOpacityEffect>
#include <QTimer>

#include <functional>

namespace {
// Clicks Same as File… and answers its dialog (found by name, shown or not)
// until the click returns: it may ignore an answer while still reading the
// folder, and one that comes before it waits would leave it waiting hidden.
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
    void navigationAndLists()
    {
        ModificationFixture f;
        auto *pages = f.child<QStackedWidget>("tabView");
        auto *back = f.child("backButton");
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(!back->isVisible());

        const QList<QUrl> files = f.makeFiles(4);
        // Each action twice in a row: after Back it can be chosen again at once,
        // and entering empties its list.
        for (int action : {0, 0, 1, 1, 2, 2}) {
            f.choose(action);
            QCOMPARE(pages->currentIndex(), action + 1);
            QVERIFY(f.listed(action).isEmpty());
            QTRY_VERIFY(back->isVisible() && back->x() + back->width() > 0);
            f.drop(action, files);
            f.click("backButton");
            QCOMPARE(pages->currentIndex(), 0);
            QCOMPARE(f.listed(action), files); // leaving keeps the list
        }
        QTRY_VERIFY(!back->isVisible());
        QVERIFY(back->x() + back->width() <= 13);
        // Entering another action empties only that one and shows its drop hint.
        f.choose(1);
        QVERIFY(f.listed(1).isEmpty());
        QCOMPARE(f.listed(2), files);
        QTRY_COMPARE(f.child<DropHintImage>("dropInfoImageCCD")->opacity(), 1.0);

        // Removing the selected rows and clearing, on a list just entered.
        f.click("backButton");
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
        table->selectAll();
        table->actions().first()->trigger(); // the context menu's Remove
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

    // Before Set each list shows what its rows will become, following every
    // change of list, order and direction; the run then writes exactly that.
    void previewsShowWhatTheRunWrites()
    {
        ModificationFixture f;
        // Copy Creation Date: each file's own birth time.
        const QList<QUrl> copied = f.makeFiles(3, QStringLiteral("Copied"));
        for (const QUrl &file : copied)
            QVERIFY(FileDates::setModificationDate(file, FileTime{1'500'000'000, 0}));
        f.choose(1);
        f.drop(1, copied);
        const QList<QVariant> born = f.previews(1);
        QVERIFY(f.runAndWait(1));
        for (int row = 0; row < copied.size(); ++row) {
            if (born.at(row).metaType().id() == QMetaType::QDateTime)
                QCOMPARE(ModificationFixture::modified(copied.at(row)).toDateTime(), born.at(row).toDateTime());
            else // the file system keeps no birth time: the run leaves the file
                QCOMPARE(born.at(row).toString(), QStringLiteral("no creation date"));
        }
        f.click("backButton");

        // Sort by Track Number.
        const QUrl c = f.makeFile(QStringLiteral("c.mp3"), QStringLiteral("1/4"));
        const QUrl a = f.makeFile(QStringLiteral("a.mp3"), QStringLiteral("3"));
        const QUrl b = f.makeFile(QStringLiteral("b.mp3"));
        const QUrl d = f.makeFile(QStringLiteral("d.mp3"), QStringLiteral("2"));
        const QUrl e = f.makeFile(QStringLiteral("e.mp3"), QStringLiteral("10"));
        // A file that vanished from the disk: no track number, "c gone" before "c" by name.
        const QUrl gone = QUrl::fromLocalFile(f.dir.filePath(QStringLiteral("c gone.mp3")));
        const qint64 base = ModificationFixture::trackNumberBase({a, b, c, d, e});
        const auto at = [base](qint64 seconds) { return QVariant(FileTime{base + seconds, 0}.toDateTime()); };
        // Entering again resets the key to track number and the direction to first track oldest.
        f.choose(2);
        f.click("radioTN1Name");
        f.click("radioTN2Latest");
        f.click("backButton");
        f.choose(2);
        f.drop(2, {a, b, c, d});
        QCOMPARE(f.listed(2), (QList<QUrl>{c, d, a, b}));
        QTRY_VERIFY(f.previews(2).first().isValid());
        // A later drop and a change of key re-sort the whole list.
        f.drop(2, {gone, e});
        QCOMPARE(f.listed(2), (QList<QUrl>{c, d, a, e, b, gone}));
        QTRY_COMPARE(f.previews(2), (QList<QVariant>{at(0), at(1), at(2), at(3), at(4), at(5)}));
        // The direction and the order change what each row shows, at once.
        f.click("radioTN2Latest");
        QCOMPARE(f.previews(2), (QList<QVariant>{at(6), at(5), at(4), at(3), at(2), at(1)}));
        f.click("radioTN1Name");
        const QList<QUrl> byName{a, b, gone, c, d, e};
        QCOMPARE(f.listed(2), byName);
        QCOMPARE(f.previews(2), (QList<QVariant>{at(6), at(5), at(4), at(3), at(2), at(1)}));
        f.click("radioTN2Earliest");
        QCOMPARE(f.previews(2), (QList<QVariant>{at(0), at(1), at(2), at(3), at(4), at(5)}));
        // The missing file stays missing and its row says why.
        QVERIFY(f.runAndWait(2));
        for (int i = 0; i < byName.size(); ++i)
            QCOMPARE(ModificationFixture::modified(byName[i]), (FileTime{i == 2 ? -1 : base + i, 0}));
        QCOMPARE(f.previews(2).at(2).toString(), QStringLiteral("not changed: no such file or directory"));
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
            if (action == 0)
                f.child<QDateEdit>("datePicker1")->setDate(QDate(2026, 12, 28));
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
