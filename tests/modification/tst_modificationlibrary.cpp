// The Date Modified tool's runs with the real library running: its date
// modified and selection follow each run.
#include "tests/modification/ModificationFixture.h"

#include "app/common/FileNames.h"
#include "tests/support/LibraryProcess.h"

#include "musiclibraryproxy.h"

#include <optional>

namespace {
// Each track's file and date modified, in ms since 1970.
QMap<QUrl, qint64> dates(const QList<QVariantMap> &records)
{
    QMap<QUrl, qint64> tracks;
    for (const QVariantMap &record : records)
        tracks.insert(QUrl(record.value(QStringLiteral("location")).toString()),
                      record.value(QStringLiteral("dateModified")).toLongLong());
    return tracks;
}
} // namespace

class ModificationLibraryTest : public QObject
{
    Q_OBJECT
private slots:
    // A library of its own for each test, which lists only that test's files.
    void init()
    {
        QVERIFY(m_library.emplace().start());
        m_proxy = LibraryProcess::proxy();
    }

    void cleanup() { m_library.reset(); }

    void libraryFollowsEachRun()
    {
        ModificationFixture f;
        const QList<QUrl> files = f.makeFiles(3, QStringLiteral("Song"));

        // Set: the library learns the files (they were not in it) with the new date.
        f.choose(0);
        f.drop(0, files);
        QVERIFY(f.runAndWait(0));
        QCOMPARE(libraryDates(files), QList<qint64>(3, f.tool->selectedDateSMD().toMSecsSinceEpoch()));
        QCOMPARE(selected(), QList<QUrl>{files.last()});

        // Sort by track number, the first track newest, dropped in the order 3, 1, 2.
        f.click("backButton");
        f.choose(2);
        f.click("radioTN2Latest");
        f.drop(2, {files[2], files[0], files[1]});
        const qint64 base = ModificationFixture::trackNumberBase(files);
        QVERIFY(f.runAndWait(2));
        QCOMPARE(libraryDates(files), (QList<qint64>{(base + 3) * 1000, (base + 2) * 1000, (base + 1) * 1000}));
        QCOMPARE(selected(), QList<QUrl>{files.last()});

        // Copy Creation Date over the first two: the library shows each birth time.
        f.click("backButton");
        f.choose(1);
        f.drop(1, {files[1], files[0]});
        QVERIFY(f.runAndWait(1));
        const QList<qint64> dates = libraryDates(files);
        for (int i = 0; i < 2; ++i) {
            const std::optional<FileTime> born = FileDates::creationDate(files[i]);
            QCOMPARE(dates[i], born ? born->seconds * 1000 + born->nanoseconds / 1'000'000 : (base + 3 - i) * 1000);
        }
        QCOMPARE(dates[2], (base + 1) * 1000);
        QCOMPARE(selected(), QList<QUrl>{files[0]});
    }

    // A name that is not UTF-8 is the bytes on disk, not the file its name
    // would become as text (two replacement characters).
    void namesThatAreNotText()
    {
        ModificationFixture f;
        const QUrl neighbour = f.makeFile(QStringLiteral("\uFFFD\uFFFD.mp3"), QStringLiteral("1"));
        const QByteArray raw = QFile::encodeName(f.dir.path()) + "/\xFF\xFE.mp3";
        QVERIFY(::rename(QFile::encodeName(f.makeFile(QStringLiteral("raw.mp3"), QStringLiteral("2")).toLocalFile()), raw) == 0);
        const FileTime old{1'000'000'000, 0};
        const QUrl rawUrl = FileNames::urlOf(raw);
        QVERIFY(FileDates::setModificationDate(neighbour, old) && FileDates::setModificationDate(rawUrl, old));

        f.choose(0);
        QMimeData mime; // as a file manager sends it
        mime.setData(QStringLiteral("text/uri-list"), "file://" + raw.toPercentEncoding("/") + "\r\n");
        f.tool->dropView(0)->takeDrop(&mime);
        QCOMPARE(f.listed(0), QList<QUrl>{rawUrl});
        const TrackListModel *rows = f.tool->dropView(0)->model();
        QCOMPARE(rows->index(0, 0).data().toString(), QStringLiteral("\\xFF\\xFE.mp3"));
        QVERIFY(f.runAndWait(0));

        const FileTime set = FileTime::fromDateTime(f.tool->selectedDateSMD());
        QCOMPARE(ModificationFixture::modified(rawUrl), set);
        QCOMPARE(ModificationFixture::modified(neighbour), old);
        QCOMPARE(rows->index(0, 1).data().toDateTime(), set.toDateTime());
        const QMap<QUrl, qint64> tracks = dates(m_proxy->AllTracks().value());
        QCOMPARE(tracks.size(), 1);
        QCOMPARE(tracks.firstKey().toString(QUrl::FullyEncoded), rawUrl.toString(QUrl::FullyEncoded));
        QCOMPARE(tracks.first(), f.tool->selectedDateSMD().toMSecsSinceEpoch());
    }

    // A file gone since it was listed keeps its row, which says why, and
    // the library is not told about it.
    void failedFilesSayWhy()
    {
        ModificationFixture f;
        const QList<QUrl> files = f.makeFiles(3, QStringLiteral("Gone"));
        f.choose(0);
        f.drop(0, files);
        QVERIFY(QFile::remove(files[1].toLocalFile()));
        QVERIFY(f.runAndWait(0));

        const TrackListModel *rows = f.tool->dropView(0)->model();
        QCOMPARE(f.previews(0).at(1).toString(), QStringLiteral("not changed: no such file or directory"));
        QCOMPARE(rows->index(1, 1).data(Qt::ToolTipRole).toString(),
                 files[1].toLocalFile() + QStringLiteral(" was not changed: No such file or directory"));
        const QDateTime set = f.tool->selectedDateSMD();
        QCOMPARE(f.previews(0), (QList<QVariant>{set, f.previews(0).at(1), set}));
        QCOMPARE(libraryDates(files), (QList<qint64>{set.toMSecsSinceEpoch(), -1, set.toMSecsSinceEpoch()}));

        // The next run that changes it clears the mark.
        f.makeFile(QStringLiteral("Gone 2.mp3"), QStringLiteral("2"));
        QVERIFY(f.runAndWait(0));
        QCOMPARE(f.previews(0), QList<QVariant>(3, set));
        QCOMPARE(libraryDates(files), QList<qint64>(3, set.toMSecsSinceEpoch()));
    }

    // A library that stops answering costs a run one call timeout, not one
    // per sixteen files (100 files: 35 s); every file still gets its date.
    void hungLibraryEndsTheRunInOneTimeout()
    {
        ModificationFixture f;
        const QList<QUrl> files = f.makeFiles(100, QStringLiteral("Hung"));
        f.choose(0);
        f.drop(0, files);
        QVERIFY(m_library->suspend());
        QSignalSpy finished(f.tool.get(), &ModificationViewController::runFinished);
        f.click("setButtonSMD");
        const bool ended = finished.wait(15000);
        m_library->resume();
        QVERIFY(ended);
        const FileTime set = FileTime::fromDateTime(f.tool->selectedDateSMD());
        for (const QUrl &file : files)
            QCOMPARE(ModificationFixture::modified(file), set);
    }

private:
    // -1 for a file the library does not list.
    QList<qint64> libraryDates(const QList<QUrl> &files) const
    {
        const QMap<QUrl, qint64> tracks = dates(m_proxy->AllTracks().value());
        QList<qint64> found;
        for (const QUrl &file : files)
            found << tracks.value(file, -1);
        return found;
    }

    QList<QUrl> selected() const { return dates(m_proxy->SelectedTracks().value()).keys(); }

    std::optional<LibraryProcess> m_library;
    std::unique_ptr<MusicLibraryProxy> m_proxy;
};

QTEST_MAIN(ModificationLibraryTest)
#include "tst_modificationlibrary.moc"
