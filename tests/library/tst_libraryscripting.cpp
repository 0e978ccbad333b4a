// The scripting bridge against a real headless music-library on a private bus.

#include "tests/library/ScriptingTestKit.h"
#include "tracks/library/ITunesCallWindow.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QtConcurrent>

#include <atomic>
#include <thread>

class LibraryScriptingTest : public ScriptingTestBase
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        LibraryProtocol::registerTypes();
        QVERIFY2(QFile::exists(LibraryProcess::program()), "music-library must be built beside the tests");
    }

    // When none runs, ours is in use unless the environment names Rhythmbox;
    // else the running one. Presence follows the bus name, also a crash.
    void presenceAndTheLibraryInUseFollowTheBus()
    {
        QVERIFY(!iTunes().isRunning());
        QCOMPARE(ITunesApplication::iTunes().serviceName(), service);
        QVERIFY(ITunesApplication::iTunes().save()); // ours writes at once
        qputenv("MELVORA_LIBRARY", "Rhythmbox");
        const auto unset = qScopeGuard([] { qunsetenv("MELVORA_LIBRARY"); });
        const ITunesApplication named = ITunesApplication::iTunes();
        QCOMPARE(named.serviceName(), QStringLiteral("org.gnome.Rhythmbox3"));
        QVERIFY(!named.save()); // nothing there to save

        LibraryProcess library;
        QVERIFY(library.start());
        QTRY_VERIFY_WITH_TIMEOUT(iTunes().isRunning(), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(ITunesApplication::iTunes().serviceName(), service, 1000);
        ::kill(pid_t(library.pid()), SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(!iTunes().isRunning(), 1000);
        QVERIFY(library.start());
        QTRY_VERIFY_WITH_TIMEOUT(iTunes().isRunning(), 1000);
        QVERIFY(QtConcurrent::run([] { return iTunes().isRunning(); }).result());
    }

    void runStartsTheLibraryBesideTheProgram()
    {
        // The started library's data and window settings stay out of the real folders.
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
        PidGuard guard;
        QVERIFY(!iTunes().isRunning());
        const bool started = iTunes().run();
        guard.pid = QDBusConnection::sessionBus().interface()->servicePid(service).value();
        QVERIFY(started);
        QTRY_VERIFY_WITH_TIMEOUT(iTunes().isRunning(), 1000);
        QVERIFY(QFile::exists(home.filePath(QStringLiteral("music-library/Library.sqlite"))));
        QVERIFY(iTunes().run()); // a second run finds it running
        callLibrary("Quit");
        QVERIFY(LibraryProcess::waitForOwner(false, 5000));
        // Its window kept its size on the way out.
        QTRY_VERIFY(QFile::exists(home.filePath(QStringLiteral("config/melvora/music-library.conf"))));
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CONFIG_HOME");
    }

    void headlessLibraryEndsWithItsParent()
    {
        QTemporaryDir dir;
        QProcess parent; // lives until its input ends
        parent.start(QStringLiteral("/bin/sh"),
                     {QStringLiteral("-c"), QStringLiteral("\"$0\" --headless --database \"$1\" & echo $!; read end"),
                      LibraryProcess::program(), dir.filePath(QStringLiteral("Library.sqlite"))});
        QVERIFY(parent.waitForReadyRead(5000));
        PidGuard guard{parent.readLine().trimmed().toLongLong()};
        QVERIFY(guard.pid > 0);
        QVERIFY(LibraryProcess::waitForOwner(true, 5000));
        parent.closeWriteChannel();
        QVERIFY(parent.waitForFinished(5000));
        QVERIFY(LibraryProcess::waitForOwner(false, 3000));
    }

    void addAndRefreshFollowTheFile()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        const QString path = tagged(QStringLiteral("Ünïcode Song"), QStringLiteral("Zoë & Band"));
        const QDateTime before = QDateTime::currentDateTime();
        ITunesTrack track = iTunes().add({QUrl::fromLocalFile(path)});
        QVERIFY(track.isValid());
        QCOMPARE(track.name(), QStringLiteral("Ünïcode Song"));
        QCOMPARE(track.artist(), QStringLiteral("Zoë & Band"));
        QCOMPARE(track.location(), QUrl::fromLocalFile(path));
        QCOMPARE(track.playedCount(), 0);
        QVERIFY(track.dateAdded() >= before.addMSecs(-1) && track.dateAdded() <= QDateTime::currentDateTime());

        // Added again later, also by another spelling of its path: the same track, same date.
        QTRY_VERIFY(QDateTime::currentMSecsSinceEpoch() > track.dateAdded().toMSecsSinceEpoch() + 1);
        const ITunesTrack again = iTunes().add({QUrl::fromLocalFile(path)});
        QCOMPARE(again.persistentId(), track.persistentId());
        QCOMPARE(again.dateAdded(), track.dateAdded());
        const QUrl roundabout
            = QUrl::fromLocalFile(m_files.path() + QStringLiteral("/./sub/../") + QFileInfo(path).fileName());
        QCOMPARE(iTunes().add({roundabout}).persistentId(), track.persistentId());

        const QString folder = m_files.filePath(QStringLiteral("folder.mp3"));
        QVERIFY(QDir().mkpath(folder));
        for (const QUrl &url : {QUrl::fromLocalFile(m_files.filePath(QStringLiteral("nothing here.mp3"))),
                                QUrl::fromLocalFile(folder), QUrl::fromLocalFile(textFile(QStringLiteral("text.mp3"))),
                                QUrl::fromLocalFile(textFile(QStringLiteral("empty.mp3"), 0)),
                                QUrl(QStringLiteral("http://example.invalid/song.mp3"))})
            QVERIFY2(!iTunes().add({url}).isValid(), qPrintable(url.toString()));
        QCOMPARE(trackCount(), 1);

        // Refreshed, the track follows its file.
        const QDateTime past = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6, 789));
        QVERIFY(setModified(path, past));
        QVERIFY(track.dateModified() != past); // nothing read yet
        waitUntilChangeTimesAged({path});
        track.refresh();
        QCOMPARE(track.dateModified(), past);

        // Retagged with the old date put back, as tag editors keeping dates do: new tags read.
        QVERIFY(AudioFiles::writeTags(path, {QStringLiteral("After"), QStringLiteral("Other"), {}, {}}));
        QVERIFY(setModified(path, past));
        track.refresh();
        QCOMPARE(track.name(), QStringLiteral("After"));
        QCOMPARE(track.artist(), QStringLiteral("Other"));
        QCOMPARE(track.dateModified(), past);

        // A vanished file keeps what was read last.
        QVERIFY(QFile::remove(path));
        track.refresh();
        QCOMPARE(track.name(), QStringLiteral("After"));
    }

    void revealAndSelectionFollowWindowOrder()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        QList<ITunesTrack> tracks;
        for (const char *title : {"First", "Second", "Third"})
            tracks.append(iTunes().add({QUrl::fromLocalFile(tagged(QString::fromLatin1(title)))}));
        const auto id = [&tracks](int i) { return tracks[i].persistentId(); };
        QVERIFY(selectedIds().isEmpty());
        // A selection with a gap stays one: the track between is not taken.
        setSelection({id(0), id(2)});
        QCOMPARE(selectedIds(), (QList<qint64>{id(0), id(2)}));
        tracks[1].reveal();
        QCOMPARE(selectedIds(), QList<qint64>{id(1)});

        // In window order, an unknown id left out, each track with its own properties.
        tracks[1].setPlayedCount(9);
        setSelection({id(2), id(0), id(1), 424242});
        const QList<ITunesTrack> selected = iTunes().selection().get();
        QStringList names;
        for (const ITunesTrack &t : selected)
            names << t.name();
        QCOMPARE(names, (QStringList{"First", "Second", "Third"}));
        QCOMPARE(selected[1].playedCount(), 9);
        QCOMPARE(selected[2].location(), tracks[2].location());
        QCOMPARE(selected[2].dateAdded(), tracks[2].dateAdded());
    }

    // Calls on the way together do what the same calls one after the other would.
    void callsOnTheWayActAsOneAfterTheOther()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        constexpr int count = 30;
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths << tagged(QStringLiteral("On the way %1").arg(i));
        for (int i = 0; i < count; i += 2) // every other file is known already
            QVERIFY(iTunes().add({QUrl::fromLocalFile(paths[i])}).isValid());
        const QDateTime past(QDate(2003, 4, 5), QTime(6, 7, 8, 900));
        for (const QString &path : paths)
            QVERIFY(setModified(path, past));
        waitUntilChangeTimesAged(paths);
        {
            ITunesCallWindow window(8);
            for (int i = 0; i < count; ++i) {
                window.addRefreshReveal(iTunes(), QUrl::fromLocalFile(paths[i]));
                if (i == count / 2) // refused in the middle: changes nothing
                    window.addRefreshReveal(iTunes(), QUrl::fromLocalFile(m_files.filePath(QStringLiteral("no.mp3"))));
            }
        } // waits for every answer
        const QDBusMessage reply = callLibrary("AllTracks");
        const auto tracks = qdbus_cast<QList<QVariantMap>>(reply.arguments().value(0).value<QDBusArgument>());
        QCOMPARE(tracks.size(), count);
        for (const QVariantMap &track : tracks) // known and new files alike
            QCOMPARE(track.value(QStringLiteral("dateModified")).toLongLong(), past.toMSecsSinceEpoch());
        // The last one is shown alone; refused files change nothing at all.
        for (const QUrl &refused : {QUrl::fromLocalFile(textFile(QStringLiteral("words.mp3"))), QUrl()})
            QVERIFY(!iTunes().addRefreshReveal(refused).isValid());
        const QList<ITunesTrack> selected = iTunes().selection().get();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected[0].location(), QUrl::fromLocalFile(paths.last()));
        QCOMPARE(selected[0].name(), QStringLiteral("On the way %1").arg(count - 1));
    }

    void deadOrHungLibraryFailsTheCallInTime()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        ITunesTrack track = iTunes().add({QUrl::fromLocalFile(tagged(QStringLiteral("Hang")))});
        QVERIFY(track.isValid());
        const pid_t pid = pid_t(library.pid());

        // Hung: the call gives up at its own timeout, not at the bus's 25 s
        // (the bounds tell the two apart; they are no speed limit).
        QVERIFY(library.suspend());
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(ITunesTrack(service, track.persistentId()).name(), QString());
        QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));

        // Killed as the call goes out: it fails at once, not after that timeout.
        std::atomic<bool> calling = false;
        std::thread killer([pid, &calling] {
            while (!calling)
                std::this_thread::yield();
            ::kill(pid, SIGKILL);
        });
        clock.restart();
        calling = true;
        QVERIFY(!iTunes().add({QUrl::fromLocalFile(tagged(QStringLiteral("Late")))}).isValid());
        const qint64 elapsed = clock.elapsed();
        killer.join();
        QVERIFY2(elapsed < ITunesApplication::callTimeoutMs, qPrintable(QString::number(elapsed)));
        library.kill();
        QTRY_VERIFY_WITH_TIMEOUT(!iTunes().isRunning(), 1000);
    }

    void oddInputAndManyThreadsAreSafe()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        const QUrl url = QUrl::fromLocalFile(tagged(QStringLiteral("Odd")));
        // Names and text the bus cannot carry give no result and must not abort the process.
        const ITunesApplication nameless
            = ITunesApplication::applicationWithBundleIdentifier(QStringLiteral("not a name!"));
        QVERIFY(!nameless.isRunning());
        QVERIFY(!nameless.add({url}).isValid());
        QCOMPARE(ITunesTrack(QStringLiteral(".bad..name"), 1).name(), QString());
        iTunes().add({url}, QString(QChar(0xD800)) + QStringLiteral("list"));
        QVERIFY(iTunes().add({url}).isValid());

        // Each calling thread has its own bus connection, which ends with the thread.
        QStringList paths;
        for (int i = 0; i < 30; ++i)
            paths << tagged(QStringLiteral("Thread %1").arg(i));
        const qsizetype filesBefore = QDir(QStringLiteral("/proc/self/fd")).count();
        std::atomic<int> answered = 0;
        std::vector<std::thread> threads;
        for (int i = 0; i < paths.size(); ++i)
            threads.emplace_back([&answered, path = paths[i], count = i + 1] {
                ITunesTrack added = iTunes().add({QUrl::fromLocalFile(path)});
                added.setPlayedCount(count);
                added.refresh();
                answered += ITunesTrack(service, added.persistentId()).playedCount() == count;
            });
        for (std::thread &thread : threads)
            thread.join();
        QCOMPARE(answered.load(), paths.size());
        QCOMPARE(trackCount(), paths.size() + 1);
        QVERIFY(QDir(QStringLiteral("/proc/self/fd")).count() <= filesBefore + 2);
    }
};

QTEST_GUILESS_MAIN(LibraryScriptingTest)
#include "tst_libraryscripting.moc"
