#include "tracks/library/LibrarySave.h"

#include "tracks/library/ITunesApplication.h"

#include <QCoreApplication>
#include <QMutex>

namespace LibrarySave {

namespace {
enum class Outcome { None, Saved, NotSaved, Told };
QMutex g_mutex;
Outcome g_outcome = Outcome::None;
QString g_libraryName;
} // namespace

void afterRun()
{
    const ITunesApplication library = ITunesApplication::iTunes();
    if (!library.savesOnQuit() || !library.isRunning())
        return;
    const bool saved = library.save();
    QMutexLocker lock(&g_mutex);
    // A failed save warns even after one that worked, unless the person has
    // been told already.
    if (g_outcome == Outcome::None || (g_outcome == Outcome::Saved && !saved)) {
        g_outcome = saved ? Outcome::Saved : Outcome::NotSaved;
        g_libraryName = library.displayName();
    }
}

QString takeNotice()
{
    QMutexLocker lock(&g_mutex);
    const Outcome outcome = g_outcome;
    if (outcome == Outcome::Saved || outcome == Outcome::NotSaved)
        g_outcome = Outcome::Told;
    if (outcome == Outcome::Saved)
        return QCoreApplication::translate("LibrarySave",
                                           "%1 keeps changes in memory until it quits. It has been asked to save "
                                           "them now, so they are kept even if it does not quit normally.")
            .arg(g_libraryName);
    if (outcome == Outcome::NotSaved)
        return QCoreApplication::translate("LibrarySave",
                                           "%1 keeps changes in memory and writes them to its library only when it "
                                           "quits. Quit %1 normally to keep them: if it is stopped by force, they "
                                           "are lost. With the Melvora plugin turned on in %1's Plugins, they are "
                                           "saved after every run.")
            .arg(g_libraryName);
    return {};
}

} // namespace LibrarySave
