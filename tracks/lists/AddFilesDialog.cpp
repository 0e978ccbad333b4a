#include "tracks/lists/AddFilesDialog.h"

#include "app/common/FileNames.h"

#include "tracks/files/FolderFiles.h"

#include <QFile>

AddFilesDialog::AddFilesDialog(QWidget *parent) : QFileDialog(parent, tr("Add Files"))
{
    setObjectName(QStringLiteral("addFilesDialog"));
    // Qt's own dialog: the desktop's would not let a folder be chosen
    // beside files.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters({audioFilter(), tr("All files (*)")});
    setLabelText(QFileDialog::Accept, tr("Add"));
}

QString AddFilesDialog::audioFilter()
{
    QStringList patterns;
    for (const QByteArray &suffix : FolderFiles::audioSuffixes())
        patterns << QStringLiteral("*.") + QString::fromLatin1(suffix)
                 << QStringLiteral("*.") + QString::fromLatin1(suffix.toUpper());
    return tr("Audio files (%1)").arg(patterns.join(u' '));
}

void AddFilesDialog::accept()
{
    m_chosen.clear();
    m_unreadable.clear();
    for (const QString &path : selectedFiles()) {
        // Text back to bytes is exact for names that are text; a name shown
        // with U+FFFD had other bytes, which the dialog has lost.
        if (path.contains(QChar::ReplacementCharacter)) {
            m_unreadable.append(path);
            continue;
        }
        const QByteArray bytes = QFile::encodeName(path);
        if (FileNames::kindOf(bytes) != FileNames::Kind::Missing)
            m_chosen.append(FileNames::urlOf(FileNames::cleaned(bytes)));
    }
    if (m_chosen.isEmpty() && m_unreadable.isEmpty())
        return; // nothing that exists: the dialog stays
    QDialog::accept();
}
