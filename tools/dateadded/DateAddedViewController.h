#pragma once

#include "tracks/lists/BatchRun.h"
#include "tracks/lists/FileDropDelegate.h"
#include "tracks/runs/HandOverRun.h"

#include <QHash>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <memory>

namespace Ui {
class DateAddedViewController;
}

class DropView;
class QButtonGroup;
class QTableView;
class TrackListPane;

// The Date Added tool: lists audio files in album order and hands them to
// the library one at a time, a second apart, first to last or last to first,
// so that files new to the library get dates added in that order. Each row
// shows whether the library holds the file already, and since when; after a
// run the dates the library holds are checked, and files that did not get a
// new, later date added are named.
class DateAddedViewController : public QWidget, public FileDropDelegate
{
    Q_OBJECT
public:
    explicit DateAddedViewController(QWidget *parent = nullptr);
    ~DateAddedViewController() override;

    TrackListPane *pane() const;
    DropView *dropView() const;
    QTableView *tableView() const;
    // The run in progress, if any.
    BatchRun *currentRun() const { return m_run; }
    // The hand-over order chosen: first to last, or last to first.
    bool firstToLast() const;

    void fileDropped(const QList<QUrl> &items, DropView *sender) override;

public slots:
    void radioChanged();
    void setButtonClick();
    void removeTableItem();
    void clearTable();
    // The action argument has no effect: the tool has one list.
    void showOrHideDropInfoImage(bool show, int action = 5);
    void reOrderArray();
    void startPerform();

signals:
    // The library's answers for files looked up after a drop are shown.
    void libraryLookedUp();
    // A run has ended and the list shows what is left (after the report of
    // files that missed their place has been closed).
    void runFinished();

private:
    void awakeFromNib();
    void lookUpInLibrary(const QList<QUrl> &files);
    void endRun(const HandOverRun::State &state, const QHash<QUrl, QString> &failed);
    // Keeps in the list only the files that were not handed over, and marks
    // those the library did not add.
    void finishRun(const QList<QUrl> &handed, const QHash<QUrl, QString> &failed);

    std::unique_ptr<Ui::DateAddedViewController> ui;
    QButtonGroup *m_radio1 = nullptr;
    QButtonGroup *m_radio2 = nullptr;
    QPointer<BatchRun> m_run;
};
