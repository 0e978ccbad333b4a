// Play Count and Rating runs written into a real headless music-library on a
// private bus, from a worker thread, with real audio files.

#include "tests/support/AudioFiles.h"
#include "tests/support/LibraryProcess.h"
#include "tracks/runs/CountWriter.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <thread>

namespace {
using Reports = QList<std::optional<qint32>>;

const QString service = QString::fromLatin1(LibraryProtocol::serviceName);

QList<QVariantMap> allTracks()
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, QString::fromLatin1(LibraryProtocol::objectPath),
                                                          QString::fromLatin1(LibraryProtocol::interfaceName),
                                                          QStringLiteral("AllTracks"));
    message.setAutoStartService(false);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    return qdbus_cast<QList<QVariantMap>>(reply.arguments().value(0).value<QDBusArgument>());
}

QVariantMap recordOf(const QString &path)
{
    const QString location = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    for (const QVariantMap &record : allTracks())
        if (record.value(QString::fromLatin1(LibraryProtocol::Key::location)).toString() == location)
            return record;
    return {};
}

struct Write
{
    QUrl location;
    qint32 value;
};

// One run on a thread of its own, as a tool's worker makes it; the reports in
// the order they came, and whether each came on that thread.
Reports runOnWorker(const CountPolicy &policy, const QList<Write> &writes, bool *onWorker)
{
    Reports reports;
    *onWorker = true;
    std::thread worker([&] {
        QThread *self = QThread::currentThread();
        CountWriter writer(policy);
        for (const Write &w : writes)
            writer.write(w.location, w.value, [&, self](std::optional<qint32> stored) {
                *onWorker = *onWorker && QThread::currentThread() == self;
                reports.append(stored);
            });
        writer.finish();
    });
    worker.join();
    return reports;
}
} // namespace

class CountWriterTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_files;
    int m_fileCount = 0;

    QString song(const QString &title)
    {
        const QString path = m_files.filePath(QStringLiteral("song %1.mp3").arg(++m_fileCount));
        if (!AudioFiles::writeMp3(path, {title, QStringLiteral("Writer"), QStringLiteral("Counts"), {}}))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase()
    {
        LibraryProtocol::registerTypes(); // the answers of AllTracks
        QVERIFY(m_files.isValid());
    }

    void withoutLibraryEveryWriteReportsNothing()
    {
        const QString path = song(QStringLiteral("Alone"));
        bool onWorker = false;
        const Reports reports = runOnWorker(playCountPolicy, {{QUrl::fromLocalFile(path), 3}, {QUrl(), 4},
                                                              {QUrl::fromLocalFile(path), 5}}, &onWorker);
        QCOMPARE(reports, (Reports{std::nullopt, std::nullopt, std::nullopt}));
        QVERIFY(onWorker);
    }

    // Tracks known and new, a missing file, a file that is no audio and
    // locations the library cannot take, in one run each of plays and stars.
    void reportsWhatTheLibraryStoredInOrder()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        const QString known = song(QStringLiteral("Known"));
        const QString fresh = song(QStringLiteral("Fresh"));
        const QString third = song(QStringLiteral("Third"));
        const QString missing = m_files.filePath(QStringLiteral("gone.mp3"));
        const QString prose = m_files.filePath(QStringLiteral("prose.mp3"));
        QVERIFY(AudioFiles::writeNonAudio(prose));
        QVERIFY(ITunesApplication::iTunes().add({QUrl::fromLocalFile(known)}).isValid());

        const QList<Write> plays = {
            {QUrl::fromLocalFile(known), 7},     {QUrl::fromLocalFile(missing), 5},
            {QUrl::fromLocalFile(fresh), 0},     {QUrl(), 3},
            {QUrl::fromLocalFile(prose), 2},     {QUrl(QStringLiteral("http://example.invalid/a.mp3")), 4},
            {QUrl::fromLocalFile(third), 2147483647},
        };
        bool onWorker = false;
        Reports reports = runOnWorker(playCountPolicy, plays, &onWorker);
        QCOMPARE(reports, (Reports{7, std::nullopt, 0, std::nullopt, std::nullopt, std::nullopt, 2147483647}));
        QVERIFY(onWorker);

        // Stars: out of range is held in range; the play counts stay.
        const QList<Write> ratings = {
            {QUrl::fromLocalFile(known), 130}, {QUrl::fromLocalFile(fresh), 60}, {QUrl::fromLocalFile(third), -20},
            {QUrl::fromLocalFile(missing), 40},
        };
        reports = runOnWorker(ratingPolicy, ratings, &onWorker);
        QCOMPARE(reports, (Reports{100, 60, 0, std::nullopt}));
        QVERIFY(onWorker);

        using namespace LibraryProtocol;
        QCOMPARE(allTracks().size(), 3);
        const struct
        {
            QString path;
            int plays;
            int rating;
        } expected[] = {{known, 7, 100}, {fresh, 0, 60}, {third, 2147483647, 0}};
        for (const auto &e : expected) {
            const QVariantMap record = recordOf(e.path);
            QCOMPARE(record.value(QString::fromLatin1(Key::playedCount)).toInt(), e.plays);
            QCOMPARE(record.value(QString::fromLatin1(Key::rating)).toInt(), e.rating);
        }
    }

    // A library that stops answering part-way costs the run one call
    // timeout, not one per window of calls; the writes after it report
    // nothing and are never sent.
    void hungLibraryEndsTheRunWithinOneTimeout()
    {
        LibraryProcess library; // killed by its destructor, stopped or not
        QVERIFY(library.start());
        constexpr int tracks = 200;
        constexpr int answeredBeforeHang = 40;
        QStringList paths;
        for (int i = 0; i < tracks; ++i)
            paths << song(QStringLiteral("Hang %1").arg(i));

        Reports reports;
        bool suspended = false;
        QElapsedTimer sinceHang;
        {
            CountWriter writer(playCountPolicy);
            for (int i = 0; i < tracks; ++i)
                writer.write(QUrl::fromLocalFile(paths[i]), i + 1, [&](std::optional<qint32> stored) {
                    reports.append(stored);
                    if (reports.size() == answeredBeforeHang) {
                        suspended = library.suspend();
                        sinceHang.start();
                    }
                });
            writer.finish();
        }
        const qint64 elapsed = sinceHang.elapsed();
        QVERIFY(suspended);
        QVERIFY2(elapsed < ITunesApplication::callTimeoutMs + 3000, qPrintable(QString::number(elapsed)));

        QCOMPARE(reports.size(), tracks);
        for (int i = 0; i < answeredBeforeHang; ++i)
            QCOMPARE(reports[i], std::optional<qint32>(i + 1));
        // Calls on the way at the hang may have been answered before it;
        // none sent after it.
        const int sentBeforeHang = answeredBeforeHang + CountWriter::callsOnTheWay;
        for (int i = sentBeforeHang; i < tracks; ++i)
            QVERIFY2(!reports[i], qPrintable(QString::number(i)));

        // Each of those answers let one more call go out; the first call
        // without an answer stopped the sending.
        library.resume();
        const QList<QVariantMap> records = allTracks();
        QVERIFY(!records.isEmpty());
        QVERIFY2(records.size() <= sentBeforeHang + CountWriter::callsOnTheWay, qPrintable(QString::number(records.size())));
    }
};

QTEST_GUILESS_MAIN(CountWriterTest)
#include "tst_countwriter.moc"
