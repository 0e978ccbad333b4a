// Album order: the key rule on texts, then sorting real tagged files.

#include "tests/support/AudioFiles.h"
#include "tracks/files/AlbumOrder.h"

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
        if (!AudioFiles::write(path, {{}, {}, {}, track}))
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
    void byTrackNumber()
    {
        // Keys as the files hold them: "7/9" reads as "07", no readable number as "MAX".
        const QList<QUrl> files = {
            file(QStringLiteral("untagged.mp3")),           file(QStringLiteral("ten.flac"), QStringLiteral("10/10")),
            file(QStringLiteral("hundred.mp3"), QStringLiteral("100")), file(QStringLiteral("two.ogg"), QStringLiteral("2/10")),
            file(QStringLiteral("eleven.wav"), QStringLiteral("11")),  file(QStringLiteral("one.m4a"), QStringLiteral("1")),
            file(QStringLiteral("notes.mp3")), // replaced by text below
        };
        QVERIFY(AudioFiles::writeNonAudio(files.last().toLocalFile()));
        QCOMPARE(names(AlbumOrder::sorted(files, Key::TrackNumber)),
                 QStringList({"one.m4a", "two.ogg", "ten.flac", "hundred.mp3", "eleven.wav", "untagged.mp3", "notes.mp3"}));
    }

    // Two discs run one after the other: disc first, then track. Files
    // without a disc number are on disc 1.
    void byDiscThenTrackNumber()
    {
        const auto onDisc = [this](const QString &name, const QString &track, const QString &disc) {
            const QString path = dir.filePath(name);
            if (!AudioFiles::write(path, {{}, {}, {}, track}) || !AudioFiles::writeDisc(path, disc))
                qFatal("cannot write %s", qPrintable(path));
            return QUrl::fromLocalFile(path);
        };
        const QList<QUrl> files = {
            onDisc("d2t1.mp3", "1", "2/2"), onDisc("d1t2.flac", "2", "1/2"), onDisc("d2t2.m4a", "2", "2"),
            onDisc("d1t1.ogg", "1", "1"),   onDisc("plain3.mp3", "3", ""),   onDisc("d2none.mp3", "", "2"),
        };
        QCOMPARE(names(AlbumOrder::sorted(files, Key::TrackNumber)),
                 QStringList({"d1t1.ogg", "d1t2.flac", "plain3.mp3", "d2t1.mp3", "d2t2.m4a", "d2none.mp3"}));
    }

    void byFileName()
    {
        // The name on disk, escapes and all: a blank sorts before "%20". Capitals
        // first. By code point: a character beyond U+FFFF follows U+FFFD although
        // its first UTF-16 unit is smaller.
        const QString beyond = QString::fromUtf8("\xF0\x9F\x8E\xB5.mp3"), replacement = QString::fromUtf8("\uFFFD.mp3");
        const QList<QUrl> files = {file(beyond), file(QStringLiteral("b.mp3")), file(QStringLiteral("B.mp3")),
                                   file(QStringLiteral("a.mp3")), file(QStringLiteral("A%20B.mp3")),
                                   file(replacement), file(QStringLiteral("A B.mp3"))};
        QCOMPARE(names(AlbumOrder::sorted(files, Key::FileName)),
                 QStringList({"A B.mp3", "A%20B.mp3", "B.mp3", "a.mp3", "b.mp3", replacement, beyond}));
    }

    void equalKeysKeepTheirOrder()
    {
        // Two distinct files whose names differ only in composition: equal keys.
        const QUrl composed = file(QString::fromUtf8("Caf\u00e9.mp3"), QStringLiteral("5"));
        const QUrl decomposed = file(QString::fromUtf8("Cafe\u0301.mp3"), QStringLiteral("5"));
        const QUrl first = file(QStringLiteral("Aria.mp3"), QStringLiteral("9"));
        QCOMPARE(AlbumOrder::sorted({decomposed, composed, first}, Key::FileName),
                 QList<QUrl>({first, decomposed, composed}));
        QCOMPARE(AlbumOrder::sorted({composed, decomposed, first}, Key::FileName),
                 QList<QUrl>({first, composed, decomposed}));

        // Enough files to be read side by side, named against their listed order:
        // those numbered 7 come first and those without a number last, each as listed.
        QList<QUrl> files;
        for (int i = 0; i < 40; ++i) {
            const QString name = QStringLiteral("f%1.mp3").arg(39 - i, 2, 10, QLatin1Char('0'));
            files << file(name, i % 2 ? QString() : QStringLiteral("7/9"));
        }
        const QList<QUrl> result = AlbumOrder::sorted(files, Key::TrackNumber);
        for (int i = 0; i < 40; ++i)
            QCOMPARE(result[i % 2 ? 20 + i / 2 : i / 2], files[i]);
    }
};

QTEST_GUILESS_MAIN(AlbumOrderTest)
#include "tst_albumorder.moc"
