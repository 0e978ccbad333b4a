// The library's parts in-process: what counts as an audio file, the store's
// schema guard, one track per file, window order and drag and drop.

#include "app/common/FileNames.h"
#include "library/AudioFileInfo.h"
#include "library/LibraryWindow.h"
#include "library/TrackTableModel.h"
#include "tests/library/LibraryFixture.h"

#include <QMimeData>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>

class LibraryCoreTest : public LibraryFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(settingsKeptInside()); }

    void readsTagsOfRealAudioOnly()
    {
        const QString tagged = audio(QStringLiteral("a.mp3"), {"Title", "Artist", "Album", "3/12"});
        const auto info = AudioFileInfo::read(QFile::encodeName(tagged));
        QVERIFY(info);
        QCOMPARE(info->name, QStringLiteral("Title"));
        QCOMPARE(info->artist, QStringLiteral("Artist"));
        QCOMPARE(info->album, QStringLiteral("Album"));
        QCOMPARE(info->trackNumber, QStringLiteral("3/12"));
        QCOMPARE(info->modifiedMs, QFileInfo(tagged).lastModified().toMSecsSinceEpoch());
        // A line break stored in a tag does not reach the window's rows.
        const auto broken = AudioFileInfo::read(
            QFile::encodeName(audio(QStringLiteral("b.mp3"), {"Two\nLines", "Ar\ttist", "Album", "12\n13"})));
        QVERIFY(broken);
        QCOMPARE(broken->name, QStringLiteral("Two Lines"));
        QCOMPARE(broken->artist, QStringLiteral("Ar tist"));
        QCOMPARE(broken->trackNumber, QStringLiteral("12 13"));
        // Without a title the file's name stands in.
        const auto untitled = AudioFileInfo::read(QFile::encodeName(audio(QStringLiteral("No Title.v2.mp3"))));
        QVERIFY(untitled);
        QCOMPARE(untitled->name, QStringLiteral("No Title.v2"));

        // Text that starts like a tag is no audio.
        const QString text = path(QStringLiteral("text.mp3"));
        QVERIFY(AudioFiles::writeNonAudio(text, QByteArray("ID3 but not really. ").repeated(100)));
        QVERIFY(!AudioFileInfo::read(QFile::encodeName(text)));
        // Nor is a huge sparse file of nothing with an audio name; it is not read through.
        for (const QString &suffix : AudioFiles::suffixes()) {
            QFile huge(path(QStringLiteral("huge.") + suffix));
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(2) << 30));
            huge.close();
            QVERIFY2(!AudioFileInfo::read(QFile::encodeName(huge.fileName())), qPrintable(suffix));
        }
    }

    // A file from a newer schema is left alone, not rewritten.
    void storeRefusesANewerSchema()
    {
        const QString file = path(QStringLiteral("lib/Library.sqlite"));
        {
            TrackStore store;
            QVERIFY(store.open(file));
            TrackRecord r;
            r.location = QStringLiteral("file:///music/song.mp3");
            QVERIFY(store.insert(r) > 0);
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bump"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 99"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bump"));
        TrackStore newer;
        QString error;
        QVERIFY(!newer.open(file, &error));
        QVERIFY(error.contains(QLatin1String("newer")));
    }

    // One file is one track however its name is spelled, and its tags are
    // read from the file the kernel reaches ("link/.." is not "").
    void oneFileOneTrack()
    {
        StoredLibrary lib(path(QStringLiteral("spell.sqlite")));
        QVERIFY(lib.opened);
        const qint64 id = lib.add(audio(QStringLiteral("spell/real/x.mp3"), {"Real", {}, {}, "1"}));
        QVERIFY(id > 0);
        QVERIFY(QFile::link(path(QStringLiteral("spell/real")), path(QStringLiteral("spell/link"))));
        for (const char *spelling : {"spell/link/x.mp3", "spell/real/../real/x.mp3", "spell/./link/../link/x.mp3"})
            QCOMPARE(lib.add(path(QString::fromLatin1(spelling))), id);

        // "deep/lnk/../y.mp3": the kernel follows lnk to other/inner, then goes up to other.
        audio(QStringLiteral("spell/other/y.mp3"), {"Beside the link's target", {}, {}, "2"});
        audio(QStringLiteral("spell/deep/y.mp3"), {"Beside the link", {}, {}, "3"});
        QVERIFY(QDir().mkpath(path(QStringLiteral("spell/other/inner"))));
        QVERIFY(QFile::link(path(QStringLiteral("spell/other/inner")), path(QStringLiteral("spell/deep/lnk"))));
        const qint64 y = lib.add(path(QStringLiteral("spell/deep/lnk/../y.mp3")));
        QVERIFY(y > 0);
        QCOMPARE(lib.store.track(y)->name, QStringLiteral("Beside the link's target"));
        QCOMPARE(lib.store.tracks().size(), 2);

        // A name not UTF-8 is its own file, not the one named by its replacement characters.
        const QString neighbour = audio(QStringLiteral("bytes/\uFFFD\uFFFD.mp3"), {"Neighbour", {}, {}, "1"});
        const QByteArray raw = QFile::encodeName(path(QStringLiteral("bytes/"))) + "\xFF\xFE.mp3";
        QVERIFY(::rename(QFile::encodeName(audio(QStringLiteral("bytes/raw.mp3"), {"Raw", {}, {}, "2"})), raw) == 0);
        QCOMPARE(lib.library.addPaths({QUrl::fromLocalFile(path(QStringLiteral("bytes")))}), 2);
        const qint64 rawId = lib.library.addFile(FileNames::urlOf(raw));
        QVERIFY(rawId > 0 && rawId != lib.library.trackIdOf(QUrl::fromLocalFile(neighbour)));
        QCOMPARE(lib.store.track(rawId)->name, QStringLiteral("Raw"));
        QCOMPARE(FileNames::pathOf(QUrl(lib.store.track(rawId)->location)), raw);
        // The window shows the name readably, each such byte as "\\xFF".
        QAbstractItemModel *model = lib.library.windowModel();
        QStringList shown;
        for (int row = 0; row < model->rowCount(); ++row)
            shown << model->index(row, TrackTableModel::Location).data().toString();
        QVERIFY(shown.contains(m_dir.path() + QStringLiteral("/bytes/\\xFF\\xFE.mp3")));
    }

    void windowOrderDecidesSelectionOrder()
    {
        StoredLibrary lib(path(QStringLiteral("order.sqlite")));
        QVERIFY(lib.opened);
        const qint64 c = lib.add(audio(QStringLiteral("o/1.mp3"), {"Charlie", {}, {}, "1"}));
        const qint64 a = lib.add(audio(QStringLiteral("o/2.mp3"), {"alpha", {}, {}, "10"}));
        const qint64 b = lib.add(audio(QStringLiteral("o/3.mp3"), {"Bravo", {}, {}, "2"}));
        QVERIFY(a && b && c);
        MusicLibrary &library = lib.library;
        LibraryWindow window(&library);
        window.show();
        library.setSelection({a, b, c});
        QCOMPARE(library.selection(), (QList<qint64>{c, a, b})); // library order at first
        window.tableView()->sortByColumn(TrackTableModel::Name, Qt::AscendingOrder);
        QCOMPARE(library.selection(), (QList<qint64>{a, b, c}));
        // Track numbers sort as numbers, not as text.
        window.tableView()->sortByColumn(TrackTableModel::Number, Qt::DescendingOrder);
        QCOMPARE(library.selection(), (QList<qint64>{a, b, c}));

        // A change through scripting reaches the window at once.
        QVERIFY(library.reveal(c));
        QCOMPARE(library.selection(), QList<qint64>{c});
        QCOMPARE(window.tableView()->currentIndex().data(TrackTableModel::IdRole).toLongLong(), c);
        QCOMPARE(library.setPlayedCount(c, 5), 5);
        QCOMPARE(window.tableView()->currentIndex().siblingAtColumn(TrackTableModel::Plays).data().toInt(), 5);
    }

    void dragsOutFileUrlsAndTakesDroppedFolders()
    {
        StoredLibrary lib(path(QStringLiteral("dnd.sqlite")));
        QVERIFY(lib.opened);
        QAbstractItemModel *model = lib.library.windowModel();
        audio(QStringLiteral("dropped album/02 b.mp3"), {"B", {}, {}, "2"});
        const QUrl third = QUrl::fromLocalFile(audio(QStringLiteral("dropped album/cd2/01 c.mp3"), {"C", {}, {}, "1"}));
        const QUrl first = QUrl::fromLocalFile(audio(QStringLiteral("dropped album/01 a.mp3"), {"A", {}, {}, "1"}));
        QVERIFY(AudioFiles::writeNonAudio(path(QStringLiteral("dropped album/notes.mp3"))));

        QMimeData drop;
        drop.setUrls({QUrl::fromLocalFile(path(QStringLiteral("dropped album"))), first});
        // A move would let the source delete files the library now points at.
        QVERIFY(!model->canDropMimeData(&drop, Qt::MoveAction, -1, -1, {}));
        QVERIFY(model->dropMimeData(&drop, Qt::CopyAction, -1, -1, {}));
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->index(0, TrackTableModel::Name).data().toString(), QStringLiteral("A"));
        QCOMPARE(model->index(2, TrackTableModel::Name).data().toString(), QStringLiteral("C"));

        // Each track goes out once, in the order the window shows them.
        std::unique_ptr<QMimeData> drag(model->mimeData({model->index(2, 0), model->index(2, 1), model->index(0, 0)}));
        QVERIFY(drag->hasFormat(QStringLiteral("text/uri-list")));
        QCOMPARE(drag->urls(), (QList<QUrl>{first, third}));
        model->sort(TrackTableModel::Name, Qt::DescendingOrder);
        drag.reset(model->mimeData({model->index(2, 0), model->index(0, 0)}));
        QCOMPARE(drag->urls(), (QList<QUrl>{third, first}));
        QVERIFY(!(model->supportedDragActions() & Qt::MoveAction));
    }
};

QTEST_MAIN(LibraryCoreTest)
#include "tst_librarycore.moc"
