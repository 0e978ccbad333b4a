// The track-number text read from real files of every format the library
// meets, and from files that are not what their names say.

#include "tests/support/AudioFiles.h"
#include "tracks/files/ID3Parser.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include <sys/stat.h>

#include <utility>

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
        // A name that looks escaped: the URL must lead back to this very file.
        const QString withTotal = path(QStringLiteral("A%20B #1? Café.") + suffix);
        const QString alone = path(QStringLiteral("alone.") + suffix);
        const QString untagged = path(QStringLiteral("untagged.") + suffix);
        // A tag of tens of kilobytes is read in pieces that cross the reader's blocks or bypass them.
        const QString title = QString::fromUtf8("Überlänge ").repeated(4000);
        QVERIFY(AudioFiles::write(withTotal, {title, QStringLiteral("Artist"), {}, QStringLiteral("7/12")}));
        QVERIFY(AudioFiles::write(alone, {{}, {}, {}, QStringLiteral("12")}));
        QVERIFY(AudioFiles::write(untagged, {}));

        // The writer really stored the text, not only the number.
        QCOMPARE(storedTrack(withTotal), QStringLiteral("7/12"));
        QCOMPARE(trackText(withTotal), QStringLiteral("07"));
        QCOMPARE(trackText(alone), QStringLiteral("12"));
        QCOMPARE(trackText(untagged), QStringLiteral("-"));

        // Text and empty files with the format's name are no audio.
        const QString text = path(QStringLiteral("text.") + suffix);
        const QString empty = path(QStringLiteral("empty.") + suffix);
        QVERIFY(AudioFiles::writeNonAudio(text));
        QVERIFY(AudioFiles::writeNonAudio(empty, {}));
        QCOMPARE(trackText(text), QStringLiteral("-"));
        QCOMPARE(trackText(empty), QStringLiteral("-"));
    }

    void oddStoredTexts()
    {
        // The stored text and what the reader makes of it.
        const std::pair<QString, QString> cases[] = {
            {"10/10", "10"}, {"0", "00"}, {"ABC", "00"}, {"112", "112"}, {"-3", "0-3"}, {"12\n13", "12 13"},
        };
        // ID3v2 and Vorbis comments keep any text; both readers must agree.
        for (const auto &[stored, expected] : cases) {
            for (const QString &suffix : {QStringLiteral("mp3"), QStringLiteral("flac")}) {
                const QString file = path(QStringLiteral("odd.") + suffix);
                QVERIFY(AudioFiles::write(file, {{}, {}, {}, stored}));
                QCOMPARE(storedTrack(file), stored);
                QCOMPARE(trackText(file), expected);
            }
        }
    }

    void placesThatAreNoFiles()
    {
        QCOMPARE(trackText(path(QStringLiteral("missing.mp3"))), QStringLiteral("-"));

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

        // An encoded NUL would end the name early, at a tagged file.
        const QString tagged = path(QStringLiteral("a"));
        QVERIFY(AudioFiles::writeMp3(tagged, {"A", "Artist", "Album", "7"}));
        QCOMPARE(trackText(tagged), QStringLiteral("07"));
        const QUrl cut = QUrl::fromEncoded(QUrl::fromLocalFile(tagged).toEncoded() + "%00b.mp3");
        QCOMPARE(ID3Parser::getAudioFileTrackNumber(cut), QStringLiteral("-"));
    }
};

QTEST_GUILESS_MAIN(TrackNumbers)
#include "tst_tracknumbers.moc"
