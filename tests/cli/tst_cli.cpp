// melvora-cli as a script meets it: the real program as a process, on real
// files with awkward names, its output and its exit status.
#include "app/common/FileNames.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/CliRun.h"
#include "tests/support/LibraryProcess.h"
#include "tracks/files/FileDates.h"
#include "tracks/library/ITunesApplication.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {
using Result = CliRun::Result;

Result cli(const QList<QByteArray> &arguments)
{
    return CliRun::run(QStringLiteral(MELVORA_CLI), arguments);
}

std::optional<FileTime> modified(const QByteArray &path)
{
    return FileDates::modificationDate(FileNames::urlOf(path));
}

// Tagged files with awkward names (spaces, '%', NFC and NFD, bytes that are
// not UTF-8), tracks 1, 3, 5, 7, 9 in this order; a non-audio file beside them.
struct Album
{
    QTemporaryDir dir;
    QByteArray folder = QFile::encodeName(dir.path());
    QList<QByteArray> tracks; // in track order
    QByteArray notes = folder + "/notes.txt";

    Album()
    {
        const QList<QByteArray> names{"A Song With Spaces.flac", "100% Pure.mp3", "Caf\xC3\xA9.mp3", "Cafe\xCC\x81.ogg",
                                      "\xFF\xFE.mp3"};
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QByteArray path = folder + '/' + names.at(i);
            const QString made = dir.filePath(QStringLiteral("made.%1").arg(QString::fromLatin1(FileNames::suffixOf(path))));
            if (!AudioFiles::write(made, {QString::number(i), {}, {}, QString::number(2 * i + 1)})
                || ::rename(QFile::encodeName(made), path) != 0)
                return;
            tracks.append(path);
        }
        AudioFiles::writeNonAudio(QString::fromLocal8Bit(notes));
    }
    // QTemporaryDir cannot remove a name that is not UTF-8.
    ~Album()
    {
        for (const QByteArray &path : std::as_const(tracks))
            ::unlink(path.constData());
    }
    bool isValid() const { return tracks.size() == 5; }
};

QJsonObject json(const Result &result)
{
    return QJsonDocument::fromJson(result.out).object();
}
} // namespace

class CliTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The runs go into a journal of this test's own.
        QVERIFY(m_data.isValid());
        qputenv("MELVORA_JOURNAL", QFile::encodeName(m_data.filePath(QStringLiteral("journal.sqlite"))));
    }

    void orderPrintsEachFileOnceInAlbumOrder()
    {
        Album album;
        QVERIFY(album.isValid());
        // A track in a subfolder takes its place among the others.
        QVERIFY(QDir(album.dir.path()).mkpath(QStringLiteral("disc")));
        QVERIFY(AudioFiles::write(album.dir.filePath(QStringLiteral("disc/Inside.mp3")), {{}, {}, {}, QStringLiteral("2")}));
        QVERIFY(AudioFiles::writeNonAudio(album.dir.filePath(QStringLiteral("notes.mp3"))));
        const Result byTrack = cli({"order", "--by", "track", album.folder});
        QCOMPARE(byTrack.status, 0);
        QCOMPARE(byTrack.out, QByteArray("A Song With Spaces.flac\t01\n"
                                         "Inside.mp3\t02\n"
                                         "100% Pure.mp3\t03\n"
                                         "Caf\xC3\xA9.mp3\t05\n"
                                         "Cafe\xCC\x81.ogg\t07\n"
                                         "\\xFF\\xFE.mp3\t09\n"
                                         "notes.mp3\t-\n"));

        // A name that reaches nothing is named with the reason; the rest still print.
        const Result missing = cli({"order", "--by", "name", album.folder + "/gone.mp3", album.tracks.last()});
        QCOMPARE(missing.status, 1);
        QCOMPARE(missing.out, QByteArray("\\xFF\\xFE.mp3\t09\n"));
        QVERIFY2(missing.err.contains("gone.mp3: No such file or directory"), missing.err);
    }

    void dateCommandsChangeExactlyTheNamedFiles()
    {
        Album album;
        QVERIFY(album.isValid());
        const std::optional<FileTime> notesBefore = modified(album.notes);
        const QList<QByteArray> named = album.tracks.mid(1); // the first file is not named
        const std::optional<FileTime> firstBefore = modified(album.tracks.first());
        const FileTime target{1614827167, 250000000};

        // A preview names each file with its date now and the new one, and changes nothing.
        const Result preview = cli(QList<QByteArray>{"set-date", "--dry-run", "2021-03-04T05:06:07.25+02:00"} + named);
        QCOMPARE(preview.status, 0);
        QCOMPARE(preview.out.count('\n'), 4);
        QVERIFY2(preview.out.contains("\\xFF\\xFE.mp3\t"), preview.out);
        for (const QByteArray &path : named)
            QVERIFY(*modified(path) != target);

        const Result set = cli(QList<QByteArray>{"set-date", "2021-03-04T05:06:07.25+02:00"} + named << album.folder + "/gone.mp3");
        QCOMPARE(set.status, 1);
        QVERIFY2(set.err.contains("gone.mp3: No such file or directory"), set.err);
        for (const QByteArray &path : named)
            QCOMPARE(*modified(path), target);
        QCOMPARE(modified(album.tracks.first()), firstBefore);

        // Files named against album order, then their folder, which stands
        // for its audio files: each taken once, newest first, one second apart.
        QList<std::optional<FileTime>> unsorted;
        QList<QByteArray> sortArguments{"sort-dates", "--json", "--by", "track", "--first", "newest"};
        for (qsizetype i = 0; i < album.tracks.size(); ++i) {
            QVERIFY(FileDates::setModificationDate(album.tracks.at(i), FileTime{1'600'000'000 + i, 100 + i}));
            unsorted.append(modified(album.tracks.at(i)));
            sortArguments.insert(6, album.tracks.at(i));
        }
        const Result sorted = cli(sortArguments << album.folder);
        QCOMPARE(sorted.status, 0);
        const QJsonArray items = json(sorted).value(QStringLiteral("items")).toArray();
        QCOMPARE(items.size(), 5);
        QCOMPARE(items.at(4).toObject().value(QStringLiteral("url")).toString(), QString::fromLatin1(FileNames::urlOf(album.tracks.last()).toEncoded()));
        for (qsizetype i = 1; i < album.tracks.size(); ++i) {
            QCOMPARE(modified(album.tracks.at(i))->seconds, modified(album.tracks.at(i - 1))->seconds - 1);
            QCOMPARE(modified(album.tracks.at(i))->nanoseconds, 0);
        }
        QCOMPARE(modified(album.notes), notesBefore);
        // Taken back, each file gets its own earlier date, although the run
        // wrote them in album order.
        QCOMPARE(cli({"undo"}).status, 0);
        for (qsizetype i = 0; i < album.tracks.size(); ++i)
            QCOMPARE(modified(album.tracks.at(i)), unsorted.at(i));

        // Where the file system keeps no creation date the file is named and left alone.
        const std::optional<FileTime> born = FileDates::creationDate(FileNames::urlOf(album.tracks.first()));
        const Result copied = cli({"copy-birth-date", album.tracks.first()});
        if (born) {
            QCOMPARE(copied.status, 0);
            QCOMPARE(modified(album.tracks.first()), born);
        } else {
            QCOMPARE(copied.status, 1);
            QVERIFY2(copied.err.contains("No creation date recorded"), copied.err);
        }

        for (const QList<QByteArray> &wrong : QList<QList<QByteArray>>{
                 {"set-date", "yesterday", album.notes}, {"set-date", "2021-02-30", album.notes},
                 {"sort-dates", "--by", "track", album.notes}, {"set-date", "--force", "2021-01-01", album.notes}}) {
            QCOMPARE(cli(wrong).status, 2);
            QCOMPARE(modified(album.notes), notesBefore);
        }
    }

    void momentsAreReadAsWritten()
    {
        // Local time unless an offset is given; the time zone is fixed for the child.
        qputenv("TZ", "Europe/Berlin");
        const auto reset = qScopeGuard([] { qunsetenv("TZ"); }); // also when a case fails
        QTemporaryDir dir;
        const QByteArray file = QFile::encodeName(dir.filePath(QStringLiteral("x.mp3")));
        QVERIFY(AudioFiles::writeNonAudio(QString::fromLocal8Bit(file)));
        const QList<std::pair<QByteArray, FileTime>> cases{
            {"2021-07-01", {1625090400, 0}},                      // midnight, summer time
            {"2021-01-01 12:00", {1609498800, 0}},
            {"2021-01-01T12:00:00Z", {1609502400, 0}},
            {"2021-01-01T12:00:00.123456789-0530", {1609522200, 123456789}},
            {"2021-03-28T02:30:00", {1616895000, 0}},            // skipped by the clocks: just after
        };
        for (const auto &[text, expected] : cases) {
            const Result r = cli({"set-date", text, file});
            QVERIFY2(r.status == 0, text + r.err);
            QCOMPARE(*modified(file), expected);
        }
    }

    void historyAndUndoTakeBackTheCommandLinesRuns()
    {
        Album album;
        QVERIFY(album.isValid());
        QList<std::optional<FileTime>> before;
        for (const QByteArray &path : album.tracks)
            before.append(modified(path));
        QCOMPARE(cli(QList<QByteArray>{"set-date", "2020-01-01T00:00:00Z"} + album.tracks).status, 0);
        // A file changed since the run is left alone, and named.
        QVERIFY(FileDates::setModificationDate(FileNames::urlOf(album.tracks.at(2)), {1700000000, 0}));

        const Result history = cli({"history", "--json"});
        QCOMPARE(history.status, 0);
        const QJsonObject last = json(history).value(QStringLiteral("runs")).toArray().first().toObject();
        QCOMPARE(last.value(QStringLiteral("tool")).toString(), QStringLiteral("Set Modification Date"));
        QCOMPARE(last.value(QStringLiteral("changed")).toInt(), 5);

        const Result preview = cli({"undo", "--dry-run"});
        QCOMPARE(preview.status, 0);
        QVERIFY2(preview.out.contains("left alone: changed since the run"), preview.out);
        QCOMPARE(*modified(album.tracks.first()), (FileTime{1577836800, 0}));

        const Result undo = cli({"undo"});
        QCOMPARE(undo.status, 0);
        QVERIFY2(undo.out.contains("4 items got back") && undo.out.contains(FileNames::shownName(FileNames::urlOf(album.tracks.at(2))).toUtf8()), undo.out);
        for (qsizetype i = 0; i < album.tracks.size(); ++i)
            QCOMPARE(modified(album.tracks.at(i)), i == 2 ? std::optional(FileTime{1700000000, 0}) : before.at(i));

        // The undo is a run of its own: taken back, it is a redo.
        const Result redo = cli({"undo"});
        QVERIFY2(redo.status == 0 && redo.out.contains("Undo Set Modification Date"), redo.out);
        QCOMPARE(*modified(album.tracks.first()), (FileTime{1577836800, 0}));
        QVERIFY(cli({"history"}).out.contains("Redo Set Modification Date"));
        QCOMPARE(cli({"undo", "999999"}).status, 1);
    }

    // A long list takes the paths a few files do not: worked side by side,
    // its plan journalled in parts. Every file still gets its own second, in
    // name order, and undo gives each its own earlier date back.
    void aLongListInOneRun()
    {
        QTemporaryDir dir;
        QList<QByteArray> files;
        QList<FileTime> earlier;
        for (int i = 0; i < 1500; ++i) {
            // Named so that name order differs from the order given.
            const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("%1 track.txt").arg((i * 7) % 1500, 4, 10, QLatin1Char('0'))));
            QFile file(QFile::decodeName(path));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
            file.close();
            earlier.append({1'200'000'000 + i * 100, i});
            QVERIFY(FileDates::setModificationDate(FileNames::urlOf(path), earlier.last()));
            files.append(path);
        }
        // Too many for one shell line: the names are plain, so straight to the program.
        QStringList arguments{QStringLiteral("sort-dates"), QStringLiteral("--by"), QStringLiteral("name"), QStringLiteral("--first"), QStringLiteral("oldest")};
        for (const QByteArray &path : std::as_const(files))
            arguments.append(QFile::decodeName(path));
        QProcess run;
        run.start(QStringLiteral(MELVORA_CLI), arguments);
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitCode(), 0);
        QList<QByteArray> byName = files;
        std::sort(byName.begin(), byName.end());
        const std::optional<FileTime> first = modified(byName.first());
        QVERIFY(first && first->nanoseconds == 0);
        for (qsizetype i = 0; i < byName.size(); ++i)
            QCOMPARE(modified(byName.at(i)), std::optional(FileTime{first->seconds + i, 0}));

        const QJsonObject last = json(cli({"history", "--json"})).value(QStringLiteral("runs")).toArray().first().toObject();
        QCOMPARE(last.value(QStringLiteral("changed")).toInt(), 1500);
        QCOMPARE(cli({"undo"}).status, 0);
        for (qsizetype i = 0; i < files.size(); ++i)
            QCOMPARE(modified(files.at(i)), std::optional(earlier.at(i)));
    }

    void libraryCommandsGoThroughTheRunningLibrary()
    {
        Album album;
        QVERIFY(album.isValid());
        // Without the library nothing is changed, and it is said.
        const Result alone = cli({"play-count", "--set", "3", album.folder});
        QCOMPARE(alone.status, 1);
        QVERIFY2(alone.err.contains("the library is not running; nothing was changed"), alone.err);

        LibraryProcess library;
        QVERIFY(library.start());
        const ITunesApplication iTunes = ITunesApplication::iTunes();
        const auto held = [&iTunes](const QByteArray &path) { return iTunes.trackOfFile(FileNames::urlOf(path)); };

        // Last to first in track order, each in a later second than the one after it.
        const Result added = cli({"date-added", "--last-to-first", album.folder, album.notes});
        QCOMPARE(added.status, 1); // the non-audio file is refused, and named
        QVERIFY2(added.err.contains("notes.txt: "), added.err);
        for (qsizetype i = 1; i < album.tracks.size(); ++i)
            QVERIFY(held(album.tracks.at(i - 1))->dateAdded.toSecsSinceEpoch() > held(album.tracks.at(i))->dateAdded.toSecsSinceEpoch());
        // Handing a file over again leaves its Date Added, and says so.
        const Result again = cli({"date-added", "--first-to-last", album.tracks.first()});
        QVERIFY2(again.status == 1 && again.err.contains("already in the library"), again.err);

        const QByteArray one = album.tracks.at(4);
        QCOMPARE(cli({"play-count", "--set", "7", album.folder}).status, 0);
        QCOMPARE(cli({"play-count", "--subtract", "9", one}).status, 0);
        QCOMPARE(held(one)->track.playedCount(), 0);
        QCOMPARE(held(album.tracks.first())->track.playedCount(), 7);

        const Result preview = cli({"rating", "--dry-run", "--set", "4", one});
        QCOMPARE(preview.out, FileNames::shownPath(FileNames::urlOf(one)).toUtf8() + "\tno stars\t\u2605\u2605\u2605\u2605\n");
        QCOMPARE(held(one)->track.rating(), 0);
        const Result rated = cli({"rating", "--json", "--set", "4", one, album.notes});
        QCOMPARE(rated.status, 1);
        QCOMPARE(json(rated).value(QStringLiteral("failed")).toInt(), 1);
        QCOMPARE(held(one)->track.rating(), 80);
        QCOMPARE(cli({"rating", "--add", "3", one}).status, 0);
        QCOMPARE(held(one)->track.rating(), 100);
        QCOMPARE(cli({"rating", "--set", "6", one}).status, 2);

        // Undo through the library: the rating goes back to 4 stars.
        QCOMPARE(cli({"undo"}).status, 0);
        QCOMPARE(held(one)->track.rating(), 80);

        // A changed file is read again by the library.
        QCOMPARE(cli({"set-date", "2019-06-01T10:00:00Z", one}).status, 0);
        QTRY_COMPARE(held(one)->track.dateModified().toSecsSinceEpoch(), 1559383200);
        library.stop();
    }

    void usageHelpAndVersion()
    {
        for (const QList<QByteArray> &wrong : QList<QList<QByteArray>>{
                 {}, {"order"}, {"order", "--by", "colour", "x.mp3"}, {"order", "--by", "track"}, {"frobnicate"}}) {
            const Result r = cli(wrong);
            QCOMPARE(r.status, 2);
            QVERIFY(r.out.isEmpty() && r.err.contains("usage: melvora-cli"));
        }
        for (const char *command : {"set-date", "copy-birth-date", "sort-dates", "play-count", "rating", "date-added",
                                    "history", "undo", "order"}) {
            const Result help = cli({command, "--help"});
            QVERIFY2(help.status == 0 && help.out.startsWith("usage: melvora-cli " + QByteArray(command)), command);
        }
        const Result version = cli({"--version"});
        QVERIFY(version.status == 0 && version.out.startsWith("melvora-cli "));
    }

private:
    QTemporaryDir m_data;
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
