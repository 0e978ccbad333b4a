// The Date Modified tool as a user meets it: navigation, lists, the date
// controls and the three runs over real files. The library is not running.
#include "ModificationFixture.h"

#include "ClockFace.h"
#include "DropHintImage.h"
#include "ModificationDates.h"
#include "Utils.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QFileDialog>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
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
    poll->setInterval(10);
    struct State
    {
        QPointer<QFileDialog> dialog;
        bool seen = false;
    };
    auto state = std::make_shared<State>();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, state] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            qWarning("unexpected message: %s", qPrintable(box->text()));
            box->reject();
            return;
        }
        if (!state->seen) {
            state->dialog = qobject_cast<QFileDialog *>(modal);
            state->seen = state->dialog;
        } else if (!state->dialog || !state->dialog->isVisible()) {
            // This dialog is done; a later one belongs to a later answer.
            poll->stop();
            poll->deleteLater();
            return;
        }
        if (state->dialog)
            answer(state->dialog);
    });
    poll->start();
}

void setModified(const QUrl &file, const QDateTime &moment)
{
    QVERIFY(FileDates::setModificationDate(file.toLocalFile(), FileTime::fromDateTime(moment)));
}
} // namespace

class ModificationToolTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void freshToolShowsTheActionList();
    void navigationEmptiesEachActionOnEntry();
    void removingSelectedRows_data();
    void removingSelectedRows();
    void timeShortcuts();
    void dayAndTimeComeFromTheirOwnControls();
    void sameAsAnotherFile();
    void setRunGivesEveryFileTheSameMoment();
    void copyCreationDate();
    void trackNumberOrderFollowsDropsAndKey();
    void trackNumberRunInBothDirections();
    void screenshots();
};

void ModificationToolTest::initTestCase()
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

void ModificationToolTest::freshToolShowsTheActionList()
{
    ModificationFixture f;
    QCOMPARE(f.pages()->currentIndex(), 0);
    QCOMPARE(f.tool->selectedAction(), 0);
    QVERIFY(!f.child<QPushButton>("backButton")->isVisible());
    QCOMPARE(f.child<QLabel>("tabTitle")->text(), QStringLiteral("Set \"Date Modified\""));

    auto *list = f.child<QListView>("tableView");
    QCOMPARE(list->model()->rowCount(), 3);
    QCOMPARE(list->model()->index(2, 0).data().toString(), QStringLiteral("Sort Modification Date by Track Number"));
    QCOMPARE(list->visualRect(list->model()->index(1, 0)).height(), 80);
    // Row 0 carries the chosen colour before anything was chosen.
    const QImage rows = list->viewport()->grab().toImage();
    const QRect first = list->visualRect(list->model()->index(0, 0));
    const QRect second = list->visualRect(list->model()->index(1, 0));
    QCOMPARE(rows.pixelColor(first.right() - 6, first.top() + 6).rgb(), Utils::ColorTab().rgb());
    QCOMPARE(rows.pixelColor(second.right() - 6, second.top() + 6).rgb(), Utils::ColorBG().rgb());
}

void ModificationToolTest::navigationEmptiesEachActionOnEntry()
{
    ModificationFixture f;
    const QList<QUrl> files = f.makeFiles(2);
    auto *back = f.child<QPushButton>("backButton");
    auto *title = f.child<QLabel>("tabTitle");
    const QStringList titles{QStringLiteral("Set Modification Date"),
                             QStringLiteral("Copy Creation Date to Modification Date"),
                             QStringLiteral("Sort Modification Date by Track Number")};

    for (int action = 0; action < 3; ++action) {
        f.choose(action);
        QCOMPARE(f.tool->selectedAction(), action);
        QCOMPARE(f.pages()->currentIndex(), action + 1);
        QCOMPARE(title->text(), titles[action]);
        QVERIFY(back->isVisible());
        QTRY_COMPARE(back->x() + back->width() > 0, true);

        f.drop(action, files);
        QCOMPARE(f.tool->dropView(action)->files(), files);
        QTRY_COMPARE(opacityOf(f.tool->trackTable(action)), 1.0);

        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(f.pages()->currentIndex(), 0);
        QCOMPARE(title->text(), QStringLiteral("Set \"Date Modified\""));
        QCOMPARE(f.tool->selectedAction(), -1);
        // Leaving keeps the list; entering again at once empties it.
        QCOMPARE(f.tool->dropView(action)->count(), 2);
        f.choose(action);
        QCOMPARE(f.pages()->currentIndex(), action + 1);
        QCOMPARE(f.tool->dropView(action)->count(), 0);
        f.drop(action, files);
        QTest::mouseClick(back, Qt::LeftButton);
        QTRY_VERIFY(!back->isVisible());
        QVERIFY(back->x() + back->width() <= 13);
    }
    // Entering another action empties only that one.
    f.choose(1);
    QCOMPARE(f.tool->dropView(1)->count(), 0);
    QCOMPARE(f.tool->dropView(2)->count(), 2);
    QTRY_COMPARE(opacityOf(f.tool->trackTable(1)), 0.0);
    QCOMPARE(opacityOf(f.child<DropHintImage>("dropInfoImageCCD")), 1.0);

    // An action outside 0..2 changes no list's hint.
    f.tool->showOrHideDropInfoImage(false, 7);
    f.tool->showOrHideDropInfoImage(false, -1);
    QTest::qWait(ModificationViewController::animationMs + 50);
    QCOMPARE(opacityOf(f.tool->trackTable(1)), 0.0);
}

void ModificationToolTest::removingSelectedRows_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("delete key") << QStringLiteral("key");
    QTest::newRow("remove button") << QStringLiteral("button");
    QTest::newRow("context menu") << QStringLiteral("menu");
}

void ModificationToolTest::removingSelectedRows()
{
    QFETCH(QString, how);
    ModificationFixture f;
    const QList<QUrl> files = f.makeFiles(4);
    f.choose(0);
    f.drop(0, files);
    QTableView *table = f.tool->trackTable(0);
    auto remove = [&] {
        if (how == QLatin1String("key")) {
            table->setFocus();
            QTest::keyClick(table, Qt::Key_Delete);
        } else if (how == QLatin1String("button")) {
            QTest::mouseClick(f.child<QPushButton>("removeButtonSMD"), Qt::LeftButton);
        } else {
            const QList<QAction *> actions = table->actions();
            QCOMPARE(table->contextMenuPolicy(), Qt::ActionsContextMenu);
            QCOMPARE(actions.first()->text(), QStringLiteral("Remove"));
            actions.first()->trigger();
        }
    };

    // Nothing selected: nothing changes and the list stays shown.
    table->clearSelection();
    remove();
    QCOMPARE(f.tool->dropView(0)->files(), files);

    auto *selection = table->selectionModel();
    selection->select(table->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(table->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    remove();
    QCOMPARE(f.tool->dropView(0)->files(), (QList<QUrl>{files[1], files[3]}));
    QTRY_COMPARE(opacityOf(table), 1.0);

    table->selectAll();
    remove();
    QCOMPARE(f.tool->dropView(0)->count(), 0);
    QTRY_COMPARE(opacityOf(f.child<DropHintImage>("dropInfoImageSMD")), 1.0);
    QCOMPARE(opacityOf(table), 0.0);

    // Clear empties the list whatever is selected.
    f.drop(0, files);
    QTest::mouseClick(f.child<QPushButton>("clearButtonSMD"), Qt::LeftButton);
    QCOMPARE(f.tool->dropView(0)->count(), 0);
    // Files dropped while the table is still fading out: the list is shown.
    f.drop(0, files);
    QTest::qWait(ModificationViewController::animationMs * 2);
    QVERIFY(table->isVisible());
    QCOMPARE(opacityOf(table), 1.0);
    QCOMPARE(opacityOf(f.child<DropHintImage>("dropInfoImageSMD")), 0.0);
}

void ModificationToolTest::timeShortcuts()
{
    ModificationFixture f;
    f.choose(0);
    auto *timeField = f.child<QTimeEdit>("timePicker1");
    auto *clock = f.child<ClockFace>("timePicker2");
    auto *dateField = f.child<QDateEdit>("datePicker1");
    auto *hour = f.child<QPushButton>("set0000ButtonSMD");
    auto *minute = f.child<QPushButton>("set00ButtonSMD");
    const QDate day = f.tool->dateSMD();

    auto expectTime = [&](const QTime &time) {
        QCOMPARE(f.tool->timeSMD(), time);
        QCOMPARE(timeField->time(), time);
        QCOMPARE(clock->time(), time);
        QCOMPARE(f.tool->selectedDateSMD(), ModificationDates::compose(day, time));
        QCOMPARE(f.tool->dropView(0)->toDate(), f.tool->selectedDateSMD());
    };

    timeField->setTime(QTime(14, 37, 52));
    expectTime(QTime(14, 37, 52));
    QTest::mouseClick(hour, Qt::LeftButton);
    expectTime(QTime(14, 0, 0));
    QTest::mouseClick(hour, Qt::LeftButton);
    expectTime(QTime(14, 0, 0));

    timeField->setTime(QTime(14, 37, 52));
    QTest::mouseClick(minute, Qt::LeftButton);
    expectTime(QTime(14, 37, 0));
    QTest::mouseClick(minute, Qt::LeftButton);
    expectTime(QTime(14, 37, 0));
    QCOMPARE(f.tool->dateSMD(), day);

    // Now keeps the day; Today keeps the time.
    dateField->setDate(QDate(2013, 5, 1));
    QTest::mouseClick(f.child<QPushButton>("setNowButtonSMD"), Qt::LeftButton);
    QCOMPARE(f.tool->dateSMD(), QDate(2013, 5, 1));
    QVERIFY(qAbs(f.tool->timeSMD().secsTo(QTime::currentTime())) <= 2);
    timeField->setTime(QTime(6, 5, 4));
    QTest::mouseClick(f.child<QPushButton>("setTodayButtonSMD"), Qt::LeftButton);
    QCOMPARE(f.tool->dateSMD(), QDate::currentDate());
    QCOMPARE(f.tool->timeSMD(), QTime(6, 5, 4));
    QCOMPARE(f.child<QCalendarWidget>("datePicker2")->selectedDate(), QDate::currentDate());
}

void ModificationToolTest::dayAndTimeComeFromTheirOwnControls()
{
    ModificationFixture f;
    f.choose(0);
    f.drop(0, f.makeFiles(2));
    auto *calendar = f.child<QCalendarWidget>("datePicker2");
    auto *clock = f.child<ClockFace>("timePicker2");
    auto *timeField = f.child<QTimeEdit>("timePicker1");

    // The day from the calendar, the time from the field, then the clock
    // turned to the afternoon with its AM/PM badge.
    calendar->setSelectedDate(QDate(2013, 5, 1));
    timeField->setTime(QTime(11, 59, 59));
    const QPointF centre = QRectF(clock->rect()).center();
    const double r = std::min(clock->width(), clock->height()) / 2.0 - 3.0;
    QTest::mouseClick(clock, Qt::LeftButton, {}, QPointF(centre.x(), centre.y() + r * 0.43).toPoint());
    QCOMPARE(timeField->time(), QTime(23, 59, 59));
    QCOMPARE(f.child<QDateEdit>("datePicker1")->date(), QDate(2013, 5, 1));
    QCOMPARE(f.tool->selectedDateSMD(), QDateTime(QDate(2013, 5, 1), QTime(23, 59, 59)));
    QCOMPARE(f.tool->selectedDateSMD().toSecsSinceEpoch(),
             QDateTime(QDate(2013, 5, 1), QTime(21, 59, 59), Qt::UTC).toSecsSinceEpoch());

    // Dragging the minute hand from twelve to three.
    timeField->setTime(QTime(10, 20, 30));
    const QPoint twelve = QPointF(centre.x(), centre.y() - r * 0.65).toPoint();
    const QPoint three = QPointF(centre.x() + r * 0.65, centre.y()).toPoint();
    QTest::mousePress(clock, Qt::LeftButton, {}, twelve);
    QCOMPARE(timeField->time(), QTime(10, 0, 30));
    QMouseEvent move(QEvent::MouseMove, QPointF(three), clock->mapToGlobal(QPointF(three)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(clock, &move);
    QTest::mouseRelease(clock, Qt::LeftButton, {}, three);
    QCOMPARE(f.tool->timeSMD(), QTime(10, 15, 30));
    QCOMPARE(f.tool->selectedDateSMD(), QDateTime(QDate(2013, 5, 1), QTime(10, 15, 30)));
    QCOMPARE(f.tool->dropView(0)->toDate(), f.tool->selectedDateSMD());
}

void ModificationToolTest::sameAsAnotherFile()
{
    ModificationFixture f;
    f.choose(0);
    const QList<QUrl> files = f.makeFiles(3);
    f.drop(0, files);
    auto *sameAs = f.child<QPushButton>("sameAsButtonSMD");

    f.child<QTimeEdit>("timePicker1")->setTime(QTime(7, 8, 9));
    const QDate day = f.tool->dateSMD();
    const QDateTime chosen = f.tool->selectedDateSMD();
    whenModal([](QFileDialog *dialog) { dialog->reject(); });
    QTest::mouseClick(sameAs, Qt::LeftButton);
    QCOMPARE(f.tool->dateSMD(), day);
    QCOMPARE(f.tool->timeSMD(), QTime(7, 8, 9));
    QCOMPARE(f.tool->selectedDateSMD(), chosen);
    QCOMPARE(f.tool->dropView(0)->toDate(), chosen);

    // A file modified at D: day and time both come from D; Set writes D
    // without its fraction of a second.
    const QUrl other = f.makeFile(QStringLiteral("other.mp3"));
    const QDateTime d(QDate(2011, 7, 9), QTime(8, 7, 6, 789));
    setModified(other, d);
    whenModal([other](QFileDialog *dialog) {
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        // As a user types the path into the file name field.
        auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(field);
        field->setText(other.toLocalFile());
        static_cast<QDialog *>(dialog)->accept();
    });
    QTest::mouseClick(sameAs, Qt::LeftButton);
    QCOMPARE(f.tool->dateSMD(), QDate(2011, 7, 9));
    QCOMPARE(f.tool->timeSMD().toString(Qt::ISODate), QStringLiteral("08:07:06"));
    QCOMPARE(f.tool->selectedDateSMD(), QDateTime(QDate(2011, 7, 9), QTime(8, 7, 6)));
    QCOMPARE(f.child<QCalendarWidget>("datePicker2")->selectedDate(), QDate(2011, 7, 9));
    QCOMPARE(f.child<ClockFace>("timePicker2")->time(), QTime(8, 7, 6));
    QVERIFY(f.runAndWait(0));
    for (const QUrl &file : files)
        QCOMPARE(ModificationFixture::modified(file), (FileTime{d.toSecsSinceEpoch(), 0}));
}

void ModificationToolTest::setRunGivesEveryFileTheSameMoment()
{
    ModificationFixture f;
    QList<QUrl> files = f.makeFiles(5);
    for (int i = 0; i < files.size(); ++i)
        setModified(files[i], QDateTime(QDate(2001, 1, 1 + i), QTime(1, 2, 3)));
    // A file that vanished from the disk stays behind without stopping the run.
    const QUrl gone = QUrl::fromLocalFile(f.dir.filePath(QStringLiteral("gone.mp3")));
    files.insert(2, gone);

    f.choose(0);
    const QDateTime entered = f.tool->selectedDateSMD();
    QVERIFY(qAbs(entered.msecsTo(QDateTime::currentDateTime())) < 5000);
    f.drop(0, files);
    QVERIFY(f.runAndWait(0));

    // Set right after entering writes the moment of entering, milliseconds kept.
    const FileTime expected = FileTime::fromDateTime(entered);
    QCOMPARE(expected.nanoseconds, qint64(entered.time().msec()) * 1'000'000);
    for (const QUrl &file : files) {
        if (file == gone)
            QVERIFY(!QFileInfo::exists(gone.toLocalFile()));
        else
            QCOMPARE(ModificationFixture::modified(file), expected);
    }
    QVERIFY(!f.tool->currentRun());
    QCOMPARE(f.tool->dropView(0)->count(), 6); // the list stays for another run
}

void ModificationToolTest::copyCreationDate()
{
    ModificationFixture f;
    const QList<QUrl> files = f.makeFiles(3);
    for (const QUrl &file : files)
        setModified(file, QDateTime(QDate(1999, 12, 31), QTime(23, 0)));
    f.choose(1);
    f.drop(1, files);
    QVERIFY(f.runAndWait(1));
    for (const QUrl &file : files) {
        const std::optional<FileTime> created = FileDates::creationDate(file.toLocalFile());
        // Where the file system keeps no birth time the file stays as it was.
        const FileTime expected = created ? *created : FileTime::fromDateTime(QDateTime(QDate(1999, 12, 31), QTime(23, 0)));
        QCOMPARE(ModificationFixture::modified(file), expected);
    }
}

void ModificationToolTest::trackNumberOrderFollowsDropsAndKey()
{
    ModificationFixture f;
    const QUrl c = f.makeFile(QStringLiteral("c.mp3"), QStringLiteral("1/4"));
    const QUrl a = f.makeFile(QStringLiteral("a.mp3"), QStringLiteral("3"));
    const QUrl b = f.makeFile(QStringLiteral("b.mp3"));
    const QUrl d = f.makeFile(QStringLiteral("d.mp3"), QStringLiteral("2"));
    const QUrl e = f.makeFile(QStringLiteral("e.mp3"), QStringLiteral("10"));
    f.choose(2);
    QVERIFY(f.child<QRadioButton>("radioTN1Track")->isChecked());
    QVERIFY(f.child<QRadioButton>("radioTN2Earliest")->isChecked());

    f.drop(2, {a, b, c, d});
    QCOMPARE(f.tool->dropView(2)->files(), (QList<QUrl>{c, d, a, b}));
    // A later drop re-sorts the whole list.
    f.drop(2, {e});
    QCOMPARE(f.tool->dropView(2)->files(), (QList<QUrl>{c, d, a, e, b}));

    QTest::mouseClick(f.child<QRadioButton>("radioTN1Name"), Qt::LeftButton);
    QCOMPARE(f.tool->dropView(2)->files(), (QList<QUrl>{a, b, c, d, e}));
    // The direction does not change the order.
    QTest::mouseClick(f.child<QRadioButton>("radioTN2Latest"), Qt::LeftButton);
    QCOMPARE(f.tool->dropView(2)->files(), (QList<QUrl>{a, b, c, d, e}));
    QTest::mouseClick(f.child<QRadioButton>("radioTN1Track"), Qt::LeftButton);
    QCOMPARE(f.tool->dropView(2)->files(), (QList<QUrl>{c, d, a, e, b}));

    // Entering again resets both choices.
    QTest::mouseClick(f.child<QPushButton>("backButton"), Qt::LeftButton);
    f.choose(2);
    QVERIFY(f.child<QRadioButton>("radioTN2Earliest")->isChecked());
}

void ModificationToolTest::trackNumberRunInBothDirections()
{
    ModificationFixture f;
    QList<QUrl> files;
    for (int i = 1; i <= 4; ++i)
        files << f.makeFile(QStringLiteral("song %1.mp3").arg(i), QString::number(i));
    const QUrl gone = QUrl::fromLocalFile(f.dir.filePath(QStringLiteral("zz gone.mp3")));
    f.choose(2);
    f.drop(2, files + QList<QUrl>{gone});
    QCOMPARE(f.tool->dropView(2)->files(), files + QList<QUrl>{gone});

    QList<std::optional<FileTime>> births;
    for (const QUrl &file : files)
        births << FileDates::creationDate(file.toLocalFile());
    const qint64 base = ModificationDates::baseSeconds(ModificationDates::latest(births));
    const qint64 n = 5;

    // First track oldest (the choice on entry): base, base + 1, ...
    QVERIFY(f.runAndWait(2));
    for (int i = 0; i < files.size(); ++i)
        QCOMPARE(ModificationFixture::modified(files[i]), (FileTime{base + i, 0}));

    // First track newest: base + N, base + N - 1, ...; twice gives the same.
    QTest::mouseClick(f.child<QRadioButton>("radioTN2Latest"), Qt::LeftButton);
    for (int round = 0; round < 2; ++round) {
        QVERIFY(f.runAndWait(2));
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(ModificationFixture::modified(files[i]), (FileTime{base + n - i, 0}));
    }
}

void ModificationToolTest::screenshots()
{
    const QString out = qEnvironmentVariable("MELVORA_SCREENSHOT_DIR");
    if (out.isEmpty())
        QSKIP("set MELVORA_SCREENSHOT_DIR to write screenshots");
    ModificationFixture f;
    QTest::qWait(300);
    f.tool->grab().save(out + QStringLiteral("/modification-actions.png"));
    const char *names[] = {"modification-smd.png", "modification-ccd.png", "modification-tn.png"};
    for (int action = 0; action < 3; ++action) {
        f.choose(action);
        QTest::qWait(350);
        f.tool->grab().save(out + QStringLiteral("/empty-") + QLatin1String(names[action]));
        QList<QUrl> files;
        for (int i = 1; i <= 5; ++i)
            files << f.makeFile(QStringLiteral("%1 Song Number %2.mp3").arg(i, 2, 10, QLatin1Char('0')).arg(i), QString::number(i));
        f.drop(action, files);
        f.tool->trackTable(action)->selectRow(1);
        QTest::qWait(350);
        f.tool->grab().save(out + QLatin1Char('/') + QLatin1String(names[action]));
        // The smallest window the program allows.
        f.tool->resize(571, 480);
        QTest::qWait(50);
        f.tool->grab().save(out + QStringLiteral("/small-") + QLatin1String(names[action]));
        f.tool->resize(711, 520);
        QTest::mouseClick(f.child<QPushButton>("backButton"), Qt::LeftButton);
        QTest::qWait(350);
    }
}

QTEST_MAIN(ModificationToolTest)
#include "tst_modificationtool.moc"
