// The Play Count tool's window against a real Rhythmbox: the tracks selected
// in Rhythmbox come in by a drop, a run adds a play to each, and the person
// is told once per start of the program how Rhythmbox keeps the change.
#include "app/common/FileNames.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/RhythmboxProcess.h"
#include "tools/playcount/CountEditorViewController.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/library/Rhythmbox.h"
#include "tracks/lists/DropView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

class TestRhythmboxWindows : public QObject
{
    Q_OBJECT

    RhythmboxProcess m_rhythmbox;
    QString m_uri;

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
        const QString path = m_rhythmbox.musicFolder() + QStringLiteral("/Evening Song.mp3");
        QVERIFY(AudioFiles::writeMp3(path, {QStringLiteral("Evening Song"), QStringLiteral("Artist"), QStringLiteral("Album"), QStringLiteral("1")}));
        m_uri = Rhythmbox::storedUri(FileNames::urlOf(QFile::encodeName(path)));
        QVERIFY(RhythmboxProcess::load(m_uri));
        QVERIFY(RhythmboxProcess::waitForEntry(m_uri));
        QVERIFY(RhythmboxProcess::set(m_uri, {{QStringLiteral("play-count"), QVariant::fromValue(uint(6))}}));
    }

    void aDropTakesRhythmboxSelectionAndTheRunIsToldOnce()
    {
        CountEditorViewController tool;
        tool.resize(711, 520);
        tool.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tool));
        // The track selected in Rhythmbox's window comes in by a drop.
        const auto held = ITunesApplication::iTunes().trackOfFile(QUrl(m_uri));
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
        QCOMPARE(RhythmboxProcess::entry(m_uri).value(QStringLiteral("play-count")).toLongLong(), 7);
        QCOMPARE(tool.dropView()->tracks().constFirst().plays, 7);
        QVERIFY(notice());
        QVERIFY2(notice()->text().contains(QStringLiteral("Rhythmbox keeps changes in memory")), qPrintable(notice()->text()));
        // Every word of it shows: the box is wide enough for its text.
        auto *label = notice()->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label && label->sizeHint().width() <= label->width() + 1);
        if (!qEnvironmentVariableIsEmpty("MELVORA_NOTICE_PICTURE"))
            notice()->grab().save(qEnvironmentVariable("MELVORA_NOTICE_PICTURE"));
        notice()->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(!notice());

        // The second run is not told again.
        addAPlay(tool);
        QCOMPARE(RhythmboxProcess::entry(m_uri).value(QStringLiteral("play-count")).toLongLong(), 8);
        // The notice would have been opened before the run's end was told.
        QVERIFY(!notice());
    }
};

QTEST_MAIN(TestRhythmboxWindows)
#include "tst_rhythmboxwindows.moc"
