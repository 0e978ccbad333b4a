// Every tool against a real Rhythmbox, each effect read back from Rhythmbox
// itself and from its database file after a save and after a clean quit.
#include "tests/rhythmbox/RhythmboxFixture.h"
#include "tests/support/CliRun.h"
#include "tracks/library/ITunesApplication.h"

#include <QTest>
#include <QXmlStreamReader>

#include <unistd.h>

using namespace RhythmboxFixture;

namespace {
CliRun::Result cli(const QList<QByteArray> &arguments)
{
    return CliRun::run(QStringLiteral(MELVORA_CLI), arguments, 60000);
}

// The elements of the song at uri in Rhythmbox's database file, by name.
QHash<QString, QString> savedEntry(const QString &databaseFile, const QString &uri)
{
    QFile file(databaseFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    xml.readNextStartElement(); // rhythmdb
    while (xml.readNextStartElement()) {
        const bool song = xml.attributes().value(QStringLiteral("type")) == u"song";
        QHash<QString, QString> entry;
        while (xml.readNextStartElement())
            entry.insert(xml.name().toString(), xml.readElementText(QXmlStreamReader::SkipChildElements));
        if (song && entry.value(QStringLiteral("location")) == uri)
            return entry;
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
            m_songs.append(addSong(m_rhythmbox, names.at(i), i + 1));
            QVERIFY(!m_songs.last().isEmpty());
        }
        for (const QByteArray &path : std::as_const(m_songs))
            QVERIFY2(RhythmboxProcess::waitForEntry(uriOf(path)), path.constData());
        m_newcomer = addSong(m_rhythmbox, "04 Newcomer.mp3", 4, false);
        m_notes = QFile::encodeName(m_rhythmbox.musicFolder()) + "/notes.mp3";
        QVERIFY(!m_newcomer.isEmpty() && AudioFiles::writeNonAudio(QString::fromLocal8Bit(m_notes)));
    }

    void cleanupTestCase()
    {
        // Names that are not UTF-8 are beyond the temporary folder's own clean-up.
        for (const QByteArray &path : std::as_const(m_songs))
            ::unlink(path.constData());
    }

    // The running Rhythmbox is the library: a file is found under the URI it
    // keeps, whatever its name, and counts and ratings go in and are read back.
    void countsAndRatingsGoThroughTheRunningRhythmbox()
    {
        const ITunesApplication library = ITunesApplication::iTunes();
        QCOMPARE(library.serviceName(), QStringLiteral("org.gnome.Rhythmbox3"));
        QVERIFY(library.isRunning());
        CliRun::Result result = cli(QList<QByteArray>{"play-count", "--set", "12"} + m_songs);
        QVERIFY2(result.status == 0, result.err.constData());
        QCOMPARE(result.err.count("keeps changes in memory"), 1);
        for (const QByteArray &path : std::as_const(m_songs)) {
            const auto held = library.trackOfFile(FileNames::urlOf(path));
            QVERIFY2(held && held->track.isValid(), path.constData());
            QCOMPARE(held->track.location().toString(QUrl::FullyEncoded), RhythmboxProcess::entry(uriOf(path)).value(QStringLiteral("location")).toString());
            QCOMPARE(value(path, "play-count"), 12);
        }

        // A file Rhythmbox does not hold is named, not counted.
        result = cli({"play-count", "--subtract", "20", m_songs.at(0), m_newcomer});
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains("not in the library"), result.err.constData());
        QCOMPARE(value(m_songs.at(0), "play-count"), 0);
        QCOMPARE(value(m_songs.at(1), "play-count"), 12);

        result = cli({"rating", "--set", "4", m_songs.at(0), m_songs.at(1)});
        QVERIFY2(result.status == 0, result.err.constData());
        QCOMPARE(value(m_songs.at(0), "rating"), 4);
        result = cli({"rating", "--add", "3", m_songs.at(1)});
        QVERIFY2(result.status == 0, result.err.constData());
        QCOMPARE(value(m_songs.at(1), "rating"), 5);
        QCOMPARE(value(m_songs.at(2), "rating"), 0);
        result = cli({"undo"});
        QVERIFY2(result.status == 0, result.err.constData());
        QCOMPARE(value(m_songs.at(1), "rating"), 4);
        QCOMPARE(value(m_songs.at(0), "rating"), 4);
    }

    void modificationDatesAndTheSelectionAreShown()
    {
        const CliRun::Result result = cli({"set-date", "2024-05-01T12:00:00Z", m_newcomer, m_songs.at(2), m_songs.at(1)});
        QVERIFY2(result.status == 0, result.err.constData());
        // A file Rhythmbox does not hold gets its date and stays out of it.
        QVERIFY(RhythmboxProcess::entry(uriOf(m_newcomer)).isEmpty());
        // At once: not when Rhythmbox's own folder monitor gets to it.
        QCOMPARE(value(m_songs.at(1), "mtime"), 1714564800);
        QCOMPARE(value(m_songs.at(2), "mtime"), 1714564800);
        // The last file changed is the one selected in the window.
        QStringList selected;
        QTRY_VERIFY_WITH_TIMEOUT(RhythmboxProcess::selected(&selected) && selected == QStringList{uriOf(m_songs.at(1))}, 10000);

        // The selection a drop takes comes from the window, with values.
        const ITunesApplication library = ITunesApplication::iTunes();
        const auto held = library.trackOfFile(FileNames::urlOf(m_songs.at(0)));
        QVERIFY(held && held->track.isValid());
        ITunesTrack(held->track).reveal();
        const QList<ITunesTrack> tracks = library.selection().get();
        QCOMPARE(tracks.size(), 1);
        QCOMPARE(FileNames::pathOf(tracks.at(0).location()), m_songs.at(0));
        QCOMPARE(tracks.at(0).rating(), 80);
        QCOMPARE(tracks.at(0).playedCount(), value(m_songs.at(0), "play-count"));
    }

    // A hung Rhythmbox costs a run its timeout, not a hang; nothing is
    // reported done, and once it goes on it is driven as before.
    void aHungRhythmboxFailsTheRunInTime()
    {
        m_rhythmbox.suspend();
        const CliRun::Result hung = cli({"play-count", "--set", "3", m_songs.at(2)});
        m_rhythmbox.resume();
        QCOMPARE(hung.status, 1);
        QVERIFY2(!hung.out.contains("1 of 1"), hung.out.constData());
        QVERIFY2(hung.err.contains("03 "), hung.err.constData());
        QVERIFY2(!hung.err.contains("keeps changes"), hung.err.constData());
        const CliRun::Result after = cli({"play-count", "--set", "3", m_songs.at(2)});
        QVERIFY2(after.status == 0, after.err.constData());
        QCOMPARE(value(m_songs.at(2), "play-count"), 3);
    }

    // One second apart in album order, for songs Rhythmbox held and one it
    // is given; a file that is not audio is refused and named.
    void datesAddedFollowTheAlbum()
    {
        const QList<QByteArray> album = m_songs + QList<QByteArray>{m_newcomer};
        const CliRun::Result result = cli(QList<QByteArray>{"date-added", "--first-to-last", "--by", "name"} + album << m_notes);
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains("notes.mp3"), result.err.constData());
        for (qsizetype i = 1; i < album.size(); ++i)
            QCOMPARE(value(album.at(i), "first-seen"), value(album.at(i - 1), "first-seen") + 1);
        QVERIFY(value(album.last(), "first-seen") <= QDateTime::currentSecsSinceEpoch());
        QCOMPARE(value(m_notes, "first-seen"), 0);
    }

    // After a run the program has Rhythmbox save: the changes are in its
    // file while it still runs, and after it quits cleanly.
    void changesAreSavedBeforeAndAfterQuitting()
    {
        const auto saved = [this](const QByteArray &path, const QString &property) {
            return savedEntry(m_rhythmbox.databaseFile(), uriOf(path)).value(property);
        };
        const CliRun::Result result = cli({"play-count", "--set", "33", m_songs.at(1)});
        QVERIFY2(result.status == 0, result.err.constData());
        QVERIFY(m_rhythmbox.isRunning());
        QCOMPARE(saved(m_songs.at(1), QStringLiteral("play-count")), QStringLiteral("33"));
        QCOMPARE(saved(m_songs.at(0), QStringLiteral("rating")).toDouble(), 4.0);
        const double firstSeen = value(m_newcomer, "first-seen");
        QVERIFY(m_rhythmbox.quit());
        QCOMPARE(saved(m_newcomer, QStringLiteral("first-seen")).toDouble(), firstSeen);
        QCOMPARE(saved(m_songs.at(1), QStringLiteral("play-count")), QStringLiteral("33"));
    }

    // Without the plugin nothing can save: the person is told to quit Rhythmbox normally.
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
