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

    QUrl file(const QString &name, const QString &track = {}, const QString &disc = {})
    {
        const QString path = dir.filePath(name);
        if (!AudioFiles::write(path, {{}, {}, {}, track}) || (!disc.isEmpty() && !AudioFiles::writeDisc(path, disc)))
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
    // Keys as the files hold them: "7/9" reads as "07", no readable number as "MAX"; then
    // disc first, files without a disc number on disc 1; equal keys keep their order.
    void byTrackNumber()
    {
        const QList<QUrl> files = {
            file("untagged.mp3"),     file("ten.flac", "10/10"), file("hundred.mp3", "100"), file("two.ogg", "2/10"),
            file("eleven.wav", "11"), file("one.m4a", "1"),      file("notes.mp3"), // replaced by text below
        };
        QVERIFY(AudioFiles::writeNonAudio(files.last().toLocalFile()));
        QCOMPARE(
            names(AlbumOrder::sorted(files, Key::TrackNumber)),
            QStringList({"one.m4a", "two.ogg", "ten.flac", "hundred.mp3", "eleven.wav", "untagged.mp3", "notes.mp3"}));

        const QList<QUrl> discs = {
            file("d2t1.mp3", "1", "2/2"), file("d1t2.flac", "2", "1/2"), file("d2t2.m4a", "2", "2"),
            file("d1t1.ogg", "1", "1"),   file("plain3.mp3", "3"),       file("d2none.mp3", "", "2"),
        };
        QCOMPARE(names(AlbumOrder::sorted(discs, Key::TrackNumber)),
                 QStringList({"d1t1.ogg", "d1t2.flac", "plain3.mp3", "d2t1.mp3", "d2t2.m4a", "d2none.mp3"}));

        // Enough files to be read side by side, named against their order: those
        // numbered 7 first and those without a number last, each as listed.
        QList<QUrl> many;
        for (int i = 0; i < 40; ++i) {
            const QString name = QStringLiteral("f%1.mp3").arg(39 - i, 2, 10, QLatin1Char('0'));
            many << file(name, i % 2 ? QString() : QStringLiteral("7/9"));
        }
        const QList<QUrl> result = AlbumOrder::sorted(many, Key::TrackNumber);
        for (int i = 0; i < 40; ++i)
            QCOMPARE(result[i % 2 ? 20 + i / 2 : i / 2], many[i]);
    }

    void byFileName()
    {
        // The name on disk: a blank before "%20", capitals first, and by code point
        // (a character beyond U+FFFF follows U+FFFD although its first UTF-16 unit is smaller).
        const QString beyond = QString::fromUtf8("\xF0\x9F\x8E\xB5.mp3"), replacement = QString::fromUtf8("\uFFFD.mp3");
        const QList<QUrl> files = {file(beyond),      file("b.mp3"),     file("B.mp3"),  file("a.mp3"),
                                   file("A%20B.mp3"), file(replacement), file("A B.mp3")};
        QCOMPARE(names(AlbumOrder::sorted(files, Key::FileName)),
                 QStringList({"A B.mp3", "A%20B.mp3", "B.mp3", "a.mp3", "b.mp3", replacement, beyond}));

        // Equal keys keep their order: two distinct files whose names differ only in composition.
        const QUrl composed = file(QString::fromUtf8("Caf\u00e9.mp3"), "5");
        const QUrl decomposed = file(QString::fromUtf8("Cafe\u0301.mp3"), "5");
        const QUrl first = file("Aria.mp3", "9");
        QCOMPARE(AlbumOrder::sorted({decomposed, composed, first}, Key::FileName),
                 QList<QUrl>({first, decomposed, composed}));
        QCOMPARE(AlbumOrder::sorted({composed, decomposed, first}, Key::FileName),
                 QList<QUrl>({first, composed, decomposed}));
    }
};

QTEST_GUILESS_MAIN(AlbumOrderTest)
#include "tst_albumorder.moc"
