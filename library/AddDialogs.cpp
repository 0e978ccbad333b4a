#include "library/AddDialogs.h"

#include "app/common/FileNames.h"
#include "tracks/files/FolderFiles.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace {
// Where a dialog opens: where the last one was left, at first the music folder.
QString &lastFolder()
{
    static QString folder = [] {
        const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
        return QDir(music).exists() ? music : QDir::homePath();
    }();
    return folder;
}

// "Audio files (*.aac *.AAC …)": every suffix TagLib reads, in both cases.
QString audioFilter()
{
    QStringList patterns;
    for (const QByteArray &suffix : FolderFiles::audioSuffixes())
        patterns << QStringLiteral("*.") + QString::fromLatin1(suffix)
                 << QStringLiteral("*.") + QString::fromLatin1(suffix.toUpper());
    return QObject::tr("Audio files (%1)").arg(patterns.join(QLatin1Char(' ')));
}

QList<QUrl> choose(QFileDialog &dialog)
{
    dialog.setDirectory(lastFolder());
    dialog.setLabelText(QFileDialog::Accept, QObject::tr("Add"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    lastFolder() = dialog.directory().absolutePath();
    // A dialog that answers with URLs keeps a name's bytes; from here on the
    // name is those bytes. What is no local file is left out.
    QList<QUrl> urls;
    for (const QUrl &url : dialog.selectedUrls())
        if (const QByteArray path = FileNames::pathOf(url); !path.isEmpty())
            urls.append(FileNames::urlOf(path));
    return urls;
}
} // namespace

namespace AddDialogs {

QList<QUrl> chooseFiles(QWidget *parent)
{
    QFileDialog dialog(parent, QObject::tr("Add Files"));
    dialog.setObjectName(QStringLiteral("addFilesDialog"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters({audioFilter(), QObject::tr("All files (*)")});
    // The audio filter names some sixty patterns: too many to show.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    return choose(dialog);
}

QList<QUrl> chooseFolder(QWidget *parent)
{
    QFileDialog dialog(parent, QObject::tr("Add Folder"));
    dialog.setObjectName(QStringLiteral("addFolderDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return choose(dialog);
}

} // namespace AddDialogs
