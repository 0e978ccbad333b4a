// Ways into a list besides dragging: Add Files… with its dialog, and pasting.
#include "app/common/FileNames.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/FileDialogAnswer.h"
#include "tracks/lists/AddFilesDialog.h"
#include "tracks/lists/DropView.h"
#include "tracks/lists/TrackListModel.h"
#include "tracks/lists/TrackListPane.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {
// Two audio files, one in a subfolder, a text file, and a name that is not UTF-8.
struct Folder
{
    QTemporaryDir dir;
    QByteArray root = QFile::encodeName(dir.path());
    QByteArray odd = root + "/\xFF\xFE.mp3";

    Folder()
    {
        QDir(dir.path()).mkpath(QStringLiteral("disc 2"));
        for (const char *name : {"a.mp3", "b.flac", "disc 2/c.ogg"})
            AudioFiles::write(dir.filePath(QString::fromLatin1(name)), {QString::fromLatin1(name), {}, {}, QStringLiteral("1")});
        AudioFiles::writeNonAudio(dir.filePath(QStringLiteral("notes.txt")));
        ::close(::open(odd.constData(), O_CREAT | O_WRONLY, 0644));
    }
    ~Folder() { ::unlink(odd.constData()); }
    QUrl url(const char *name) const { return FileNames::urlOf(root + '/' + name); }
};

struct Pane : FileDropDelegate
{
    explicit Pane(int action) { pane.setUp(action, this, QString()); }
    void fileDropped(const QList<QUrl> &, DropView *) override { ++drops; }
    TrackListPane pane;
    int drops = 0;
    QList<QUrl> files() const { return pane.dropView()->files(); }
};

QMimeData *clipboardWith(const QString &format, const QByteArray &data)
{
    auto *mime = new QMimeData;
    mime->setData(format, data);
    return mime;
}
} // namespace

class AddFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void theDialogShowsAudioAndTakesFolders()
    {
        const QString filter = AddFilesDialog::audioFilter();
        for (const char *pattern : {"*.mp3", "*.MP3", "*.flac", "*.ogg", "*.m4a", "*.wav", "*.aiff"})
            QVERIFY2(filter.contains(QLatin1String(pattern) + u' ') || filter.endsWith(QLatin1String(pattern) + u')'), pattern);
        QVERIFY(!filter.contains(QLatin1String("*.txt")));

        Folder folder;
        AddFilesDialog dialog;
        QCOMPARE(dialog.nameFilters().first(), filter);
        dialog.setDirectory(folder.dir.path());
        // Open with a folder selected chooses the folder, it does not enter it.
        dialog.selectFile(QStringLiteral("disc 2"));
        QTRY_COMPARE(dialog.selectedFiles(), QStringList{folder.dir.filePath(QStringLiteral("disc 2"))});
        dialog.accept();
        QCOMPARE(dialog.chosen(), QList<QUrl>{folder.url("disc 2")});
        QCOMPARE(dialog.directory().absolutePath(), folder.dir.path());

        // A name the dialog shows with U+FFFD may be another file's: refused, and named.
        AddFilesDialog lossy;
        lossy.setDirectory(folder.dir.path());
        lossy.selectFile(QString::fromUtf8(folder.odd.mid(folder.root.size() + 1)));
        QTRY_VERIFY(!lossy.selectedFiles().isEmpty());
        lossy.accept();
        QVERIFY(lossy.chosen().isEmpty());
        QCOMPARE(lossy.unreadable().size(), 1);
    }

    void addedAndPastedFilesComeInAsDropped()
    {
        Folder folder;
        Pane list(TrackListModel::SMD);
        QCOMPARE(list.pane.addButton()->text(), QStringLiteral("Add Files…"));

        // A folder stands for its audio files; a file already listed is skipped.
        list.pane.addFiles({folder.url("a.mp3")});
        list.pane.addFiles({FileNames::urlOf(folder.root), folder.url("a.mp3")});
        QCOMPARE(list.files(), (QList<QUrl>{folder.url("a.mp3"), folder.url("b.flac"), folder.url("disc 2/c.ogg"),
                                            FileNames::urlOf(folder.odd)}));
        QCOMPARE(list.drops, 2);

        // The button opens the dialog; what it chooses comes in.
        list.pane.clearTable();
        list.pane.addButton()->click();
        auto *dialog = list.pane.window()->findChild<AddFilesDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        answerWithPath(dialog, folder.dir.filePath(QStringLiteral("b.flac")));
        QCOMPARE(list.files(), QList<QUrl>{folder.url("b.flac")});

        // Pasted: file URLs (the odd name by its encoded bytes), GNOME's list, plain paths.
        QClipboard *clipboard = QGuiApplication::clipboard();
        list.pane.clearTable();
        clipboard->setMimeData(clipboardWith(QStringLiteral("text/uri-list"),
                                             FileNames::urlOf(folder.odd).toEncoded() + "\r\nhttps://example.org/x.mp3\r\n"));
        list.pane.paste();
        QCOMPARE(list.files(), QList<QUrl>{FileNames::urlOf(folder.odd)});
        clipboard->setMimeData(clipboardWith(QStringLiteral("x-special/gnome-copied-files"),
                                             "copy\n" + folder.url("b.flac").toEncoded()));
        list.pane.paste();
        QCOMPARE(list.files().size(), 2);
        clipboard->setText(folder.dir.filePath(QStringLiteral("disc 2")) + u'\n' + folder.dir.filePath(QStringLiteral("notes.txt")));
        list.pane.paste();
        QCOMPARE(list.files().mid(2), (QList<QUrl>{folder.url("disc 2/c.ogg"), folder.url("notes.txt")}));

        // Ctrl+V reaches the list on screen.
        list.pane.clearTable();
        clipboard->setText(folder.dir.filePath(QStringLiteral("a.mp3")));
        list.pane.show();
        QVERIFY(QTest::qWaitForWindowActive(&list.pane));
        QTest::keySequence(&list.pane, QKeySequence::Paste);
        QCOMPARE(list.files(), QList<QUrl>{folder.url("a.mp3")});

        // A list of tracks asks the library, as a drop does: no file dialog.
        Pane tracks(TrackListModel::Rating);
        QCOMPARE(tracks.pane.addButton()->text(), QStringLiteral("Add Selected Tracks"));
        QVERIFY(tracks.pane.addButton()->width() >= tracks.pane.addButton()->sizeHint().width());
        tracks.pane.addButton()->click();
        QVERIFY(!tracks.pane.window()->findChild<AddFilesDialog *>());
    }
};

QTEST_MAIN(AddFilesTest)
#include "tst_addfiles.moc"
