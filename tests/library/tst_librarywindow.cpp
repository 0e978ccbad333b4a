// The library's window: adding from the File menu, the search field and what
// the window keeps from one start to the next.

#include "app/common/FileNames.h"
#include "library/LibraryScripting.h"
#include "library/LibraryWindow.h"
#include "library/TrackTableModel.h"
#include "tests/library/LibraryFixture.h"
#include "tests/support/FileDialogAnswer.h"

#include <QApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <cstdio>

class LibraryWindowTest : public LibraryFixture
{
    Q_OBJECT

    // The file renamed to a name that is not UTF-8; its new path.
    static QByteArray renamed(const QString &file, const QByteArray &name)
    {
        const QByteArray from = QFile::encodeName(file);
        const QByteArray to = from.left(from.lastIndexOf('/') + 1) + name;
        if (::rename(from.constData(), to.constData()) != 0)
            qFatal("cannot rename %s", from.constData());
        return to;
    }

    static QStringList names(const TrackStore &store)
    {
        QStringList names;
        for (const TrackRecord &t : store.tracks())
            names << t.name;
        return names;
    }

    static void trigger(LibraryWindow &window, const char *action)
    {
        window.findChild<QAction *>(QLatin1String(action))->trigger();
    }

private slots:
    void initTestCase() { QVERIFY(settingsKeptInside()); }

    void fileMenuAddsFilesAndFolders()
    {
        StoredLibrary lib(path(QStringLiteral("add.sqlite")));
        QVERIFY(lib.opened);
        LibraryWindow window(&lib.library);
        window.show();

        // The dialog offers the audio files, or all; what it answers is added.
        const QString plain = audio(QStringLiteral("loose/plain.flac"), {"Plain", {}, {}, "2"});
        QStringList filters;
        QTimer::singleShot(0, &window, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *dialog = window.findChild<QFileDialog *>(QStringLiteral("addFilesDialog")); dialog == modal) {
                filters = dialog->nameFilters();
                answerWithPath(dialog, plain);
            }
            if (modal && modal->isVisible())
                modal->close();
        });
        trigger(window, "addFilesAction");
        QVERIFY(filters.value(0).contains(QLatin1String("*.opus")));
        QCOMPARE(filters.value(1), QStringLiteral("All files (*)"));
        QCOMPARE(names(lib.store), QStringList{"Plain"});

        // Names go on as their bytes; what is not audio is left out.
        const QByteArray latin1 = renamed(audio(QStringLiteral("loose/e.mp3"), {"Été", {}, {}, {}}), "\xE9t\xE9.mp3");
        const QString text = path(QStringLiteral("loose/notes.txt"));
        QVERIFY(AudioFiles::writeNonAudio(text));
        const QUrl album = QUrl::fromLocalFile(path(QStringLiteral("album")));
        window.setChoosers(
            [&](QWidget *) {
                return QList<QUrl>{FileNames::urlOf(latin1), QUrl::fromLocalFile(text)};
            },
            [&](QWidget *) { return QList<QUrl>{album}; });
        trigger(window, "addFilesAction");
        QCOMPARE(names(lib.store), (QStringList{"Plain", "Été"}));
        QCOMPARE(FileNames::pathOf(QUrl(lib.store.tracks().at(1).location)), latin1);

        audio(QStringLiteral("album/01.mp3"), {"One", "Band", "Album", "1"});
        audio(QStringLiteral("album/cd2/02.m4a"), {"Two", "Band", "Album", "2"});
        const QByteArray raw = renamed(audio(QStringLiteral("album/raw.ogg"), {"Raw", {}, {}, "3"}), "\xFF\xFE.ogg");
        QVERIFY(AudioFiles::writeNonAudio(path(QStringLiteral("album/notes.mp3"))));
        trigger(window, "addFolderAction");
        QCOMPARE(names(lib.store), (QStringList{"Plain", "Été", "One", "Two", "Raw"}));
        QCOMPARE(FileNames::pathOf(QUrl(lib.store.tracks().at(4).location)), raw);
    }

    void searchFiltersTheWindowAndWhatItHandsOut()
    {
        StoredLibrary lib(path(QStringLiteral("search.sqlite")));
        QVERIFY(lib.opened);
        LibraryScripting scripting(&lib.library);
        const qint64 help = lib.add(audio("s/1.mp3", {"Help!", "The Beatles", "Help!", "1"}));
        const qint64 angie = lib.add(audio("s/2.mp3", {"Angie", "The Rolling Stones", "Goats Head Soup", {}}));
        const qint64 yesterday = lib.add(audio("s/3.mp3", {"Yesterday", "The Beatles", "Help!", "13"}));
        const qint64 demo = lib.add(audio("s/beatles demo.mp3", {"Demo", "Unknown", "Tapes", {}}));
        LibraryWindow window(&lib.library);
        window.show();
        QTableView *view = window.tableView();
        view->sortByColumn(TrackTableModel::Name, Qt::DescendingOrder);

        // Any case; the artist, album or file name may hold the word.
        QTest::keyClicks(window.searchField(), QStringLiteral("BEATLES"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Music Library — 3 of 4 tracks"));
        view->selectAll();
        QCOMPARE(scripting.Selection(), (QList<qlonglong>{yesterday, help, demo}));
        std::unique_ptr<QMimeData> drag(view->model()->mimeData(view->selectionModel()->selectedIndexes()));
        QCOMPARE(drag->urls().size(), 3);
        QCOMPARE(drag->urls().last(), QUrl(lib.store.track(demo)->location));
        // Every word must be found.
        QTest::keyClicks(window.searchField(), QStringLiteral(" help"));
        view->selectAll();
        QCOMPARE(scripting.SelectedTracks().size(), 2);
        QCOMPARE(scripting.SelectedTracks().at(1).value(QStringLiteral("name")), QStringLiteral("Help!"));

        // A track the filter hides is shown again when it is revealed or selected.
        QVERIFY(scripting.Reveal(angie));
        QCOMPARE(window.searchField()->text(), QString());
        QCOMPARE(scripting.Selection(), QList<qlonglong>{angie});
        QCOMPARE(view->currentIndex().data(TrackTableModel::IdRole).toLongLong(), angie);
        window.searchField()->setText(QStringLiteral("angie"));
        scripting.SetSelection({help, angie});
        QCOMPARE(view->model()->rowCount(), 4);
        QCOMPARE(scripting.Selection(), (QList<qlonglong>{help, angie}));
    }

    void remembersSizeAndSortOrder()
    {
        QSettings().clear();
        const QString store = path(QStringLiteral("remember.sqlite"));
        QList<qint64> ids;
        {
            StoredLibrary lib(store);
            QVERIFY(lib.opened);
            for (const char *title : {"Bravo", "alpha", "Charlie"})
                ids << lib.add(audio(QStringLiteral("r/%1.mp3").arg(title), {title, {}, {}, {}}));
            LibraryWindow window(&lib.library);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.resize(640, 420);
            QTRY_COMPARE(window.size(), QSize(640, 420));
            window.tableView()->sortByColumn(TrackTableModel::Name, Qt::DescendingOrder);
        }
        StoredLibrary lib(store);
        LibraryWindow window(&lib.library);
        window.show();
        QTRY_COMPARE(window.size(), QSize(640, 420));
        QCOMPARE(window.tableView()->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        lib.library.setSelection(ids);
        QCOMPARE(lib.library.selection(), (QList<qint64>{ids[2], ids[0], ids[1]}));
    }
};

QTEST_MAIN(LibraryWindowTest)
#include "tst_librarywindow.moc"
