// The scripting bridge against a real headless music-library on a private bus.

#include "tests/library/ScriptingTestKit.h"
#include "tracks/library/ITunesCallWindow.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>

#include <atomic>
#include <csignal>
#include <thread>


class LibraryScriptingTest : public ScriptingTestBase
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        LibraryProtocol::registerTypes();
        QVERIFY(m_files.isValid());
        QVERIFY2(QFile::exists(LibraryProcess::program()), "music-library must be built beside the tests");
    }

    void presenceFollowsTheLibraryWithoutStartingIt()
    {
        QVERIFY(!iTunes().isRunning());
        LibraryProcess library;
        QVERIFY(library.start());
        QTRY_VERIFY_WITH_TIMEOUT(iTunes().isRunning(), 1000);

        // The answer comes from the watched name, so it must follow a crash fast.
        QElapsedTimer clock;
        clock.start();
        ::kill(pid_t(library.pid()), SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(!iTunes().isRunning(), 1000);
        QVERIFY(clock.elapsed() < 1000);
        library.kill();

        QVERIFY(library.start());
        QTRY_VERIFY_WITH_TIMEOUT(iTunes().isRunning(), 1000);
        // And from any thread.
        QVERIFY(QtConcurrent::run([] { return iTunes().isRunning(); }).result());
    }

    // The library in use is the running one; when none runs, ours unless
    // the environment names Rhythmbox, which is then what is started.
    void theLibraryInUseIsTheRunningOneOrTheNamedOne()
    {
        QVERIFY(!ITunesApplication::iTunes().isRunning());
        QCOMPARE(ITunesApplication::iTunes().serviceName(), QString::fromLatin1(LibraryProtocol::serviceName));
        QCOMPARE(ITunesApplication::iTunes().displayName(), QStringLiteral("iTunes"));
        QVERIFY(!ITunesApplication::iTunes().setsDateAdded());
        QVERIFY(ITunesApplication::iTunes().save()); // ours writes at once
        qputenv("MELVORA_LIBRARY", "Rhythmbox");
        const auto unset = qScopeGuard([] { qunsetenv("MELVORA_LIBRARY"); });
        const ITunesApplication named = ITunesApplication::iTunes();
        QCOMPARE(named.serviceName(), QStringLiteral("org.gnome.Rhythmbox3"));
        QCOMPARE(named.displayName(), QStringLiteral("Rhythmbox"));
        QVERIFY(named.setsDateAdded() && named.savesOnQuit());
        QVERIFY(!named.save()); // nothing there to save
        LibraryProcess library;
        QVERIFY(library.start());
        QTRY_COMPARE_WITH_TIMEOUT(ITunesApplication::iTunes().serviceName(), QString::fromLatin1(LibraryProtocol::serviceName), 1000);
    }

    void runStartsTheLibraryBesideTheProgram()
    {
        QTemporaryDir home;
        // The started library keeps its file in the data folder and its
        // window's settings in the config folder; keep both out of the real ones.
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
        PidGuard guard;
        QVERIFY(!iTunes().isRunning());
        QElapsedTimer clock;
        clock.start();
        const bool started = iTunes().run();
        guard.pid = ownerPid();
        QVERIFY(started);
        QVERIFY(clock.elapsed() <= ITunesApplication::launchTimeoutMs + 500);
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
        QProcess parent;
        parent.start(QStringLiteral("/bin/sh"),
                     {QStringLiteral("-c"), QStringLiteral("\"$0\" --headless --database \"$1\" & echo $!; sleep 1"),
                      LibraryProcess::program(), dir.filePath(QStringLiteral("Library.sqlite"))});
        QVERIFY(parent.waitForReadyRead(5000));
        PidGuard guard{parent.readLine().trimmed().toLongLong()};
        QVERIFY(guard.pid > 0);
        QVERIFY(LibraryProcess::waitForOwner(true, 5000));
        QVERIFY(parent.waitForFinished(5000));
        QVERIFY(LibraryProcess::waitForOwner(false, 3000));
    }

    void addFindsOrEntersTheTrack()
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

        // Added again later: a second add would show in its date.
        QTRY_VERIFY(QDateTime::currentMSecsSinceEpoch() > track.dateAdded().toMSecsSinceEpoch() + 1);
        const ITunesTrack again = iTunes().add({QUrl::fromLocalFile(path)});
        QCOMPARE(again.persistentId(), track.persistentId());
        QCOMPARE(again.dateAdded(), track.dateAdded());
        // The same file reached by another spelling of its path is the same track.
        const QUrl roundabout = QUrl::fromLocalFile(m_files.path() + QStringLiteral("/./sub/../")
                                                    + QFileInfo(path).fileName());
        QCOMPARE(iTunes().add({roundabout}).persistentId(), track.persistentId());
        QCOMPARE(trackCount(), 1);
    }

    void addRefusesWhatIsNotAudio()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        const QString folder = m_files.filePath(QStringLiteral("folder.mp3"));
        QVERIFY(QDir().mkpath(folder));
        for (const QUrl &url : {QUrl::fromLocalFile(m_files.filePath(QStringLiteral("nothing here.mp3"))),
                                QUrl::fromLocalFile(folder), QUrl::fromLocalFile(textFile(QStringLiteral("text.mp3"))),
                                QUrl::fromLocalFile(textFile(QStringLiteral("empty.mp3"), 0)),
                                QUrl(QStringLiteral("http://example.invalid/song.mp3"))})
            QVERIFY2(!iTunes().add({url}).isValid(), qPrintable(url.toString()));
        QCOMPARE(trackCount(), 0);
    }

    void refreshFollowsTheFile()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        const QString path = tagged(QStringLiteral("Before"));
        ITunesTrack track = iTunes().add({QUrl::fromLocalFile(path)});
        QVERIFY(track.isValid());

        const QDateTime past = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6, 789));
        QVERIFY(setModified(path, past));
        QVERIFY(track.dateModified() != past); // nothing read yet
        waitUntilChangeTimesAged({path});
        track.refresh();
        QCOMPARE(track.dateModified(), past);

        // New tags with the old date put back, as a tag editor that keeps
        // dates would leave the file: the library still reads the new tags.
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
        QVERIFY(iTunes().selection().get().isEmpty());

        // A selection with a gap stays one: the track between is not taken.
        setSelection({tracks[0].persistentId(), tracks[2].persistentId()});
        QList<ITunesTrack> selected = iTunes().selection().get();
        QCOMPARE(selected.size(), 2);
        QCOMPARE(selected[0].persistentId(), tracks[0].persistentId());
        QCOMPARE(selected[1].persistentId(), tracks[2].persistentId());
        QCOMPARE(selected[1].dateAdded(), tracks[2].dateAdded());
        tracks[1].reveal();
        selected = iTunes().selection().get();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected[0].persistentId(), tracks[1].persistentId());

        tracks[1].setPlayedCount(9);
        setSelection({tracks[2].persistentId(), tracks[0].persistentId(), tracks[1].persistentId(), 424242});
        selected = iTunes().selection().get();
        QCOMPARE(selected.size(), 3);
        QStringList names;
        for (const ITunesTrack &t : selected)
            names << t.name();
        QCOMPARE(names, (QStringList{"First", "Second", "Third"}));
        QCOMPARE(selected[1].playedCount(), 9);
        QCOMPARE(selected[2].location(), tracks[2].location());
    }

    // Calls on the way together do what the same calls one after the other
    // would; a hung library fails them all within one timeout.
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

        library.kill();
    }

    void deadOrHungLibraryFailsTheCallInTime()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        ITunesTrack track = iTunes().add({QUrl::fromLocalFile(tagged(QStringLiteral("Hang")))});
        QVERIFY(track.isValid());
        const pid_t pid = pid_t(library.pid());

        // Hung: the call gives up at the timeout, not later.
        QVERIFY(library.suspend());
        QElapsedTimer clock;
        clock.start();
        ITunesTrack fresh(service, track.persistentId());
        QCOMPARE(fresh.name(), QString());
        QVERIFY(clock.elapsed() < ITunesApplication::callTimeoutMs + 1000);

        // Killed as the call goes out (before or while it waits): it fails at once.
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
        QVERIFY2(elapsed < 2000, qPrintable(QString::number(elapsed)));
        library.kill();
        QTRY_VERIFY_WITH_TIMEOUT(!iTunes().isRunning(), 1000);
    }

    void oddInputAndManyThreadsAreSafe()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        const QUrl url = QUrl::fromLocalFile(tagged(QStringLiteral("Odd")));
        // What the bus cannot carry or route gives no result; it must not end
        // the process (the bus library aborts on malformed text and names).
        const ITunesApplication nameless = ITunesApplication::applicationWithBundleIdentifier(QStringLiteral("not a name!"));
        QVERIFY(!nameless.isRunning());
        QVERIFY(!nameless.add({url}).isValid());
        QCOMPARE(ITunesTrack(QStringLiteral(".bad..name"), 1).name(), QString());
        iTunes().add({url}, QString(QChar(0xD800)) + QStringLiteral("list"));
        const ITunesTrack track = iTunes().add({url});
        QVERIFY(track.isValid());

        // Every thread that calls gets its own bus connection, used by many at
        // once; a thread that ends must take it along.
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
