// The shared helpers: palette, track-number and file-name rules, the mail and
// web openers, the version.

#include "Utils.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QTest>
#include <QUrl>

// Receives what the program asks the desktop to open, so nothing really opens.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class TestUtils : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        catcher.opened.clear();
        for (const char *scheme : {"mailto", "https", "http"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &catcher, "open");
    }
    void cleanup()
    {
        for (const char *scheme : {"mailto", "https", "http"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }

    void paletteIsLevelsOver256_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("g");
        QTest::addColumn<int>("b");
        QTest::newRow("ColorBG") << Utils::ColorBG() << 255 << 250 << 240;
        QTest::newRow("ColorSecondTitle") << Utils::ColorSecondTitle() << 176 << 167 << 167;
        QTest::newRow("ColorSidebar") << Utils::ColorSidebar() << 76 << 67 << 67;
        QTest::newRow("ColorBorder") << Utils::ColorBorder() << 221 << 217 << 208;
        QTest::newRow("ColorTab") << Utils::ColorTab() << 243 << 239 << 230;
        QTest::newRow("ColorPreview") << Utils::ColorPreview() << 122 << 129 << 65;
        QTest::newRow("ColorPreviewLighter") << Utils::ColorPreviewLighter() << 190 << 194 << 155;
    }
    void paletteIsLevelsOver256()
    {
        QFETCH(QColor, color);
        QFETCH(int, r);
        QFETCH(int, g);
        QFETCH(int, b);
        // QColor keeps 16 bits a component: that is the only slack allowed.
        // Levels over 255 would be off by more than 0.001.
        const double slack = 0.5 / 65535 + 1e-9;
        QVERIFY2(qAbs(color.redF() - r / 256.0) <= slack, qPrintable(QString::number(color.redF())));
        QVERIFY2(qAbs(color.greenF() - g / 256.0) <= slack, qPrintable(QString::number(color.greenF())));
        QVERIFY2(qAbs(color.blueF() - b / 256.0) <= slack, qPrintable(QString::number(color.blueF())));
        QCOMPARE(color.alphaF(), 1.0f);
    }
    void fullLevelIsNotOne()
    {
        QVERIFY(qAbs(Utils::ColorBG().redF() - 0.99609375) <= 0.5 / 65535);
        // On screen the full level comes out one step below white.
        QCOMPARE(Utils::ColorBG().red(), 254);
    }

    void trackNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("number/total") << "7/10" << "07";
        QTest::newRow("ten of ten") << "10/10" << "10";
        QTest::newRow("empty") << "" << "00";
        QTest::newRow("letters") << "AB" << "00";
        QTest::newRow("digits after letters") << "A3" << "00";
        QTest::newRow("leading space") << " 3" << "03";
        QTest::newRow("negative") << "-3" << "0-3";
        QTest::newRow("plus sign") << "+4" << "04";
        QTest::newRow("zero") << "0" << "00";
        QTest::newRow("trailing space kept") << "12 /14" << "12 ";
        QTest::newRow("two digits, text after") << "12a" << "12a";
        QTest::newRow("only a slash") << "/12" << "00";
        QTest::newRow("huge") << "99999999999999999999" << "99999999999999999999";
        QTest::newRow("huge negative") << "-99999999999999999999" << "0-2147483648";
        QTest::newRow("three digits") << "101/120" << "101";
    }
    void trackNumber()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(Utils::getTrackNumber(text), expected);
    }

    void fileNameIsTheRealName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        // Paths from file URLs are decoded already: the name is shown as is.
        QTest::newRow("percent and space") << "/music/100% Pure.mp3" << "100% Pure.mp3";
        QTest::newRow("escape-like text") << "/music/A%20B.mp3" << "A%20B.mp3";
        QTest::newRow("lone percent") << "/music/50%.mp3" << "50%.mp3";
        QTest::newRow("non-ASCII") << "/music/Café Ünïcode.flac" << "Café Ünïcode.flac";
        QTest::newRow("trailing slash") << "/music/album/" << "";
        QTest::newRow("root") << "/" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("no folder") << "song.mp3" << "song.mp3";
        QTest::newRow("double slash") << "/music//song.mp3" << "song.mp3";
    }
    void fileNameIsTheRealName()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(Utils::getFileNameFromPath(path), expected);
    }

    void mailUrlEscapesOnlySpaces()
    {
        QCOMPARE(Utils::mailUrlText("support@melvora.example", "Feature Request", ""),
                 QStringLiteral("mailto:support@melvora.example?Subject=Feature%20Request&body="));
        QCOMPARE(Utils::mailUrlText("a b@x.example", "Support", "two words"),
                 QStringLiteral("mailto:a%20b@x.example?Subject=Support&body=two%20words"));
    }

    void mailOpensInTheMailProgram()
    {
        Utils::sendEmailWithMail("Your email address", "support@melvora.example", "Support", "");
        QCOMPARE(catcher.opened.size(), 1);
        const QUrl url = catcher.opened.first();
        QCOMPARE(url.scheme(), QStringLiteral("mailto"));
        QCOMPARE(url.toString(QUrl::FullyEncoded),
                 QStringLiteral("mailto:support@melvora.example?Subject=Support&body="));
    }

    void webPageOpensOnlyForAUrl()
    {
        Utils::jumpToURL("https://melvora.example/melvora/");
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl("https://melvora.example/melvora/")});
        catcher.opened.clear();
        // Text that is no URL opens nothing and does not fail.
        Utils::jumpToURL("");
        Utils::jumpToURL("https://melvora.example/a b<>");
        QVERIFY(catcher.opened.isEmpty());
    }

    void versionIsTheProjectVersion()
    {
        QCOMPARE(Utils::getVersionNumber(), QStringLiteral(EXPECTED_VERSION));
    }

private:
    UrlCatcher catcher;
};

QTEST_MAIN(TestUtils)
#include "tst_utils.moc"
