// The shared helpers: palette, track-number and file-name rules, mail and web.

#include "app/common/FileNames.h"
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
        // Every colour is made by one rule; QColor's 16 bits a component are the only slack.
        const QColor colour = Utils::ColorPreview();
        const double slack = 0.5 / 65535 + 1e-9;
        for (auto [got, level] : {std::pair{colour.redF(), 122}, {colour.greenF(), 129}, {colour.blueF(), 65}})
            QVERIFY2(qAbs(got - level / 256.0) <= slack, qPrintable(colour.name()));
        QCOMPARE(colour.alphaF(), 1.0f);
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
        for (const auto &[path, expected] :
             Cases{{"/music/100% A%20B.mp3", "100% A%20B.mp3"}, {"/music/album/", ""}, {"song.mp3", "song.mp3"}})
            QCOMPARE(Utils::getFileNameFromPath(path), expected);
    }

    // A file URL gives back exactly the bytes of the name, whatever they are;
    // what would reach another file gives nothing.
    void fileNamesAreBytes()
    {
        QByteArray every = "/d/";
        for (int c = 1; c < 256; ++c)
            if (c != '/')
                every += char(c);
        QCOMPARE(FileNames::pathOf(FileNames::urlOf(every)), every);
        QCOMPARE(FileNames::pathOf(QUrl(FileNames::urlOf(every).toString())), every); // through text and back
        // Made without parsing, it is the URL its text parses to: the same
        // file compares and hashes alike wherever its URL came from.
        for (const QByteArray &path : {every, QByteArray("//d/x.mp3"), QByteArray("/")}) {
            const QUrl parsed = QUrl::fromEncoded("file://" + path.toPercentEncoding("/"), QUrl::StrictMode);
            QCOMPARE(FileNames::urlOf(path), parsed);
            QCOMPARE(FileNames::urlOf(path).toString(QUrl::FullyEncoded), parsed.toString(QUrl::FullyEncoded));
            QCOMPARE(qHash(FileNames::urlOf(path)), qHash(parsed));
            QCOMPARE(FileNames::pathOf(FileNames::urlOf(path)), path);
        }
        QCOMPARE(FileNames::pathOf(QUrl::fromEncoded("file:///m/%FF%FE.mp3")), QByteArray("/m/\xFF\xFE.mp3"));
        for (const char *refused : {"file:///m/a%00b.mp3", "file://server/m/a.mp3", "http://h/m/a.mp3", "file:"})
            QVERIFY2(FileNames::pathOf(QUrl::fromEncoded(refused)).isEmpty(), refused);
        QCOMPARE(FileNames::pathOf(QUrl::fromEncoded("file://localhost/m/a.mp3")), QByteArray("/m/a.mp3"));

        // Shown readably and told apart: UTF-8 as text, other bytes (also
        // overlong forms and encoded surrogates) escaped, one line.
        QCOMPARE(FileNames::shown("\xFF\xFE.mp3"), QStringLiteral("\\xFF\\xFE.mp3"));
        QCOMPARE(FileNames::shown("\xEF\xBF\xBD.mp3"), QStringLiteral("\uFFFD.mp3"));
        QCOMPARE(FileNames::shown("Caf\xC3\xA9 \xC3(\xC0\xAF\xED\xA0\x80\xF0\x9F\x8E\xB5\n"),
                 QStringLiteral("Café \\xC3(\\xC0\\xAF\\xED\\xA0\\x80\U0001F3B5\u240A"));
        QCOMPARE(FileNames::shownName(FileNames::urlOf("/m/\xFF.flac")), QStringLiteral("\\xFF.flac"));
        QCOMPARE(FileNames::suffixOf("/m.x/Song.MP3"), QByteArray("mp3"));
        QCOMPARE(FileNames::suffixOf("/m.x/Song"), QByteArray());
        QCOMPARE(FileNames::cleaned("/../m//./a/../\xFF/"), QByteArray("/m/\xFF"));
        // Each way a path can be unclean, alone; names with dots are names.
        for (const auto &[in, out] : QList<std::pair<QByteArray, QByteArray>>{
                 {"/m/.", "/m"}, {"/m/a/..", "/m"}, {"/m/a/", "/m/a"}, {"//m", "/m"}, {"/m/./a", "/m/a"},
                 {"/m/x/../a", "/m/a"}, {"/", "/"}, {"/m/.a/b..c/...", "/m/.a/b..c/..."}})
            QCOMPARE(FileNames::cleaned(in), out);
    }

    // Mail: only spaces are escaped, in address, subject and body. Web: only a URL opens.
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
};

QTEST_MAIN(TestUtils)
#include "tst_utils.moc"
