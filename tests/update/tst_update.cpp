// The update check against a real HTTP server on 127.0.0.1, and the About
// window. The desktop's URL handlers are caught: nothing is really opened.

#include "app/common/Endpoints.h"
#include "app/common/Utils.h"
#include "app/update/AboutWindowController.h"
#include "app/update/UpdateWindowController.h"
#include "tests/support/UrlCatcher.h"
#include "tests/update/HttpTestServer.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <optional>

namespace {
const QString newVersionText = QStringLiteral("There is a new version available.  Would you like to upgrade now?");
const QString latestText = QStringLiteral("You are using the latest version!");
const QString unknownText = QStringLiteral("The check for a new version could not be made. Please try again later.");
} // namespace

class TestUpdate : public QObject
{
    Q_OBJECT
    std::optional<UrlCatcher> catcher;

private slots:
    void init() { catcher.emplace(); }

    // Each answer, the alert it brings, the button chosen there and what that opens.
    void answers_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("newVersion");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("button"); // empty: Escape
        const QByteArray own = Utils::getVersionNumber().toUtf8();
        QTest::newRow("equal") << 200 << own << false << true << "OK";
        QTest::newRow("different, Yes") << 200 << QByteArray("9.9.9") << true << true << "Yes";
        QTest::newRow("different, No") << 200 << QByteArray("9.9.9") << true << true << "No";
        QTest::newRow("different, Escape") << 200 << QByteArray("9.9.9") << true << true << "";
        QTest::newRow("trailing line break") << 200 << own + "\n" << false << true << "OK";
        QTest::newRow("white space both ends") << 200 << " \t" + own + "\r\n" << false << true << "";
        // No usable answer: the user is told the check could not be made.
        QTest::newRow("404 with a body") << 404 << QByteArray("<h1>Not Found</h1>") << false << false << "OK";
        QTest::newRow("blank") << 200 << QByteArray("\n") << false << false << "OK";
        // At most 64 KiB is read; a longer answer is cut off, which is no answer.
        QTest::newRow("64 KiB") << 200 << QByteArray(64 * 1024, 'v') << true << true << "No";
        QTest::newRow("64 KiB and one byte") << 200 << QByteArray(64 * 1024 + 1, 'v') << false << false << "OK";
    }
    void answers()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, newVersion);
        QFETCH(bool, answered);
        QFETCH(QString, button);
        HttpTestServer server;
        server.status = status;
        server.body = body;
        UpdateWindowController controller;
        controller.setServiceBaseUrl(server.baseUrl());
        controller.showWindow();
        QTRY_VERIFY(controller.alert());
        QMessageBox *box = controller.alert();
        // The checking window stays under its result until the result is answered.
        QVERIFY(box->isVisible() && box->parentWidget() == &controller && controller.isVisible());
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        QCOMPARE(box->text(), newVersion ? newVersionText : answered ? latestText : unknownText);
        QCOMPARE(box->buttons().size(), newVersion ? 2 : 1);

        QCOMPARE(server.requests.size(), 1);
        const QByteArray request = server.requests.first();
        QVERIFY2(request.startsWith("POST /api/version.php HTTP/1.1\r\n"), request);
        QVERIFY2(request.toLower().contains("\r\ncontent-type: application/x-www-form-urlencoded"), request);
        QVERIFY2(request.endsWith("\r\n\r\nkey=quorvantel&product=melvora"), request);

        if (button.isEmpty())
            QTest::keyClick(box, Qt::Key_Escape);
        else
            for (QAbstractButton *chosen : box->buttons())
                if (chosen->text().remove(u'&') == button)
                    chosen->click();
        QTRY_VERIFY(!controller.isVisible());
        QVERIFY(!controller.alert());
        // Only "Yes" of the new-version alert opens the product page.
        QCOMPARE(catcher->opened, button == "Yes" ? QList<QUrl>{QUrl(Endpoints::productPage())} : QList<QUrl>{});
    }

    void noServerOrHungServiceIsSaidSo()
    {
        HttpTestServer hung;
        hung.answer = false;
        for (const QString &url : {HttpTestServer::deadBaseUrl(), hung.baseUrl()}) {
            UpdateWindowController controller;
            controller.setServiceBaseUrl(url);
            controller.setRequestTimeout(300);
            controller.showWindow();
            QTRY_VERIFY(controller.alert());
            QCOMPARE(controller.alert()->text(), unknownText);
        }
        // The address can be set from outside, for a staging service.
        qputenv("MELVORA_SERVICE_URL", "http://127.0.0.1:1/");
        QCOMPARE(Endpoints::serviceBaseUrl(), QStringLiteral("http://127.0.0.1:1/"));
        qunsetenv("MELVORA_SERVICE_URL");
    }

    // A check under way is replaced by a new one (never a second alert) and
    // dropped when the window closes; going away, the window ends it at once
    // (waiting out its 120 s timeout would overrun the test's own).
    void aCheckUnderWayIsReplacedOrDropped()
    {
        HttpTestServer hung, answering;
        hung.answer = false;
        answering.body = "3.0";
        UpdateWindowController controller;
        controller.setRequestTimeout(120000);
        controller.setServiceBaseUrl(hung.baseUrl());
        controller.showWindow();
        QTRY_COMPARE(hung.requests.size(), 1);
        controller.setServiceBaseUrl(answering.baseUrl());
        controller.showWindow();
        QTRY_VERIFY(controller.alert());
        QCOMPARE(controller.alert()->text(), newVersionText);
        // The hung server never answers, so nothing more can come.
        QCoreApplication::processEvents();
        QCOMPARE(controller.findChildren<QMessageBox *>().size(), 1);

        controller.setServiceBaseUrl(hung.baseUrl());
        controller.showWindow();
        QTRY_COMPARE(hung.requests.size(), 2);
        controller.close();
        QCoreApplication::processEvents();
        QVERIFY(!controller.alert());
    }

    void aboutShowsTheVersionAndOpensMailAndSite()
    {
        AboutWindowController about;
        QCOMPARE(about.versionLabel()->text(), QStringLiteral("Version: ") + Utils::getVersionNumber());
        about.showWindow();
        auto *support = about.findChild<QPushButton *>("supportButton");
        auto *site = about.findChild<QPushButton *>("siteButton");
        QVERIFY(support && site);
        support->click();
        site->click();
        QCOMPARE(catcher->opened.size(), 2);
        QCOMPARE(catcher->opened.first().toString(QUrl::FullyEncoded),
                 QStringLiteral("mailto:%1?Subject=Support&body=").arg(Endpoints::supportAddress()));
        QCOMPARE(catcher->opened.last(), QUrl(Endpoints::productPage()));
        QVERIFY(!about.findChild<QMessageBox *>(QStringLiteral("cannotOpenAlert")));

        // Without a mail program or browser the user gets the address to copy.
        catcher.reset();
        support->click();
        auto *alert = about.findChild<QMessageBox *>(QStringLiteral("cannotOpenAlert"));
        QVERIFY(alert && alert->isVisible());
        QVERIFY(alert->informativeText().contains(Endpoints::supportAddress()));
        QVERIFY(alert->informativeText().contains(QStringLiteral("Support")));
        QVERIFY(alert->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
        alert->close();
        QTRY_VERIFY(!about.findChild<QMessageBox *>(QStringLiteral("cannotOpenAlert")));
        site->click();
        QTRY_VERIFY(about.findChild<QMessageBox *>(QStringLiteral("cannotOpenAlert")));
        QVERIFY(about.findChild<QMessageBox *>(QStringLiteral("cannotOpenAlert"))
                    ->informativeText()
                    .contains(Endpoints::productPage()));
    }
};

QTEST_MAIN(TestUpdate)
#include "tst_update.moc"
