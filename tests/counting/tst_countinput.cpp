// The Play Count and Rating tools' inputs as a user meets them; no library runs here.
#include "style/Stepper.h"
#include "tools/counting/OnlyIntegerValueFormatter.h"
#include "tools/playcount/CountEditorViewController.h"
#include "tools/rating/RatingViewController.h"
#include "tracks/lists/DropView.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <optional>

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
} // namespace

class CountInputTest : public QObject
{
    Q_OBJECT
private slots:
    void inputRuleAcceptsOneWholeNumber()
    {
        // The text, and its value when it is accepted.
        const std::pair<QString, std::optional<int>> cases[] = {
            {"", 0},
            {" 7 ", 7},
            {"-12", -12},
            {"+3", 3},
            {"2147483647", 2147483647},
            {"-2147483648", int(-2147483648LL)},
            {"12a", std::nullopt},
            {"-", std::nullopt},
            {"   ", std::nullopt},
            {"1 2", std::nullopt},
            {"1.5", std::nullopt},
            {"2147483648", std::nullopt},
            {"-2147483649", std::nullopt},
        };
        for (const auto &[text, value] : cases) {
            QVERIFY2(OnlyIntegerValueFormatter::isPartialStringValid(text) == value.has_value(), qPrintable(text));
            if (value)
                QCOMPARE(OnlyIntegerValueFormatter::intValue(text), *value);
        }
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
            retype(input, QStringLiteral("5")); // five itself is kept
            QCOMPARE(input->text(), QStringLiteral("5"));
            retype(input, QStringLiteral("3"));
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

        // Tracks listed, none selected: the alert, no run, and OK closes it.
        for (int i = 0; i < 4; ++i)
            tool->dropView()->addTrackToArray(TrackObject::initWithName("Track", "Artist", QUrl(), i, 0));
        tool->fileDropped({}, tool->dropView());
        QTest::mouseClick(set1, Qt::LeftButton);
        QCOMPARE(tool->currentAction(), 0);
        QTRY_VERIFY(alert() && alert()->isVisible());
        QVERIFY(!tool->currentRun());
        QTest::mouseClick(alert()->buttons().first(), Qt::LeftButton);
        QTRY_VERIFY(!alert());
        QCOMPARE(tool->dropView()->tracks().at(2).plays, 2);
    }
};

QTEST_MAIN(CountInputTest)
#include "tst_countinput.moc"
