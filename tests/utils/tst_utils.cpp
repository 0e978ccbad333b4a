// The shared helpers: palette, track-number and file-name rules, the mail and
// web openers, the version.

#include "app/common/Utils.h"
#include "tests/support/UrlCatcher.h"

#include <QGuiApplication>
#include <QTest>
#include <QUrl>

#include <utility>

using Cases = std::initializer_list<std::pair<QString, QString>>;

class TestUtils : public QObject
{
    Q_OBJECT

private slots:
    void paletteIsLevelsOver256()
    {
        const struct { QColor color; int r, g, b; } palette[] = {
            {Utils::ColorBG(), 255, 250, 240},          {Utils::ColorSecondTitle(), 176, 167, 167},
            {Utils::ColorSidebar(), 76, 67, 67},        {Utils::ColorBorder(), 221, 217, 208},
            {Utils::ColorTab(), 243, 239, 230},         {Utils::ColorPreview(), 122, 129, 65},
            {Utils::ColorPreviewLighter(), 190, 194, 155},
        };
        // QColor keeps 16 bits a component: that is the only slack allowed.
        // Levels over 255 would be off by more than 0.001.
        const double slack = 0.5 / 65535 + 1e-9;
        for (const auto &[color, r, g, b] : palette) {
            for (auto [got, level] : {std::pair{color.redF(), r}, {color.greenF(), g}, {color.blueF(), b}})
                QVERIFY2(qAbs(got - level / 256.0) <= slack, qPrintable(color.name()));
            QCOMPARE(color.alphaF(), 1.0f);
        }
    }

    void trackNumberAndFileNameOnOddInputs()
    {
        for (const auto &[text, expected] : Cases{{"7/10", "07"}, {"AB", "00"}, {"A3", "00"}, {" 3", "03"},
                                                  {"-3", "0-3"}, {"12 /14", "12 "}, {"12a", "12a"},
                                                  {"99999999999999999999", "99999999999999999999"},
                                                  {"12\n13", "12 13"}, {"12\t", "12 "}})
            QCOMPARE(Utils::getTrackNumber(text), expected);
        // Shown on one line, with names told apart.
        QCOMPARE(Utils::printable(QStringLiteral("a\nb\tc\x7f\u0085d é")), QStringLiteral("a\u240Ab\u2409c\u2421\uFFFDd é"));
        // Paths from file URLs are decoded already: the name is shown as is.
        for (const auto &[path, expected] : Cases{{"/music/100% Pure.mp3", "100% Pure.mp3"},
                                                  {"/music/A%20B.mp3", "A%20B.mp3"},
                                                  {"/music/Café Ünïcode.flac", "Café Ünïcode.flac"},
                                                  {"/music/album/", ""}, {"", ""}, {"song.mp3", "song.mp3"}})
            QCOMPARE(Utils::getFileNameFromPath(path), expected);
    }

    // Mail: only spaces are escaped, in every part. Web: only a URL opens.
    void mailAndWebOpeners()
    {
        QCOMPARE(Utils::mailUrlText("a b@x.example", "Feature Request", "two words"),
                 QStringLiteral("mailto:a%20b@x.example?Subject=Feature%20Request&body=two%20words"));
        UrlCatcher catcher;
        Utils::jumpToURL("");
        Utils::jumpToURL("https://melvora.example/a b<>");
        Utils::jumpToURL("https://melvora.example/melvora/");
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl("https://melvora.example/melvora/")});
    }

    void versionIsTheProjectVersion() { QCOMPARE(Utils::getVersionNumber(), QStringLiteral(EXPECTED_VERSION)); }
};

QTEST_MAIN(TestUtils)
#include "tst_utils.moc"
