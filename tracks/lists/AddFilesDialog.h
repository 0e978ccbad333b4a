#pragma once

#include <QFileDialog>
#include <QList>
#include <QUrl>

// The dialog behind Add Files…: several files at once, audio files shown
// (or all files, by the second filter), and folders too: a folder selected
// when Open is pressed is chosen, as a dropped folder is, rather than
// entered (a double click enters it).
class AddFilesDialog : public QFileDialog
{
    Q_OBJECT
public:
    explicit AddFilesDialog(QWidget *parent = nullptr);

    // "Audio files (*.mp3 *.MP3 *.flac …)": every suffix the tag reader takes.
    static QString audioFilter();
    // What was chosen, each by its name's bytes.
    QList<QUrl> chosen() const { return m_chosen; }
    // Chosen names the dialog could show only with a replacement character
    // (their bytes are not UTF-8): they could name another file, so they are
    // left out and named here.
    QStringList unreadable() const { return m_unreadable; }

    void accept() override;

private:
    QList<QUrl> m_chosen;
    QStringList m_unreadable;
};
