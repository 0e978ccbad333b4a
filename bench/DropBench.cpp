// drop: 10,000 file URLs dropped onto a file list, until the list holds them
// and the shown table has drawn its visible rows.

#include "bench/Scenario.h"
#include "tracks/lists/DropView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QMimeData>
#include <QTableView>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace {
// The Date Modified owner's answer to a drop: show the list anew.
struct ReloadingOwner : FileDropDelegate
{
    void fileDropped(const QList<QUrl> &, DropView *sender) override { sender->reloadData(); }
};

struct Timing
{
    double first = 0;
    double again = 0;
};

Timing dropOnce(const QMimeData &mime, int n)
{
    QWidget window;
    window.resize(900, 700);
    auto *layout = new QVBoxLayout(&window);
    auto *list = new DropView(&window);
    layout->addWidget(list);
    auto *table = new QTableView(list);
    auto *inner = new QVBoxLayout(list);
    inner->addWidget(table);
    list->setCurrentAction(0);
    list->setToDate(QDateTime::currentDateTime());
    list->attachTable(table);
    ReloadingOwner owner;
    list->setDelegate(&owner);
    window.show();
    QApplication::processEvents();

    const auto settle = [table] {
        QApplication::processEvents();
        table->viewport()->repaint();
    };
    Timing timing;
    QElapsedTimer clock;
    clock.start();
    list->takeDrop(&mime);
    settle();
    timing.first = clock.nsecsElapsed() / 1e9;
    if (list->count() != n)
        std::fprintf(stderr, "drop: %d of %d files listed\n", list->count(), n);

    // The same files once more: all duplicates.
    clock.restart();
    list->takeDrop(&mime);
    settle();
    timing.again = clock.nsecsElapsed() / 1e9;
    return timing;
}

int run(const QStringList &args)
{
    int n = 10000;
    const qsizetype at = args.indexOf(QStringLiteral("--n"));
    if (at >= 0 && at + 1 < args.size())
        n = qMax(1, args.at(at + 1).toInt());

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    QList<QUrl> urls;
    urls.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QString path = dir.filePath(QStringLiteral("%1 Track %2.mp3").arg(i % 100, 2, 10, QLatin1Char('0')).arg(i));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        urls.append(QUrl::fromLocalFile(path));
    }
    QMimeData mime;
    mime.setUrls(urls);

    constexpr int rounds = 5;
    QList<double> firsts, agains;
    for (int r = 0; r < rounds; ++r) {
        const Timing t = dropOnce(mime, n);
        firsts << t.first;
        agains << t.again;
    }
    std::sort(firsts.begin(), firsts.end());
    std::sort(agains.begin(), agains.end());
    Scenarios::print({{"scenario", "drop"},
                      {"n", n},
                      {"seconds", firsts.at(rounds / 2)},
                      {"seconds_max", firsts.last()},
                      {"seconds_duplicates", agains.at(rounds / 2)},
                      {"target", 0.1}});
    return 0;
}
} // namespace

MELVORA_SCENARIO(drop, "drop", "[--n COUNT]", run);
