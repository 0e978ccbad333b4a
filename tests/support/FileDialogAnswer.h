#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>

// Answers a file dialog with a path the way a person types it into the name
// field, then Open. QFileDialog::selectFile() leaves the field alone once it
// has the focus, so a dialog that was shown and focused before the answer
// would otherwise wait forever for a name.
inline void answerWithPath(QFileDialog *dialog, const QString &path)
{
    if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        name->setText(path);
    else
        dialog->selectFile(path);
    static_cast<QDialog *>(dialog)->accept();
}
