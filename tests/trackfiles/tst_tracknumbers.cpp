// The track-number text read from real files of every format, and from files that are not audio.

#include "tests/support/AudioFiles.h"
#include "tracks/files/ID3Parser.h"
#include "tracks/files/TagStream.h"

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
        // A tag of tens of kilobytes crosses the reader's blocks.
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
        for (const QByteArray &content : {QByteArray("Plain text, not sound.\n"), QByteArray()}) {
            const QString file = path(QString::number(content.size()) + u'.' + suffix);
            QVERIFY(AudioFiles::writeNonAudio(file, content));
            QCOMPARE(trackText(file), QStringLiteral("-"));
        }
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

    // Valid MP3 files whose audio starts far from the first tag.
    void mp3LayoutsTagLibReads()
    {
        const QString plain = path(QStringLiteral("plain.mp3"));
        QVERIFY(AudioFiles::writeMp3(plain, {"Title", {}, {}, "5"}));
        QFile file(plain);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto synchsafe = [](quint32 n) {
            const char out[4] = {char((n >> 21) & 0x7F), char((n >> 14) & 0x7F), char((n >> 7) & 0x7F), char(n & 0x7F)};
            return QByteArray(out, 4);
        };
        const auto byte = [&bytes](int i) { return quint32(quint8(bytes[i])); };
        const qsizetype tagEnd = 10 + (byte(6) << 21 | byte(7) << 14 | byte(8) << 7 | byte(9));
        const QByteArray audio = bytes.mid(tagEnd);

        // A second tag of 100 KiB (cover art, say) between the first and the audio.
        const quint32 second = 100 * 1024;
        const QByteArray twoTags = bytes.left(tagEnd) + QByteArray("ID3\x03\0\0", 6) + synchsafe(second) + QByteArray(second, '\0') + audio;
        // 100 KiB of nothing between the tag and the audio.
        const QByteArray gap = bytes.left(tagEnd) + QByteArray(100 * 1024, '\0') + audio;
        for (const auto &[name, content] : {std::pair{"two tags.mp3", twoTags}, {"gap.mp3", gap}}) {
            const QString file = path(QString::fromLatin1(name));
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(content) == content.size());
            out.close();
            QCOMPARE(storedTrack(file), QStringLiteral("5"));
            QVERIFY2(trackText(file) == u"05", name);
        }
    }

    void placesThatAreNoFiles()
    {
        QCOMPARE(trackText(path(QStringLiteral("missing.mp3"))), QStringLiteral("-"));

        // Opening a pipe would wait for a writer that never comes.
        const QString fifo = path(QStringLiteral("pipe.mp3"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
        QCOMPARE(trackText(fifo), QStringLiteral("-"));

        // A large (sparse) file with an audio name but no audio is not searched through for marks.
        for (const QString &suffix : AudioFiles::suffixes()) {
            const QString large = path(QStringLiteral("large.") + suffix);
            QFile f(large);
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (suffix == u"mp3")
                f.write("ID3\x04\0\0\0\0\0\0", 10); // an empty tag, then nothing
            QVERIFY(f.resize(qint64(2) << 30));
            f.close();
            QCOMPARE(trackText(large), QStringLiteral("-"));
            // TagLib, given the whole file, stops at the reader's budget.
            TagStream stream(QFile::encodeName(large));
            const TagLib::FileRef ref(&stream, true);
            QVERIFY2(stream.overBudget() || stream.bytesRead() < 1024 * 1024, qPrintable(suffix));
        }

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
