// cli-order and cli-sort-dates: melvora-cli as a whole process, against the
// tools a script would use otherwise: `exiftool -fast -T -Track` for reading
// track numbers, `touch -m -d` for setting dates.

#include "bench/CopiedFiles.h"
#include "bench/Scenario.h"
#include "tests/support/AudioFiles.h"
#include "tracks/library/ITunesApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QString cli()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/melvora-cli");
}

// The best of five timed runs of the program, after one that warms the
// caches; -1 when it cannot be run or fails. Started by posix_spawn, which
// costs the same for any program, unlike a fork of this large process.
double bestOf(const QString &program, const QStringList &arguments)
{
    QList<QByteArray> bytes{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        bytes.append(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    double best = -1;
    for (int run = 0; run < 6; ++run) {
        QElapsedTimer clock;
        clock.start();
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0
            || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s failed\n", qPrintable(program));
            best = -1;
            break;
        }
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        if (run > 0 && (best < 0 || seconds < best))
            best = seconds;
    }
    posix_spawn_file_actions_destroy(&actions);
    return best;
}

QJsonValue orNull(double seconds)
{
    return seconds < 0 ? QJsonValue() : QJsonValue(seconds);
}

int cliOrder(const QStringList &args)
{
    const int n = std::max(1, args.value(0, QStringLiteral("2000")).toInt());
    QTemporaryDir dir;
    QList<int> numbers(n);
    std::iota(numbers.begin(), numbers.end(), 1);
    std::shuffle(numbers.begin(), numbers.end(), QRandomGenerator(20261207));
    QStringList paths;
    for (int i = 0; i < n; ++i) {
        const QString path = dir.filePath(QStringLiteral("Song %1.mp3").arg(i, 5, 10, QLatin1Char('0')));
        if (!AudioFiles::writeMp3(path, {QStringLiteral("Song %1").arg(numbers[i]), QStringLiteral("Bench"),
                                         QStringLiteral("Album"), QStringLiteral("%1/%2").arg(numbers[i]).arg(n)})) {
            std::fprintf(stderr, "cli-order: cannot write %s\n", qPrintable(path));
            return 1;
        }
        paths.append(path);
    }
    const double seconds = bestOf(cli(), QStringList{QStringLiteral("order"), QStringLiteral("--by"), QStringLiteral("track")} + paths);
    double exiftool = -1;
    const QString exiftoolProgram = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    if (exiftoolProgram.isEmpty())
        std::fprintf(stderr, "cli-order: exiftool is not installed (Debian: libimage-exiftool-perl); no comparison\n");
    else
        exiftool = bestOf(exiftoolProgram, QStringList{QStringLiteral("-fast"), QStringLiteral("-T"), QStringLiteral("-Track")} + paths);
    Scenarios::print({{"scenario", "cli-order"},
                      {"n", n},
                      {"seconds", orNull(seconds)},
                      {"exiftool_seconds", orNull(exiftool)},
                      {"speedup", seconds > 0 && exiftool > 0 ? QJsonValue(exiftool / seconds) : QJsonValue()}});
    return seconds < 0 ? 1 : 0;
}

int cliSortDates(const QStringList &args)
{
    const int n = std::max(1, args.value(0, QStringLiteral("10000")).toInt());
    if (ITunesApplication::iTunes().isRunning()) {
        std::fprintf(stderr, "cli-sort-dates: a library runs on this bus; run under dbus-run-session\n");
        return 1;
    }
    QTemporaryDir dir;
    const QList<QUrl> files = copiedFiles(QDir(dir.path()), n, "cli-sort-dates");
    if (files.isEmpty())
        return 1;
    QStringList paths;
    for (const QUrl &file : files)
        paths.append(file.toLocalFile());
    const QStringList sort{QStringLiteral("sort-dates"), QStringLiteral("--first"), QStringLiteral("newest"), QStringLiteral("--by")};
    const double byName = bestOf(cli(), sort + QStringList{QStringLiteral("name")} + paths);
    const double byTrack = bestOf(cli(), sort + QStringList{QStringLiteral("track")} + paths);
    const double touch = bestOf(QStandardPaths::findExecutable(QStringLiteral("touch")), QStringList{QStringLiteral("-m"), QStringLiteral("-d"), QStringLiteral("@1700000000")} + paths);
    Scenarios::print({{"scenario", "cli-sort-dates"},
                      {"n", n},
                      {"seconds", orNull(byName)},
                      {"by_track_seconds", orNull(byTrack)},
                      {"touch_seconds", orNull(touch)},
                      {"ratio", byName > 0 && touch > 0 ? QJsonValue(byName / touch) : QJsonValue()}});
    return byName < 0 || byTrack < 0 ? 1 : 0;
}
} // namespace

MELVORA_SCENARIO(cliOrder, "cli-order", "[COUNT]", cliOrder);
MELVORA_SCENARIO(cliSortDates, "cli-sort-dates", "[COUNT]", cliSortDates);
