#pragma once

// The Date Modified tool shown, real tagged files in a temporary folder,
// drops and clicks as a user makes them.

#include "tests/support/AudioFiles.h"
#include "tracks/runs/ModificationDates.h"
#include "tools/modification/ModificationViewController.h"
#include "tracks/lists/DropView.h"

#include <QAbstractButton>
#include <QListView>
#include <QMimeData>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct ModificationFixture
{
    QTemporaryDir dir;
    std::unique_ptr<ModificationViewController> tool;

    ModificationFixture() : tool(std::make_unique<ModificationViewController>())
    {
        tool->resize(711, 520);
        tool->show();
        tool->activateWindow();
        (void)QTest::qWaitForWindowExposed(tool.get());
    }

    template<typename T = QAbstractButton>
    T *child(const char *name) const { return tool->findChild<T *>(QString::fromLatin1(name)); }
    void click(const char *button) const { QTest::mouseClick(child(button), Qt::LeftButton); }
    QList<QUrl> listed(int action) const { return tool->dropView(action)->files(); }

    // What each row of an action's list shows it will become.
    QList<QVariant> previews(int action) const
    {
        QList<QVariant> shown;
        const TrackListModel *rows = tool->dropView(action)->model();
        for (int row = 0; row < rows->rowCount(); ++row)
            shown << rows->index(row, 1).data(TrackListModel::PreviewRole);
        return shown;
    }

    void choose(int action) const
    {
        auto *list = child<QListView>("tableView");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(action, 0)).center());
    }

    QUrl makeFile(const QString &name, const QString &track = QString()) const
    {
        const QString path = dir.filePath(name);
        if (!AudioFiles::writeMp3(path, {name, QStringLiteral("Artist"), QStringLiteral("Album"), track}))
            qFatal("cannot write %s", qPrintable(path));
        return QUrl::fromLocalFile(path);
    }

    QList<QUrl> makeFiles(int count, const QString &stem = QStringLiteral("track")) const
    {
        QList<QUrl> files;
        for (int i = 0; i < count; ++i)
            files << makeFile(QStringLiteral("%1 %2.mp3").arg(stem).arg(i + 1), QString::number(i + 1));
        return files;
    }

    // As a drag from the library drops.
    void drop(int action, const QList<QUrl> &urls) const
    {
        QMimeData mime;
        mime.setUrls(urls);
        tool->dropView(action)->takeDrop(&mime);
    }

    // Clicks the action's Set button and waits for the end of its run.
    bool runAndWait(int action) const
    {
        QSignalSpy finished(tool.get(), &ModificationViewController::runFinished);
        click(action == 0 ? "setButtonSMD" : action == 1 ? "setButtonCCD" : "setButtonTN");
        return finished.wait(20000) && finished.first().first().toInt() == action;
    }

    static FileTime modified(const QUrl &url) { return FileDates::modificationDate(url).value_or(FileTime{-1, 0}); }
    // The base of a Sort by Track Number run over these files.
    static qint64 trackNumberBase(const QList<QUrl> &files)
    {
        QList<std::optional<FileTime>> births;
        for (const QUrl &file : files)
            births << FileDates::creationDate(file);
        return ModificationDates::baseSeconds(ModificationDates::latest(births));
    }
};
