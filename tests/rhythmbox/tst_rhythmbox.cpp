// Every tool against a real Rhythmbox: the real program's runs on real files
// Rhythmbox holds, each effect read back from Rhythmbox itself (over Qt
// D-Bus, not through the program's own client), and the changes found in
// Rhythmbox's database file after the program's save and after a clean quit.
#include "app/common/FileNames.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/CliRun.h"
#include "tests/support/RhythmboxProcess.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/library/Rhythmbox.h"

#include <QFile>
#include <QTest>
#include <QXmlStreamReader>

#include <cstdio>
#include <unistd.h>

namespace {
CliRun::Result cli(const QList<QByteArray> &arguments)
{
    return CliRun::run(QStringLiteral(MELVORA_CLI), arguments, 60000);
}

QString uriOf(const QByteArray &path)
{
    return Rhythmbox::storedUri(FileNames::urlOf(path));
}

qint64 value(const QByteArray &path, const char *property)
{
    return RhythmboxProcess::entry(uriOf(path)).value(QLatin1String(property)).toLongLong();
}

double stars(const QByteArray &path)
{
    return RhythmboxProcess::entry(uriOf(path)).value(QStringLiteral("rating")).toDouble();
}

// What Rhythmbox's database file says of the song at uri: its elements'
// texts by name; empty when the file has no such song.
QHash<QString, QString> savedEntry(const QString &databaseFile, const QString &uri)
{
    QFile file(databaseFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QHash<QString, QString> entry;
    bool inSong = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"entry") {
            inSong = xml.attributes().value(QStringLiteral("type")) == u"song";
            entry.clear();
        } else if (inSong && xml.isStartElement()) {
            const QString name = xml.name().toString();
            entry.insert(name, xml.readElementText());
        } else if (xml.isEndElement() && xml.name() == u"entry" && inSong) {
            if (entry.value(QStringLiteral("location")) == uri)
                return entry;
            inSong = false;
        }
    }
    return {};
}
} // namespace

class TestRhythmbox : public QObject
{
    Q_OBJECT

    RhythmboxProcess m_rhythmbox;
    QList<QByteArray> m_songs; // held by Rhythmbox, in album order
    QByteArray m_newcomer;     // a song Rhythmbox does not hold at first
    QByteArray m_notes;        // not audio

    // A tagged MP3 in Rhythmbox's music folder under exactly these bytes.
    QByteArray song(const QByteArray &name, int track)
    {
        const QByteArray folder = QFile::encodeName(m_rhythmbox.musicFolder());
        const QString written = m_rhythmbox.musicFolder() + QStringLiteral("/written.mp3");
        if (!AudioFiles::writeMp3(written, {QStringLiteral("Song %1").arg(track), QStringLiteral("Artist"),
                                            QStringLiteral("Album"), QString::number(track)}))
            return {};
        const QByteArray path = folder + '/' + name;
        return ::rename(QFile::encodeName(written).constData(), path.constData()) == 0 ? path : QByteArray();
    }

private slots:
    void initTestCase()
    {
        if (const QString missing = RhythmboxProcess::missing(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        QString why;
        QVERIFY2(m_rhythmbox.start(&why), qPrintable(why));
        // Names Rhythmbox escapes, keeps raw, or holds as bytes that are not UTF-8.
        const QList<QByteArray> names{"01 First; Light.mp3", "02 (Caf\xC3\xA9) & Co's #2.mp3", "03 \xFF Odd.mp3"};
        for (int i = 0; i < names.size(); ++i) {
            m_songs.append(song(names.at(i), i + 1));
            QVERIFY(!m_songs.last().isEmpty());
            QVERIFY(RhythmboxProcess::load(uriOf(m_songs.last())));
        }
        for (const QByteArray &path : std::as_const(m_songs))
            QVERIFY2(RhythmboxProcess::waitForEntry(uriOf(path)), path.constData());
        m_newcomer = song("04 Newcomer.mp3", 4);
        m_notes = QFile::encodeName(m_rhythmbox.musicFolder()) + "/notes.mp3";
        QFile notes(QString::fromLocal8Bit(m_notes));
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("not audio\n") > 0);
    }

    void cleanupTestCase()
    {
        // Names that are not UTF-8 are beyond the temporary folder's own clean-up.
        for (const QByteArray &path : std::as_const(m_songs))
            ::unlink(path.constData());
    }

    // The running Rhythmbox is the library the program drives; a file is
    // found under the URI Rhythmbox keeps, whatever its name.
    void theRunningRhythmboxIsTheLibrary()
    {
        const ITunesApplication library = ITunesApplication::iTunes();
        QCOMPARE(library.serviceName(), QStringLiteral("org.gnome.Rhythmbox3"));
        QVERIFY(library.isRunning());
        QVERIFY(library.setsDateAdded());
        for (const QByteArray &path : std::as_const(m_songs)) {
            const auto held = library.trackOfFile(FileNames::urlOf(path));
            QVERIFY2(held && held->track.isValid(), path.constData());
            QCOMPARE(held->track.location().toString(QUrl::FullyEncoded), RhythmboxProcess::entry(uriOf(path)).value(QStringLiteral("location")).toString());
        }
        const auto none = library.trackOfFile(FileNames::urlOf(m_newcomer));
        QVERIFY(none && !none->track.isValid());
    }

    // Play Count and Rating: set, add and subtract, each value read back
    // from Rhythmbox; stars for ratings; bounds held; undo through the
    // library; a file Rhythmbox does not hold is named, not counted.
    void countsAndRatingsAreWrittenAndReadBack()
    {
        QList<QByteArray> arguments{"play-count", "--set", "12"};
        arguments += m_songs;
        CliRun::Result result = cli(arguments);
        QVERIFY2(result.status == 0, result.err.constData());
        for (const QByteArray &path : std::as_const(m_songs))
            QCOMPARE(value(path, "play-count"), 12);
        // The notice of how Rhythmbox keeps changes, once.
        QCOMPARE(result.err.count("keeps changes in memory"), 1);

        result = cli({"play-count", "--subtract", "20", m_songs.at(0), m_newcomer});
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains("not in the library"), result.err.constData());
        QCOMPARE(value(m_songs.at(0), "play-count"), 0);
        QCOMPARE(value(m_songs.at(1), "play-count"), 12);

        result = cli({"rating", "--set", "4", m_songs.at(0), m_songs.at(1)});
        QVERIFY2(result.status == 0, result.err.constData());
        QCOMPARE(stars(m_songs.at(0)), 4.0);
        result = cli({"rating", "--add", "3", m_songs.at(1)});
        QVERIFY2(result.status == 0, result.err.constData());
        QCOMPARE(stars(m_songs.at(1)), 5.0);
        QCOMPARE(stars(m_songs.at(2)), 0.0);
        // Undo takes the last run back through Rhythmbox.
        result = cli({"undo"});
        QVERIFY2(result.status == 0, result.err.constData());
        QCOMPARE(stars(m_songs.at(1)), 4.0);
        QCOMPARE(stars(m_songs.at(0)), 4.0);
    }

    // Date Modified: the file gets its date, and Rhythmbox knows it at once
    // and shows it.
    void modificationDatesAreReadAgainAndShown()
    {
        const CliRun::Result result = cli({"set-date", "2024-05-01T12:00:00Z", m_newcomer, m_songs.at(2), m_songs.at(1)});
        QVERIFY2(result.status == 0, result.err.constData());
        // A file Rhythmbox does not hold gets its date and stays out of it.
        QVERIFY(RhythmboxProcess::entry(uriOf(m_newcomer)).isEmpty());
        // At once: not when Rhythmbox's own folder monitor gets to it.
        QCOMPARE(value(m_songs.at(1), "mtime"), 1714564800);
        QCOMPARE(value(m_songs.at(2), "mtime"), 1714564800);
        // The last file changed is the one shown, selected in the window.
        QStringList selected;
        QTRY_VERIFY_WITH_TIMEOUT(RhythmboxProcess::selected(&selected) && selected == QStringList{uriOf(m_songs.at(1))}, 10000);
    }

    // The selection a drop takes comes from Rhythmbox's window, with values.
    void theSelectionComesFromTheWindow()
    {
        const ITunesApplication library = ITunesApplication::iTunes();
        const auto held = library.trackOfFile(FileNames::urlOf(m_songs.at(0)));
        QVERIFY(held && held->track.isValid());
        ITunesTrack track = held->track;
        track.reveal();
        const QList<ITunesTrack> tracks = library.selection().get();
        QCOMPARE(tracks.size(), 1);
        QCOMPARE(FileNames::pathOf(tracks.at(0).location()), m_songs.at(0));
        QCOMPARE(tracks.at(0).rating(), 80);
        QCOMPARE(tracks.at(0).playedCount(), int(value(m_songs.at(0), "play-count")));
    }

    // A Rhythmbox that hangs costs a run its timeout, not a hang; nothing is
    // reported done, and once it goes on it is driven as before.
    void aHungRhythmboxFailsTheRunInTime()
    {
        m_rhythmbox.suspend();
        const CliRun::Result hung = cli({"play-count", "--set", "3", m_songs.at(2)});
        m_rhythmbox.resume();
        QCOMPARE(hung.status, 1);
        QVERIFY2(!hung.out.contains("1 of 1"), hung.out.constData());
        QVERIFY2(hung.err.contains("03 "), hung.err.constData());
        // Nothing changed, so nothing is said of keeping changes.
        QVERIFY2(!hung.err.contains("keeps changes"), hung.err.constData());
        const CliRun::Result after = cli({"play-count", "--set", "3", m_songs.at(2)});
        QVERIFY2(after.status == 0, after.err.constData());
        QCOMPARE(value(m_songs.at(2), "play-count"), 3);
    }

    // Date Added: written directly, one second apart in album order, for a
    // song Rhythmbox held and one it is given; a file that is not audio is
    // refused and named.
    void datesAddedFollowTheAlbum()
    {
        QList<QByteArray> arguments{"date-added", "--first-to-last", "--by", "name"};
        arguments += m_songs;
        arguments += {m_newcomer, m_notes};
        const CliRun::Result result = cli(arguments);
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains("notes.mp3"), result.err.constData());
        QList<QByteArray> album = m_songs;
        album.append(m_newcomer);
        for (qsizetype i = 1; i < album.size(); ++i)
            QCOMPARE(value(album.at(i), "first-seen"), value(album.at(i - 1), "first-seen") + 1);
        QVERIFY(value(album.last(), "first-seen") <= QDateTime::currentSecsSinceEpoch());
        QCOMPARE(RhythmboxProcess::entry(uriOf(m_notes)).value(QStringLiteral("first-seen")).toLongLong(), 0);
    }

    // After a run the program has Rhythmbox save: the changes are in its
    // file while it still runs, and after it quits cleanly.
    void changesAreSavedBeforeAndAfterQuitting()
    {
        const CliRun::Result result = cli({"play-count", "--set", "33", m_songs.at(1)});
        QVERIFY2(result.status == 0, result.err.constData());
        QVERIFY(m_rhythmbox.isRunning());
        QCOMPARE(savedEntry(m_rhythmbox.databaseFile(), uriOf(m_songs.at(1))).value(QStringLiteral("play-count")), QStringLiteral("33"));
        QCOMPARE(savedEntry(m_rhythmbox.databaseFile(), uriOf(m_songs.at(0))).value(QStringLiteral("rating")).toDouble(), 4.0);
        const qint64 firstSeen = value(m_newcomer, "first-seen");
        QVERIFY(m_rhythmbox.quit());
        const QHash<QString, QString> kept = savedEntry(m_rhythmbox.databaseFile(), uriOf(m_newcomer));
        QCOMPARE(kept.value(QStringLiteral("first-seen")).toLongLong(), firstSeen);
        QCOMPARE(savedEntry(m_rhythmbox.databaseFile(), uriOf(m_songs.at(1))).value(QStringLiteral("play-count")), QStringLiteral("33"));
    }

    // Without the plugin the values still go in and are read back, and the
    // person is told to quit Rhythmbox normally, as nothing could save.
    void withoutThePluginThePersonIsToldToQuitNormally()
    {
        QString why;
        QVERIFY2(m_rhythmbox.start(&why, false), qPrintable(why));
        QVERIFY(RhythmboxProcess::waitForEntry(uriOf(m_songs.at(1))));
        QCOMPARE(value(m_songs.at(1), "play-count"), 33);
        const CliRun::Result result = cli({"play-count", "--add", "1", m_songs.at(1)});
        QVERIFY2(result.status == 0, result.err.constData());
        QCOMPARE(value(m_songs.at(1), "play-count"), 34);
        QCOMPARE(result.err.count("Quit Rhythmbox normally"), 1);
    }
};

QTEST_GUILESS_MAIN(TestRhythmbox)
#include "tst_rhythmbox.moc"
