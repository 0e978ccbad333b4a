// The track-number text read from real files of every format, and from files that are not audio.

#include "app/common/TextRules.h"
#include "tests/support/AudioFiles.h"
#include "tracks/files/ID3Parser.h"
#include "tracks/files/QuickId3.h"
#include "tracks/files/TagStream.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <taglib/fileref.h>
#include <taglib/mpegfile.h>
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

// An ID3v2 frame as stored: id, size (synchsafe in 2.4 unless plain is
// asked for), flags, then what it holds.
QByteArray synchsafe(quint32 n)
{
    const char out[4] = {char((n >> 21) & 0x7F), char((n >> 14) & 0x7F), char((n >> 7) & 0x7F), char(n & 0x7F)};
    return QByteArray(out, 4);
}

QByteArray frame(int version, const QByteArray &id, const QByteArray &body, quint16 flags = 0, bool plainSize = false)
{
    const auto n = quint32(body.size());
    QByteArray out = id;
    if (version == 4 && !plainSize)
        out += synchsafe(n);
    else
        out += char(n >> 24) + QByteArray(1, char(n >> 16)) + char(n >> 8) + char(n);
    return out + char(flags >> 8) + char(flags & 0xFF) + body;
}

QByteArray text(const QByteArray &value, char encoding = 0)
{
    return encoding + value;
}

// A tag of the given frames and padding, its size in its header.
QByteArray tag(int version, const QByteArray &frames, int padding = 64, char flags = 0, qsizetype claimed = -1)
{
    const auto n = quint32(claimed >= 0 ? claimed : frames.size() + padding);
    return QByteArray("ID3") + char(version) + char(0) + flags + synchsafe(n) + frames + QByteArray(padding, '\0');
}

// count MPEG-1 Layer III frames, 128 kbit/s at 44.1 kHz; the first padded
// by a byte when asked.
QByteArray audio(int count, bool firstPadded = false)
{
    QByteArray frames;
    for (int i = 0; i < count; ++i) {
        const bool padded = firstPadded && i == 0;
        QByteArray f(417 + (padded ? 1 : 0), '\0');
        f[0] = char(0xFF);
        f[1] = char(0xFB);
        f[2] = char(padded ? 0x92 : 0x90);
        f[3] = char(0x64);
        frames += f;
    }
    return frames;
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


    // MP3 files are read without TagLib's objects where their tags are
    // plain: what is read then must be what TagLib reads, in a file TagLib
    // takes for audio too; anything unusual is left to TagLib.
    void quickMp3ReadingAgreesWithTagLib_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("quick");
        const QByteArray seven = text("7/12"), disc = text("2/3"), sound = audio(4);
        const QByteArray id3v1 = "TAG" + QByteArray(125, ' ');
        const QByteArray ape = "APETAGEX" + QByteArray(24, '\0');
        const auto add = [](const char *name, const QByteArray &content, bool quick) { QTest::newRow(name) << content << quick; };
        for (const int v : {3, 4}) {
            const QByteArray plain = frame(v, "TIT2", text("Song")) + frame(v, "TRCK", seven) + frame(v, "TPOS", disc);
            add(v == 3 ? "2.3 track and disc" : "2.4 track and disc", tag(v, plain) + sound, true);
        }
        add("values after empty ones", tag(4, frame(4, "TRCK", text(QByteArray("\0\0" "5\0" "9", 5)))) + sound, true);
        add("first of two track frames", tag(4, frame(4, "TRCK", text("3")) + frame(4, "TRCK", text("8"))) + sound, true);
        add("UTF-8, spaces", tag(4, frame(4, "TRCK", text(" 9 /10", 3))) + sound, true);
        add("no disc frame", tag(3, frame(3, "TRCK", text("11"))) + sound, true);
        add("large art first", tag(4, frame(4, "APIC", QByteArray(200 * 1024, 'x')) + frame(4, "TRCK", seven)) + sound, true);
        add("no padding", tag(4, frame(4, "TRCK", seven), 0) + sound, true);
        add("first audio frame padded", tag(4, frame(4, "TRCK", seven)) + audio(3, true), true);
        add("ID3v1 tag at the end", tag(4, frame(4, "TRCK", seven)) + sound + id3v1, true);

        add("UTF-16 track", tag(4, frame(4, "TRCK", QByteArray("\x01\xFF\xFE" "4\0", 5))) + sound, false);
        add("Latin-1 beyond ASCII", tag(3, frame(3, "TRCK", text("7\xE9"))) + sound, false);
        add("UTF-16 disc", tag(4, frame(4, "TRCK", seven) + frame(4, "TPOS", QByteArray("\x01\xFF\xFE" "2\0", 5))) + sound, false);
        add("empty track text", tag(4, frame(4, "TRCK", text(""))) + sound, false);
        add("flagged track frame", tag(3, frame(3, "TRCK", seven, 0x0040)) + sound, false);
        add("unsynchronised tag", tag(3, frame(3, "TRCK", seven), 64, char(0x80)) + sound, false);
        add("plain size in 2.4", tag(4, frame(4, "COMM", QByteArray(200, 'c'), 0, true) + frame(4, "TRCK", seven)) + sound, false);
        add("empty frame first", tag(3, frame(3, "TXXX", "") + frame(3, "TRCK", seven)) + sound + id3v1, false);
        add("invalid frame id", tag(4, frame(4, "trck", seven) + frame(4, "TRCK", text("4"))) + sound, false);
        add("tag beyond the file", tag(4, frame(4, "TRCK", seven), 64, 0, 1 << 20) + sound, false);
        add("2.2 tag", tag(2, "TRK" + QByteArray("\0\0\x04", 3) + text("3/9")) + sound, false);
        add("no track frame, ID3v1 track", tag(4, frame(4, "TIT2", text("x"))) + sound + "TAG" + QByteArray(122, ' ') + QByteArray("\0\x06\xFF", 3), false);
        add("gap before the audio", tag(4, frame(4, "TRCK", seven)) + QByteArray(3000, '\0') + sound, false);
        add("one audio frame only", tag(4, frame(4, "TRCK", seven)) + audio(1), false);
        add("no audio", tag(4, frame(4, "TRCK", seven)) + QByteArray(4000, 'n'), false);
        add("APE tag at the end", tag(4, frame(4, "TRCK", seven)) + sound + ape, false);
        add("APE tag before ID3v1", tag(4, frame(4, "TRCK", seven)) + sound + ape + id3v1, false);
    }

    void quickMp3ReadingAgreesWithTagLib()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, quick);
        const QString mp3 = path(QStringLiteral("quick.mp3"));
        QFile out(mp3);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(content) == content.size());
        out.close();
        TagStream stream(QFile::encodeName(mp3));
        const std::optional<QuickId3::Texts> texts = QuickId3::read(stream);
        QCOMPARE(texts.has_value(), quick);
        if (!texts)
            return;
        TagLib::MPEG::File file(QFile::encodeName(mp3).constData(), false);
        QVERIFY(file.firstFrameOffset() >= 0 && !file.hasAPETag());
        const TagLib::PropertyMap map = file.properties();
        const auto first = [&map](const char *key) {
            return map.contains(key) ? QByteArray::fromStdString(map[key].front().to8Bit(true)) : QByteArray();
        };
        QCOMPARE(texts->track, first("TRACKNUMBER"));
        QCOMPARE(texts->disc, first("DISCNUMBER"));
        QCOMPARE(ID3Parser::getAlbumPlace(QUrl::fromLocalFile(mp3)).track, TextRules::trackNumber(QString::fromLatin1(texts->track)));
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
