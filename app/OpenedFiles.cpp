// Files that come from outside the window: named on the command line (a file
// manager's "Open With"), or handed over by a second copy of the program.
#include "app/AppDelegate.h"

#include "tools/dateadded/DateAddedViewController.h"
#include "tools/modification/ModificationViewController.h"
#include "tools/playcount/CountEditorViewController.h"
#include "tools/rating/RatingViewController.h"
#include "tracks/lists/BatchRun.h"
#include "tracks/lists/TrackListPane.h"

#include <QApplication>

TrackListPane *AppDelegate::paneOnScreen() const
{
    switch (currentTabIndex()) {
    case 0:
        if (ModificationViewController *tool = modificationViewController(); tool && !tool->showsActions())
            return tool->pane(tool->selectedAction());
        return nullptr;
    case 1:
        return dateAddedViewController() ? dateAddedViewController()->pane() : nullptr;
    case 2:
        return countViewController() ? countViewController()->pane() : nullptr;
    case 3:
        return ratingViewController() ? ratingViewController()->pane() : nullptr;
    }
    return nullptr;
}

void AppDelegate::openFiles(const QList<QUrl> &files)
{
    // While a run is going its list stays as it is: the files wait for its end.
    for (BatchRun *run : qApp->findChildren<BatchRun *>())
        if (!run->isFinished()) {
            connect(run, &BatchRun::finished, this, [this, files] { openFiles(files); }, Qt::SingleShotConnection);
            return;
        }
    if (ModificationViewController *tool = modificationViewController();
        currentTabIndex() == 0 && tool && tool->showsActions())
        tool->openAction(ModificationViewController::SMD);
    if (TrackListPane *pane = paneOnScreen())
        pane->addFiles(files);
}
