// Album order: the key rule on texts, then sorting real tagged files.

#include "AlbumOrder.h"
#include "AudioFiles.h"

#include <QTemporaryDir>
#include <QTest>

using AlbumOrder::Key;

class AlbumOrderTest : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

    QUrl file(const QString &name, const QString &track = {})
    {
        const QString path = dir.filePath(name);
        if (!QFile::exists(path) && !AudioFiles::write(path, {{}, {}, {}, track}))
            qFatal("cannot write %s", qPrintable(path));
        return QUrl::fromLocalFile(path);
    }

    static QStringList names(const QList<QUrl> &urls)
    {
        QStringList out;
        for (const QUrl &url : urls)
            out.append(url.fileName());
        return out;
    }

private slots:
    void keyComparison_data()
    {
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QString>("higher");
        QTest::newRow("leading zero") << "09" << "10";
        QTest::newRow("text, not number") << "100" << "11";
        QTest::newRow("no number last") << "999" << "MAX";
        QTest::newRow("capital first") << "B.mp3" << "a.mp3";
        QTest::newRow("case") << "a.mp3" << "b.mp3";
        QTest::newRow("prefix") << "a" << "a.mp3";
        QTest::newRow("blank before percent") << "A B.mp3" << "A%20B.mp3";
        // By code point: a character beyond U+FFFF follows U+FFFD although its
        // first UTF-16 unit is smaller.
        QTest::newRow("beyond the basic plane") << QString(QChar(0xFFFD)) << QString::fromUtf8("\xF0\x9F\x8E\xB5");
    }

    void keyComparison()
    {
        QFETCH(QString, lower);
        QFETCH(QString, higher);
        QVERIFY(AlbumOrder::compareKeys(lower, higher) < 0);
        QVERIFY(AlbumOrder::compareKeys(higher, lower) > 0);
        QCOMPARE(AlbumOrder::compareKeys(lower, lower), 0);
    }

    void canonicallyEquivalentKeysAreEqual()
    {
        const QString composed = QString::fromUtf8("Caf\u00e9.mp3");
        const QString decomposed = QString::fromUtf8("Cafe\u0301.mp3");
        QVERIFY(composed != decomposed);
        QCOMPARE(AlbumOrder::compareKeys(composed, decomposed), 0);
        // Both forms sort at the same place among other names.
        for (const QString &other : {QStringLiteral("Cafe.mp3"), QStringLiteral("Caff.mp3"), QStringLiteral("Cafe")})
            QCOMPARE(AlbumOrder::compareKeys(composed, other), AlbumOrder::compareKeys(decomposed, other));
    }

    void byTrackNumber()
    {
        const QList<QUrl> files = {
            file(QStringLiteral("untagged.mp3")),           file(QStringLiteral("ten.flac"), QStringLiteral("10/10")),
            file(QStringLiteral("hundred.mp3"), QStringLiteral("100")), file(QStringLiteral("two.ogg"), QStringLiteral("2/10")),
            file(QStringLiteral("eleven.wav"), QStringLiteral("11")),  file(QStringLiteral("one.m4a"), QStringLiteral("1")),
            file(QStringLiteral("notes.mp3")), // replaced by text below
        };
        QVERIFY(AudioFiles::writeNonAudio(files.last().toLocalFile()));
        QCOMPARE(names(AlbumOrder::sorted(files, Key::TrackNumber)),
                 QStringList({"one.m4a", "two.ogg", "ten.flac", "hundred.mp3", "eleven.wav", "untagged.mp3", "notes.mp3"}));
        QCOMPARE(AlbumOrder::key(files.first(), Key::TrackNumber), QStringLiteral("MAX"));
        QCOMPARE(AlbumOrder::key(files.at(3), Key::TrackNumber), QStringLiteral("02"));
    }

    void byFileName()
    {
        const QList<QUrl> files = {file(QStringLiteral("b.mp3")), file(QStringLiteral("B.mp3")),
                                   file(QStringLiteral("a.mp3")), file(QStringLiteral("A%20B.mp3")),
                                   file(QStringLiteral("A B.mp3"))};
        QCOMPARE(names(AlbumOrder::sorted(files, Key::FileName)),
                 QStringList({"A B.mp3", "A%20B.mp3", "B.mp3", "a.mp3", "b.mp3"}));
        // The name on disk, escapes and all.
        QCOMPARE(AlbumOrder::key(files.at(3), Key::FileName), QStringLiteral("A%20B.mp3"));
        QVERIFY(AlbumOrder::sorted({}, Key::FileName).isEmpty());
    }

    void equalKeysKeepTheirOrder()
    {
        // Two distinct files whose names differ only in composition.
        const QUrl composed = file(QString::fromUtf8("Caf\u00e9.mp3"), QStringLiteral("5"));
        const QUrl decomposed = file(QString::fromUtf8("Cafe\u0301.mp3"), QStringLiteral("5"));
        const QUrl first = file(QStringLiteral("Aria.mp3"), QStringLiteral("9"));
        QCOMPARE(AlbumOrder::sorted({decomposed, composed, first}, Key::FileName),
                 QList<QUrl>({first, decomposed, composed}));
        QCOMPARE(AlbumOrder::sorted({composed, decomposed, first}, Key::FileName),
                 QList<QUrl>({first, composed, decomposed}));

        // Enough files to be read side by side: those sharing a number, and
        // those without one, stay as they were listed.
        QList<QUrl> files;
        QList<QUrl> expectedSevens, expectedUnnumbered;
        for (int i = 0; i < 40; ++i) {
            const QString name = QStringLiteral("f%1.mp3").arg(39 - i, 2, 10, QLatin1Char('0'));
            const QUrl url = file(name, i % 3 == 0 ? QStringLiteral("7/9") : (i % 3 == 1 ? QString() : QStringLiteral("%1").arg(i + 10)));
            files.append(url);
            if (i % 3 == 0)
                expectedSevens.append(url);
            else if (i % 3 == 1)
                expectedUnnumbered.append(url);
        }
        const QList<QUrl> result = AlbumOrder::sorted(files, Key::TrackNumber);
        QCOMPARE(result.size(), files.size());
        QCOMPARE(result.mid(0, expectedSevens.size()), expectedSevens);
        QCOMPARE(result.mid(result.size() - expectedUnnumbered.size()), expectedUnnumbered);
    }
};

QTEST_GUILESS_MAIN(AlbumOrderTest)
#include "tst_albumorder.moc"
