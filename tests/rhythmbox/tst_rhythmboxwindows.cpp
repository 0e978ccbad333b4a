// The Play Count tool's window against a real Rhythmbox: the tracks selected
// in Rhythmbox come in by a drop, a run adds a play to each, and the person
// is told once per start of the program how Rhythmbox keeps the change.
#include "tests/rhythmbox/RhythmboxFixture.h"
#include "tools/playcount/CountEditorViewController.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/lists/DropView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace RhythmboxFixture;

class TestRhythmboxWindows : public QObject
{
    Q_OBJECT

    RhythmboxProcess m_rhythmbox;
    QByteArray m_song;

    QMessageBox *notice() const
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->objectName() == u"librarySaveNotice" && widget->isVisible())
                return qobject_cast<QMessageBox *>(widget);
        return nullptr;
    }

    // One run of the tool adding a play to every listed track.
    void addAPlay(CountEditorViewController &tool)
    {
        QSignalSpy finished(&tool, &CountToolController::runFinished);
        tool.tableView()->selectAll();
        auto *amount = tool.findChild<QLineEdit *>(QStringLiteral("countInput2"));
        amount->selectAll();
        amount->insert(QStringLiteral("1"));
        tool.findChild<QAbstractButton *>(QStringLiteral("setButton2"))->click();
        QVERIFY(finished.wait(30000));
    }

private slots:
    void initTestCase()
    {
        if (const QString missing = RhythmboxProcess::missing(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        QString why;
        QVERIFY2(m_rhythmbox.start(&why), qPrintable(why));
        m_song = addSong(m_rhythmbox, "Evening Song.mp3", 1);
        QVERIFY(!m_song.isEmpty() && RhythmboxProcess::waitForEntry(uriOf(m_song)));
        QVERIFY(RhythmboxProcess::set(uriOf(m_song), {{QStringLiteral("play-count"), QVariant::fromValue(uint(6))}}));
    }

    void aDropTakesRhythmboxSelectionAndTheRunIsToldOnce()
    {
        CountEditorViewController tool;
        tool.resize(711, 520);
        tool.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tool));
        const auto held = ITunesApplication::iTunes().trackOfFile(FileNames::urlOf(m_song));
        QVERIFY(held && held->track.isValid());
        ITunesTrack(held->track).reveal();
        QSignalSpy taken(tool.dropView(), &DropView::selectionTaken);
        QMimeData trigger;
        trigger.setText(QStringLiteral("tracks"));
        QVERIFY(tool.dropView()->takeDrop(&trigger));
        QVERIFY(taken.wait(10000));
        QCOMPARE(tool.dropView()->count(), 1);
        QCOMPARE(tool.dropView()->tracks().constFirst().plays, 6);

        addAPlay(tool);
        QCOMPARE(value(m_song, "play-count"), 7);
        QCOMPARE(tool.dropView()->tracks().constFirst().plays, 7);
        QVERIFY(notice());
        QVERIFY2(notice()->text().contains(QStringLiteral("Rhythmbox keeps changes in memory")), qPrintable(notice()->text()));
        // Every word of it shows: the box is wide enough for its text.
        auto *label = notice()->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label && label->sizeHint().width() <= label->width() + 1);
        notice()->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(!notice());

        // The second run is not told again; the notice would open before the run's end is told.
        addAPlay(tool);
        QCOMPARE(value(m_song, "play-count"), 8);
        QVERIFY(!notice());
    }
};

QTEST_MAIN(TestRhythmboxWindows)
#include "tst_rhythmboxwindows.moc"
