// The shared helpers: palette, track-number and file-name rules, the mail and
// web openers, the version.

#include "UrlCatcher.h"
#include "Utils.h"

#include <QGuiApplication>
#include <QTest>
#include <QUrl>

class TestUtils : public QObject
{
    Q_OBJECT

private slots:
    void init() { catcher.opened.clear(); }

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
        for (auto [got, level] : {std::pair{color.redF(), r}, {color.greenF(), g}, {color.blueF(), b}})
            QVERIFY2(qAbs(got - level / 256.0) <= slack, qPrintable(QString::number(got)));
        QCOMPARE(color.alphaF(), 1.0f);
    }
    void trackNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("number/total") << "7/10" << "07";
        QTest::newRow("letters") << "AB" << "00";
        QTest::newRow("digits after letters") << "A3" << "00";
        QTest::newRow("leading space") << " 3" << "03";
        QTest::newRow("negative") << "-3" << "0-3";
        QTest::newRow("trailing space kept") << "12 /14" << "12 ";
        QTest::newRow("two digits, text after") << "12a" << "12a";
        QTest::newRow("huge") << "99999999999999999999" << "99999999999999999999";
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
        QTest::newRow("non-ASCII") << "/music/Café Ünïcode.flac" << "Café Ünïcode.flac";
        QTest::newRow("trailing slash") << "/music/album/" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("no folder") << "song.mp3" << "song.mp3";
    }
    void fileNameIsTheRealName()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(Utils::getFileNameFromPath(path), expected);
    }

    // Only spaces are escaped, in every part; the text goes to the mail program as is.
    void mailUrlEscapesOnlySpaces()
    {
        QCOMPARE(Utils::mailUrlText("a b@x.example", "Feature Request", "two words"),
                 QStringLiteral("mailto:a%20b@x.example?Subject=Feature%20Request&body=two%20words"));
        Utils::sendEmailWithMail("Your email address", "support@melvora.example", "Support", "");
        QCOMPARE(catcher.opened.size(), 1);
        QCOMPARE(catcher.opened.first().toString(QUrl::FullyEncoded),
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
