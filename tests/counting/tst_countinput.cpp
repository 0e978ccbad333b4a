// The Play Count and Rating tools' inputs as a user meets them: the input
// rule of the number fields, fields and steppers in step, the set buttons
// with and without a selection. No library runs here.
#include "style/Stepper.h"
#include "tools/counting/OnlyIntegerValueFormatter.h"
#include "tools/playcount/CountEditorViewController.h"
#include "tools/rating/RatingViewController.h"
#include "tracks/lists/DropView.h"
#include "tracks/lists/TrackListPane.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {
template<typename Tool>
std::unique_ptr<Tool> shownTool()
{
    auto tool = std::make_unique<Tool>();
    tool->resize(711, 520);
    tool->show();
    (void)QTest::qWaitForWindowExposed(tool.get());
    return tool;
}

QLineEdit *field(QWidget *tool, const char *name)
{
    return tool->findChild<QLineEdit *>(QLatin1String(name));
}

// Empties the field and types the text key by key: each key is one edit.
void retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

// Replaces the field's text in one edit, as pasting over a selection does.
void paste(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    edit->insert(text);
}

TrackObject listedTrack(int i)
{
    return TrackObject::initWithName(QStringLiteral("Track %1").arg(i), QStringLiteral("Artist"),
                                     QUrl::fromLocalFile(QStringLiteral("/nowhere/track%1.mp3").arg(i)), i, 20 * (i % 6));
}
} // namespace

class CountInputTest : public QObject
{
    Q_OBJECT
private slots:
    void inputRuleAcceptsOneWholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("empty") << "" << true << 0;
        QTest::newRow("spaced") << " 7 " << true << 7;
        QTest::newRow("signed") << "-12" << true << -12;
        QTest::newRow("plus") << "+3" << true << 3;
        QTest::newRow("largest") << "2147483647" << true << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << true << int(-2147483648LL);
        QTest::newRow("letters after") << "12a" << false << 0;
        QTest::newRow("sign alone") << "-" << false << 0;
        QTest::newRow("blank") << "   " << false << 0;
        QTest::newRow("two numbers") << "1 2" << false << 0;
        QTest::newRow("fraction") << "1.5" << false << 0;
        QTest::newRow("past 32 bits") << "2147483648" << false << 0;
        QTest::newRow("below 32 bits") << "-2147483649" << false << 0;
    }
    void inputRuleAcceptsOneWholeNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        QCOMPARE(OnlyIntegerValueFormatter::isPartialStringValid(text), valid);
        if (valid)
            QCOMPARE(OnlyIntegerValueFormatter::intValue(text), value);
    }

    void typingIsRefusedWithABeepAndKeepsTheText()
    {
        auto tool = shownTool<CountEditorViewController>();
        QLineEdit *input = field(tool.get(), "countInput");
        auto *formatter = qobject_cast<const OnlyIntegerValueFormatter *>(input->validator());
        QVERIFY(formatter);
        // One rule for both fields.
        QCOMPARE(field(tool.get(), "countInput2")->validator(), input->validator());
        QSignalSpy refused(formatter, &OnlyIntegerValueFormatter::editRefused);

        retype(input, QStringLiteral("12a"));
        QCOMPARE(input->text(), QStringLiteral("12"));
        QCOMPARE(refused.size(), 1);
        QCOMPARE(tool->setCount(), 12);

        retype(input, QStringLiteral("-"));
        QCOMPARE(input->text(), QString()); // emptied, then the sign alone refused
        QCOMPARE(refused.size(), 2);
        QCOMPARE(tool->setCount(), 0);

        paste(input, QStringLiteral(" 7 "));
        QCOMPARE(input->text(), QStringLiteral(" 7 "));
        QCOMPARE(tool->setCount(), 7);
        QCOMPARE(refused.size(), 2);

        retype(input, QStringLiteral("21474836470"));
        QCOMPARE(input->text(), QStringLiteral("2147483647"));
        QCOMPARE(refused.size(), 3);
    }

    void fieldsAndSteppersFollowEachOther()
    {
        auto tool = shownTool<CountEditorViewController>();
        for (const char *suffix : {"", "2"}) {
            QLineEdit *input = field(tool.get(), QByteArray("countInput") + suffix);
            auto *stepper = tool->findChild<Stepper *>(QLatin1String(QByteArray("countStepper") + suffix));
            const auto value = [&] { return *suffix ? tool->setCount2() : tool->setCount(); };
            QVERIFY(input && stepper);

            retype(input, QStringLiteral("41"));
            QCOMPARE(stepper->value(), 41);
            QCOMPARE(value(), 41);
            // The stepper rewrites the field and takes the focus from it.
            QTest::mouseClick(stepper->findChild<QToolButton *>(QStringLiteral("stepUp")), Qt::LeftButton);
            QCOMPARE(input->text(), QStringLiteral("42"));
            QCOMPARE(value(), 42);
            QVERIFY(!input->hasFocus());
            // Typing keeps the text as typed.
            paste(input, QStringLiteral(" 5"));
            QCOMPARE(input->text(), QStringLiteral(" 5"));
            QCOMPARE(stepper->value(), 5);
            QTest::mouseClick(stepper->findChild<QToolButton *>(QStringLiteral("stepDown")), Qt::LeftButton);
            QCOMPARE(input->text(), QStringLiteral("4"));
            QCOMPARE(value(), 4);
        }
    }

    void ratingFieldsStopAtFiveStars()
    {
        auto tool = shownTool<RatingViewController>();
        for (const char *name : {"countInput", "countInput2"}) {
            QLineEdit *input = field(tool.get(), name);
            retype(input, QStringLiteral("9"));
            QCOMPARE(input->text(), QStringLiteral("5"));
            retype(input, QStringLiteral("5"));
            QCOMPARE(input->text(), QStringLiteral("5"));
            retype(input, QStringLiteral("3"));
            QCOMPARE(input->text(), QStringLiteral("3"));
        }
        QCOMPARE(tool->setCount(), 3);
        QCOMPARE(tool->setCount2(), 3);
        retype(field(tool.get(), "countInput"), QStringLiteral("60"));
        QCOMPARE(tool->setCount(), 5);
        QCOMPARE(tool->findChild<Stepper *>(QStringLiteral("countStepper"))->value(), 5);
    }

    void setButtonsNeedASelection()
    {
        auto tool = shownTool<CountEditorViewController>();
        auto *set1 = tool->findChild<QPushButton *>(QStringLiteral("setButton1"));
        auto *set2 = tool->findChild<QPushButton *>(QStringLiteral("setButton2"));
        const auto alert = [&] { return tool->findChild<QMessageBox *>(QStringLiteral("selectTracksAlert")); };

        // An empty list: nothing at all.
        QTest::mouseClick(set2, Qt::LeftButton);
        QCOMPARE(tool->currentAction(), 1);
        QVERIFY(!alert());
        QVERIFY(!tool->currentRun());

        // Tracks listed, none selected: the alert, window-modal, one OK, no run.
        for (int i = 0; i < 4; ++i)
            tool->dropView()->addTrackToArray(listedTrack(i));
        tool->fileDropped({}, tool->dropView());
        QTest::mouseClick(set1, Qt::LeftButton);
        QCOMPARE(tool->currentAction(), 0);
        QTRY_VERIFY(alert() && alert()->isVisible());
        QCOMPARE(alert()->text(), QStringLiteral("Please select the tracks you want to process in the table first."));
        QCOMPARE(alert()->windowModality(), Qt::WindowModal);
        QCOMPARE(alert()->buttons().size(), 1);
        QCOMPARE(alert()->buttons().first()->text(), QStringLiteral("OK"));
        QVERIFY(!tool->currentRun());
        QTest::mouseClick(alert()->buttons().first(), Qt::LeftButton);
        QTRY_VERIFY(!alert());
        QCOMPARE(tool->dropView()->tracks().at(2).plays, 2);
    }

};

QTEST_MAIN(CountInputTest)
#include "tst_countinput.moc"
