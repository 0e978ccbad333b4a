// The library's parts in-process: what counts as an audio file, the store's
// persistence and schema guard, window order and drag and drop.

#include "app/common/FileNames.h"
#include "library/AudioFileInfo.h"
#include "library/LibraryWindow.h"
#include "library/MusicLibrary.h"
#include "library/TrackStore.h"
#include "library/TrackTableModel.h"
#include "tests/support/AudioFiles.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

class LibraryCoreTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString mp3(const QString &name, const AudioTags &tags)
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!AudioFiles::writeMp3(path, tags))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase()
    {
        // The window keeps its size and sort order here, not in the user's settings.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
        QVERIFY(QSettings().fileName().startsWith(m_dir.path()));
    }

    void readsTagsOfRealAudioOnly()
    {
        const QString tagged = mp3(QStringLiteral("a.mp3"), {"Title", "Artist", "Album", "3/12"});
        const auto info = AudioFileInfo::read(QFile::encodeName(tagged));
        QVERIFY(info);
        QCOMPARE(info->name, QStringLiteral("Title"));
        QCOMPARE(info->artist, QStringLiteral("Artist"));
        QCOMPARE(info->album, QStringLiteral("Album"));
        QCOMPARE(info->trackNumber, QStringLiteral("3/12"));
        QCOMPARE(info->modifiedMs, QFileInfo(tagged).lastModified().toMSecsSinceEpoch());
        // A line break stored in a tag does not reach the window's rows.
        const auto broken = AudioFileInfo::read(QFile::encodeName(mp3(QStringLiteral("b.mp3"), {"Two\nLines", "Ar\ttist", "Album", "12\n13"})));
        QVERIFY(broken);
        QCOMPARE(broken->name, QStringLiteral("Two Lines"));
        QCOMPARE(broken->artist, QStringLiteral("Ar tist"));
        QCOMPARE(broken->trackNumber, QStringLiteral("12 13"));

        // Without a title the file's name stands in, as a library shows it.
        const auto untitled = AudioFileInfo::read(QFile::encodeName(mp3(QStringLiteral("No Title.v2.mp3"), {})));
        QVERIFY(untitled);
        QCOMPARE(untitled->name, QStringLiteral("No Title.v2"));

        // Text that starts like a tag is still no audio.
        const QString text = m_dir.filePath(QStringLiteral("text.mp3"));
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray("ID3 but not really. ").repeated(100)) > 0);
        file.close();
        QVERIFY(!AudioFileInfo::read(QFile::encodeName(text)));

        // Nor is a huge file of nothing with an audio name; it is not read
        // through (seconds each, while every other call waits). Sparse.
        for (const QString &suffix : AudioFiles::suffixes()) {
            QFile huge(m_dir.filePath(QStringLiteral("huge.") + suffix));
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(2) << 30));
            huge.close();
            QVERIFY2(!AudioFileInfo::read(QFile::encodeName(huge.fileName())), qPrintable(suffix));
        }
    }

    // Tracks and their changes outlive the process (see the scripting tests);
    // a file from a newer schema is left alone, not rewritten.
    void storeRefusesANewerSchema()
    {
        const QString path = m_dir.filePath(QStringLiteral("lib/Library.sqlite"));
        {
            TrackStore store;
            QVERIFY(store.open(path));
            TrackRecord r;
            r.location = QStringLiteral("file:///music/song.mp3");
            QVERIFY(store.insert(r) > 0);
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bump"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 99"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bump"));
        TrackStore newer;
        QString error;
        QVERIFY(!newer.open(path, &error));
        QVERIFY(error.contains(QLatin1String("newer")));
    }

    // One file is one track however its name is spelled, and its tags are
    // read from the file the kernel reaches ("link/.." is not "").
    void oneFileOneTrack()
    {
        TrackStore store;
        QVERIFY(store.open(m_dir.filePath(QStringLiteral("spell.sqlite"))));
        MusicLibrary library(&store);
        const QString real = mp3(QStringLiteral("spell/real/x.mp3"), {"Real", {}, {}, "1"});
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("spell/real")), m_dir.filePath(QStringLiteral("spell/link"))));
        const qint64 id = library.addFile(QUrl::fromLocalFile(real));
        QVERIFY(id > 0);
        for (const char *spelling : {"spell/link/x.mp3", "spell/real/../real/x.mp3", "spell/./link/../link/x.mp3"})
            QCOMPARE(library.addFile(QUrl::fromLocalFile(m_dir.filePath(QString::fromLatin1(spelling)))), id);

        // "deep/lnk/../y.mp3": the kernel follows lnk to other/inner, then goes up to other.
        mp3(QStringLiteral("spell/other/y.mp3"), {"Beside the link's target", {}, {}, "2"});
        mp3(QStringLiteral("spell/deep/y.mp3"), {"Beside the link", {}, {}, "3"});
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("spell/other/inner")));
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("spell/other/inner")), m_dir.filePath(QStringLiteral("spell/deep/lnk"))));
        const qint64 y = library.addFile(QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("spell/deep/lnk/../y.mp3"))));
        QVERIFY(y > 0);
        QCOMPARE(store.track(y)->name, QStringLiteral("Beside the link's target"));
        QCOMPARE(store.tracks().size(), 2);

        // A name that is not UTF-8 is its own file, not the one whose name is
        // the replacement characters text would turn it into.
        const QString neighbour = mp3(QStringLiteral("bytes/\uFFFD\uFFFD.mp3"), {"Neighbour", {}, {}, "1"});
        const QByteArray raw = QFile::encodeName(m_dir.filePath(QStringLiteral("bytes/"))) + "\xFF\xFE.mp3";
        QVERIFY(::rename(QFile::encodeName(mp3(QStringLiteral("bytes/raw.mp3"), {"Raw", {}, {}, "2"})), raw) == 0);
        QCOMPARE(library.addPaths({QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("bytes")))}), 2);
        const qint64 rawId = library.addFile(FileNames::urlOf(raw));
        QVERIFY(rawId > 0 && rawId != library.trackIdOf(QUrl::fromLocalFile(neighbour)));
        QCOMPARE(store.track(rawId)->name, QStringLiteral("Raw"));
        QCOMPARE(FileNames::pathOf(QUrl(store.track(rawId)->location)), raw);
        // The window shows the name readably, each such byte as "\\xFF".
        QStringList shown;
        for (int row = 0; row < library.windowModel()->rowCount(); ++row)
            shown << library.windowModel()->index(row, TrackTableModel::Location).data().toString();
        QVERIFY(shown.contains(m_dir.path() + QStringLiteral("/bytes/\\xFF\\xFE.mp3")));
    }

    void windowOrderDecidesSelectionOrder()
    {
        TrackStore store;
        QVERIFY(store.open(m_dir.filePath(QStringLiteral("order.sqlite"))));
        MusicLibrary library(&store);
        const qint64 c = library.addFile(QUrl::fromLocalFile(mp3(QStringLiteral("o/1.mp3"), {"Charlie", {}, {}, "1"})));
        const qint64 a = library.addFile(QUrl::fromLocalFile(mp3(QStringLiteral("o/2.mp3"), {"alpha", {}, {}, "10"})));
        const qint64 b = library.addFile(QUrl::fromLocalFile(mp3(QStringLiteral("o/3.mp3"), {"Bravo", {}, {}, "2"})));
        QVERIFY(a && b && c);

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
        const QModelIndex plays = window.tableView()->currentIndex().siblingAtColumn(TrackTableModel::Plays);
        QCOMPARE(plays.data().toInt(), 5);
    }

    void dragsOutFileUrlsAndTakesDroppedFolders()
    {
        TrackStore store;
        QVERIFY(store.open(m_dir.filePath(QStringLiteral("dnd.sqlite"))));
        MusicLibrary library(&store);
        QAbstractItemModel *model = library.windowModel();

        const QString album = m_dir.filePath(QStringLiteral("dropped album"));
        mp3(QStringLiteral("dropped album/02 b.mp3"), {"B", {}, {}, "2"});
        mp3(QStringLiteral("dropped album/cd2/01 c.mp3"), {"C", {}, {}, "1"});
        const QString first = mp3(QStringLiteral("dropped album/01 a.mp3"), {"A", {}, {}, "1"});
        QFile notes(m_dir.filePath(QStringLiteral("dropped album/notes.mp3")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("liner notes\n");
        notes.close();

        QMimeData drop;
        drop.setUrls({QUrl::fromLocalFile(album), QUrl::fromLocalFile(first)});
        // A move would let the source delete files the library now points at.
        QVERIFY(!model->canDropMimeData(&drop, Qt::MoveAction, -1, -1, {}));
        QVERIFY(model->dropMimeData(&drop, Qt::CopyAction, -1, -1, {}));
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->index(0, TrackTableModel::Name).data().toString(), QStringLiteral("A"));
        QCOMPARE(model->index(2, TrackTableModel::Name).data().toString(), QStringLiteral("C"));

        // Each track goes out once, in the order the window shows them.
        const QUrl third = QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("dropped album/cd2/01 c.mp3")));
        const QModelIndexList selectedBackwards{model->index(2, 0), model->index(2, 1), model->index(0, 0)};
        std::unique_ptr<QMimeData> drag(model->mimeData(selectedBackwards));
        QVERIFY(drag->hasFormat(QStringLiteral("text/uri-list")));
        QCOMPARE(drag->urls(), (QList<QUrl>{QUrl::fromLocalFile(first), third}));
        model->sort(TrackTableModel::Name, Qt::DescendingOrder);
        drag.reset(model->mimeData({model->index(2, 0), model->index(0, 0)}));
        QCOMPARE(drag->urls(), (QList<QUrl>{third, QUrl::fromLocalFile(first)}));
        QVERIFY(!(model->supportedDragActions() & Qt::MoveAction));
    }
};

QTEST_MAIN(LibraryCoreTest)
#include "tst_librarycore.moc"
