// The Date Modified tool as a user meets it: navigation, lists, the date
// controls and the runs over real files. The library is not running.
#include "ModificationFixture.h"

#include "ClockFace.h"
#include "DropHintImage.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QFileDialog>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <functional>

namespace {
qreal opacityOf(QWidget *widget)
{
    if (auto *hint = qobject_cast<DropHintImage *>(widget))
        return hint->opacity();
    auto *effect = qobject_cast<QGraphicsOpacityEffect *>(widget->graphicsEffect());
    return effect && effect->isEnabled() ? effect->opacity() : 1.0;
}

// Answers the next file dialog once it is up, again and again until it has
// closed: the dialog may ignore an answer while it is still reading the folder.
void whenModal(std::function<void(QFileDialog *)> answer)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, dialog = QPointer<QFileDialog>(), seen = false]() mutable {
        if (!seen)
            seen = (dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget()));
        if (seen && (!dialog || !dialog->isVisible()))
            poll->deleteLater(); // done; a later dialog belongs to a later answer
        else if (dialog)
            answer(dialog);
    });
    poll->start(10);
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
        for (int action = 0; action < 3; ++action) {
            f.choose(action);
            QCOMPARE(pages->currentIndex(), action + 1);
            QCOMPARE(title->text(), titles[action]);
            QTRY_VERIFY(back->isVisible() && back->x() + back->width() > 0);
            f.drop(action, files);
            f.click("backButton");
            QCOMPARE(pages->currentIndex(), 0);
            QCOMPARE(title->text(), home);
            // Leaving keeps the list; choosing the same action again at once empties it.
            QCOMPARE(f.listed(action), files);
            f.choose(action);
            QVERIFY(f.listed(action).isEmpty());
            f.drop(action, files);
            f.click("backButton");
            QTRY_VERIFY(!back->isVisible());
            QVERIFY(back->x() + back->width() <= 13);
        }
        // Entering another action empties only that one and shows its drop hint.
        f.choose(1);
        QVERIFY(f.listed(1).isEmpty());
        QCOMPARE(f.listed(2), files);
        QTRY_COMPARE(opacityOf(f.child<DropHintImage>("dropInfoImageCCD")), 1.0);
    }

    void removingSelectedRows_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("delete key") << QStringLiteral("key");
        QTest::newRow("remove button") << QStringLiteral("button");
        QTest::newRow("context menu") << QStringLiteral("menu");
    }

    void removingSelectedRows()
    {
        QFETCH(QString, how);
        ModificationFixture f;
        const QList<QUrl> files = f.makeFiles(4);
        f.choose(0);
        f.drop(0, files);
        QTableView *table = f.tool->trackTable(0);
        const auto remove = [&] {
            if (how == QLatin1String("key")) {
                table->setFocus();
                QTest::keyClick(table, Qt::Key_Delete);
            } else if (how == QLatin1String("button")) {
                f.click("removeButtonSMD");
            } else {
                QCOMPARE(table->contextMenuPolicy(), Qt::ActionsContextMenu);
                QCOMPARE(table->actions().first()->text(), QStringLiteral("Remove"));
                table->actions().first()->trigger();
            }
        };
        // Nothing selected: nothing changes.
        table->clearSelection();
        remove();
        QCOMPARE(f.listed(0), files);

        for (int row : {0, 2})
            table->selectionModel()->select(table->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        remove();
        QCOMPARE(f.listed(0), (QList<QUrl>{files[1], files[3]}));

        table->selectAll();
        remove();
        QVERIFY(f.listed(0).isEmpty());
        QTRY_COMPARE(opacityOf(f.child<DropHintImage>("dropInfoImageSMD")), 1.0);
        QCOMPARE(opacityOf(table), 0.0);

        // Clear empties the list whatever is selected.
        f.drop(0, files);
        f.click("clearButtonSMD");
        QVERIFY(f.listed(0).isEmpty());
        // Files dropped while the table is still fading out: the list is shown.
        f.drop(0, files);
        QTest::qWait(ModificationViewController::animationMs * 2);
        QVERIFY(table->isVisible());
        QCOMPARE(opacityOf(table), 1.0);
        QCOMPARE(opacityOf(f.child<DropHintImage>("dropInfoImageSMD")), 0.0);
    }

    void dateAndTimeControlsAgree()
    {
        ModificationFixture f;
        f.choose(0);
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

        // Dragging the minute hand from twelve to three; points in units of the clock's radius.
        const auto at = [clock](double x, double y) {
            return (QRectF(clock->rect()).center() + QPointF(x, y) * (std::min(clock->width(), clock->height()) / 2.0 - 3.0)).toPoint();
        };
        timeField->setTime(QTime(10, 20, 30));
        QTest::mousePress(clock, Qt::LeftButton, {}, at(0, -0.65));
        QTest::mouseMove(clock, at(0.65, 0));
        QTest::mouseRelease(clock, Qt::LeftButton, {}, at(0.65, 0));
        expect(day, QTime(10, 15, 30));
        // Today keeps the time.
        timeField->setTime(QTime(6, 5, 4));
        f.click("setTodayButtonSMD");
        expect(QDate::currentDate(), QTime(6, 5, 4));

        // Same as another file, cancelled: nothing changes.
        whenModal([](QFileDialog *dialog) { dialog->reject(); });
        f.click("sameAsButtonSMD");
        expect(QDate::currentDate(), QTime(6, 5, 4));
        // A file modified at D: day and time both come from D, without its fraction of a second.
        const QUrl other = f.makeFile(QStringLiteral("other.mp3"));
        QVERIFY(FileDates::setModificationDate(other.toLocalFile(), FileTime::fromDateTime({{2011, 7, 9}, {8, 7, 6, 789}})));
        whenModal([other](QFileDialog *dialog) {
            // As a user types the path into the file name field.
            auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(field);
            field->setText(other.toLocalFile());
            static_cast<QDialog *>(dialog)->accept();
        });
        f.click("sameAsButtonSMD");
        expect(QDate(2011, 7, 9), QTime(8, 7, 6));
    }

    void setRunGivesEveryFileTheSameMoment()
    {
        ModificationFixture f;
        const QList<QUrl> files = f.makeFiles(5); // written before the moment of entering
        const QDateTime before = QDateTime::currentDateTime();
        f.choose(0);
        const QDateTime entered = f.tool->selectedDateSMD();
        QVERIFY(before <= entered && entered <= QDateTime::currentDateTime());
        f.drop(0, files);
        QVERIFY(f.runAndWait(0));
        // Set right after entering writes the moment of entering, milliseconds kept.
        for (const QUrl &file : files)
            QCOMPARE(ModificationFixture::modified(file), FileTime::fromDateTime(entered));
        QCOMPARE(f.listed(0), files); // the list stays for another run
    }

    void sortByTrackNumber()
    {
        ModificationFixture f;
        const QUrl c = f.makeFile(QStringLiteral("c.mp3"), QStringLiteral("1/4"));
        const QUrl a = f.makeFile(QStringLiteral("a.mp3"), QStringLiteral("3"));
        const QUrl b = f.makeFile(QStringLiteral("b.mp3"));
        const QUrl d = f.makeFile(QStringLiteral("d.mp3"), QStringLiteral("2"));
        const QUrl e = f.makeFile(QStringLiteral("e.mp3"), QStringLiteral("10"));
        // A file that vanished from the disk keeps its place without stopping the run.
        const QUrl gone = QUrl::fromLocalFile(f.dir.filePath(QStringLiteral("zz gone.mp3")));
        const qint64 base = ModificationFixture::trackNumberBase({a, b, c, d, e});
        // Entering again resets the direction to first track oldest.
        f.choose(2);
        f.click("radioTN2Latest");
        f.click("backButton");
        f.choose(2);
        f.drop(2, {a, b, c, d});
        QCOMPARE(f.listed(2), (QList<QUrl>{c, d, a, b}));
        // A later drop re-sorts the whole list.
        f.drop(2, {gone, e});
        const QList<QUrl> byTrack{c, d, a, e, b, gone};
        QCOMPARE(f.listed(2), byTrack);
        // First track oldest: base, base + 1, ...
        QVERIFY(f.runAndWait(2));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(ModificationFixture::modified(byTrack[i]), (FileTime{base + i, 0}));

        // By file name; the direction does not change the order.
        f.click("radioTN1Name");
        const QList<QUrl> byName{a, b, c, d, e, gone};
        QCOMPARE(f.listed(2), byName);
        f.click("radioTN2Latest");
        QCOMPARE(f.listed(2), byName);
        // First track newest, N = 6 with the missing file: base + N, base + N - 1, ...; twice gives the same.
        for (int round = 0; round < 2; ++round) {
            QVERIFY(f.runAndWait(2));
            for (int i = 0; i < 5; ++i)
                QCOMPARE(ModificationFixture::modified(byName[i]), (FileTime{base + 6 - i, 0}));
        }
    }
};

QTEST_MAIN(ModificationToolTest)
#include "tst_modificationtool.moc"
