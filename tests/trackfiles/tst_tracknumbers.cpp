// The track-number text read from real files of every format the library
// meets, and from files that are not what their names say.

#include "AudioFiles.h"
#include "ID3Parser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include <sys/stat.h>

namespace {
QString storedTrack(const QString &path)
{
    const TagLib::FileRef ref(QFile::encodeName(path).constData(), false);
    if (ref.isNull())
        return QStringLiteral("<unreadable>");
    const TagLib::PropertyMap map = ref.file()->properties();
    return map.contains("TRACKNUMBER") ? QString::fromStdString(map["TRACKNUMBER"].front().to8Bit(true)) : QString();
}

QString trackText(const QString &path)
{
    return ID3Parser::getAudioFileTrackNumber(QUrl::fromLocalFile(path));
}
} // namespace

class TrackNumbers : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void everyFormat_data()
    {
        QTest::addColumn<QString>("suffix");
        for (const QString &suffix : AudioFiles::suffixes())
            QTest::newRow(qPrintable(suffix)) << suffix;
    }

    void everyFormat()
    {
        QFETCH(QString, suffix);
        const QString withTotal = path(QStringLiteral("total.") + suffix);
        const QString alone = path(QStringLiteral("alone.") + suffix);
        const QString untagged = path(QStringLiteral("untagged.") + suffix);
        QVERIFY(AudioFiles::write(withTotal, {QStringLiteral("Title"), QStringLiteral("Artist"), {}, QStringLiteral("7/12")}));
        QVERIFY(AudioFiles::write(alone, {{}, {}, {}, QStringLiteral("12")}));
        QVERIFY(AudioFiles::write(untagged, {}));

        // The writer really stored the text, not only the number.
        QCOMPARE(storedTrack(withTotal), QStringLiteral("7/12"));
        QCOMPARE(trackText(withTotal), QStringLiteral("07"));
        QCOMPARE(trackText(alone), QStringLiteral("12"));
        QCOMPARE(trackText(untagged), QStringLiteral("-"));
    }

    void tagsLargerThanTheReadersBlocks_data() { everyFormat_data(); }

    void tagsLargerThanTheReadersBlocks()
    {
        // Tags of tens of kilobytes (cover art, long notes) are read in
        // pieces that cross the reader's blocks or bypass them.
        QFETCH(QString, suffix);
        const QString file = path(QStringLiteral("large-tag.") + suffix);
        const QString title = QString::fromUtf8("Überlänge ").repeated(4000);
        QVERIFY(AudioFiles::write(file, {title, QStringLiteral("Artist"), {}, QStringLiteral("5/9")}));
        QCOMPARE(trackText(file), QStringLiteral("05"));
    }

    void oddStoredTexts_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("number and total") << "2/10" << "02";
        QTest::newRow("last of ten") << "10/10" << "10";
        QTest::newRow("zero") << "0" << "00";
        QTest::newRow("letters") << "ABC" << "00";
        QTest::newRow("three digits") << "112" << "112";
        QTest::newRow("negative") << "-3" << "0-3";
    }

    void oddStoredTexts()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        // ID3v2 and Vorbis comments keep any text; both readers must agree.
        for (const QString &suffix : {QStringLiteral("mp3"), QStringLiteral("flac")}) {
            const QString file = path(QStringLiteral("odd.") + suffix);
            QVERIFY(AudioFiles::write(file, {{}, {}, {}, stored}));
            QCOMPARE(storedTrack(file), stored);
            QCOMPARE(trackText(file), expected);
        }
    }

    void notReadableAudio_data()
    {
        QTest::addColumn<QString>("suffix");
        for (const QString &suffix : AudioFiles::suffixes())
            QTest::newRow(qPrintable(suffix)) << suffix;
    }

    void notReadableAudio()
    {
        QFETCH(QString, suffix);
        const QString text = path(QStringLiteral("text.") + suffix);
        const QString empty = path(QStringLiteral("empty.") + suffix);
        QVERIFY(AudioFiles::writeNonAudio(text));
        QVERIFY(AudioFiles::writeNonAudio(empty, {}));
        QCOMPARE(trackText(text), QStringLiteral("-"));
        QCOMPARE(trackText(empty), QStringLiteral("-"));
    }

    void placesThatAreNoFiles()
    {
        QCOMPARE(trackText(path(QStringLiteral("missing.mp3"))), QStringLiteral("-"));

        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.mp3")));
        QCOMPARE(trackText(path(QStringLiteral("folder.mp3"))), QStringLiteral("-"));

        // Opening a pipe would wait for a writer that never comes.
        const QString fifo = path(QStringLiteral("pipe.mp3"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
        QCOMPARE(trackText(fifo), QStringLiteral("-"));

        // A large file with an audio name but no audio must not be searched
        // byte by byte for a first frame (minutes for this one; the test's
        // time limit catches it). Sparse, so it costs no disk.
        const QString large = path(QStringLiteral("large.mp3"));
        {
            QFile f(large);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("ID3\x04\0\0\0\0\0\0", 10); // an empty tag, then nothing
            QVERIFY(f.resize(qint64(512) << 20));
        }
        QCOMPARE(trackText(large), QStringLiteral("-"));

        QCOMPARE(ID3Parser::getAudioFileTrackNumber(QUrl(QStringLiteral("https://example.org/a.mp3"))), QStringLiteral("-"));
        QCOMPARE(ID3Parser::getAudioFileTrackNumber(QUrl()), QStringLiteral("-"));
    }

    void fileNameThatLooksEscaped()
    {
        // The URL must lead back to this very file, not to "A B #1? Café.mp3".
        const QString odd = path(QStringLiteral("A%20B #1? Café.mp3"));
        QVERIFY(AudioFiles::write(odd, {{}, {}, {}, QStringLiteral("4/9")}));
        QCOMPARE(trackText(odd), QStringLiteral("04"));
    }
};

QTEST_GUILESS_MAIN(TrackNumbers)
#include "tst_tracknumbers.moc"
