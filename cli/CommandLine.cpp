#include "cli/CommandLine.h"

#include "app/common/FileNames.h"
#include "app/common/Stretches.h"
#include "tracks/files/FolderFiles.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/library/LibrarySave.h"
#include "tracks/runs/StopFlag.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace CommandLine {

Arguments parse(const QByteArrayList &arguments, const QByteArrayList &flags, const QByteArrayList &valued)
{
    Arguments parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray &argument = arguments.at(i);
        if (argument == "--") {
            parsed.names += arguments.mid(i + 1);
            break;
        }
        if (!argument.startsWith("--") || argument.size() == 2) {
            parsed.names.append(argument);
            continue;
        }
        if (argument == "--help" || flags.contains(argument)) {
            parsed.options.insert(argument, QByteArray());
        } else if (valued.contains(argument)) {
            if (i + 1 >= arguments.size()) {
                parsed.error = QStringLiteral("%1 needs a value").arg(QString::fromLatin1(argument));
                return parsed;
            }
            parsed.options.insert(argument, arguments.at(++i));
        } else {
            parsed.error = QStringLiteral("unknown option \"%1\"").arg(FileNames::shown(argument));
            return parsed;
        }
    }
    return parsed;
}

int usage(const char *help, const QString &error)
{
    complain(error);
    std::fputs(help, stderr);
    return Usage;
}

void complain(const QString &text)
{
    std::fprintf(stderr, "melvora-cli: %s\n", text.toUtf8().constData());
}

QList<QUrl> files(const QByteArrayList &arguments, bool *missing, QList<std::optional<FileDates::Times>> *times)
{
    QList<QUrl> once;
    // Told apart by their paths: a file's URL is made from its path alone,
    // and bytes hash faster than a URL.
    QSet<QByteArray> seen;
    seen.reserve(arguments.size());
    once.reserve(arguments.size());
    if (times)
        times->reserve(times->size() + arguments.size());
    const auto take = [&](const QUrl &file, const QByteArray &path, const std::optional<FileDates::Times> &dates) {
        if (!seen.contains(path)) {
            seen.insert(path);
            once.append(file);
            if (times)
                times->append(dates);
        }
    };
    // What each argument names, and its dates with it; a long list is asked
    // by a few threads.
    struct Named
    {
        QByteArray path;
        FileDates::Seen seen;
        QUrl file;
    };
    QList<Named> named(arguments.size());
    Named *const name = named.data();
    inStretches(arguments.size(), [&arguments, name](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i) {
            name[i].path = FileNames::cleaned(arguments.at(i));
            name[i].seen = FileDates::seen(name[i].path);
            if (name[i].seen.kind == FileNames::Kind::File || name[i].seen.kind == FileNames::Kind::Other)
                name[i].file = FileNames::urlOf(name[i].path);
        }
    });
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray &argument = arguments.at(i), &path = named.at(i).path;
        switch (named.at(i).seen.kind) {
        case FileNames::Kind::Missing:
            complain(QStringLiteral("%1: %2").arg(FileNames::shown(argument), QString::fromLocal8Bit(std::strerror(ENOENT))));
            if (missing)
                *missing = true;
            break;
        case FileNames::Kind::Folder:
            for (const QUrl &file : FolderFiles::expanded({FileNames::urlOf(path)}))
                take(file, FileNames::pathOf(file), std::nullopt);
            break;
        case FileNames::Kind::File:
        case FileNames::Kind::Other:
            take(named.at(i).file, path, named.at(i).seen.times);
            break;
        }
    }
    return once;
}

void watchLibrary()
{
    ITunesApplication::watch();
}

bool libraryRuns()
{
    const ITunesApplication library = ITunesApplication::iTunes();
    if (library.isRunning())
        return true;
    // Ours plays the part of iTunes; another library is named.
    const QString name = library.displayName() == u"iTunes" ? QStringLiteral("the library") : library.displayName();
    complain(QStringLiteral("%1 is not running; nothing was changed").arg(name));
    return false;
}

RunSteps::Failures run(const RunSteps &steps, const QString &label)
{
    StopFlag stop;
    // A library that keeps its changes until it quits is named once.
    const auto told = [](RunSteps::Failures failed) {
        if (const QString notice = LibrarySave::takeNotice(); !notice.isEmpty())
            complain(notice);
        return failed;
    };
    if (!::isatty(STDERR_FILENO))
        return told(RunLoop::run(steps, stop));
    const QByteArray name = label.toUtf8();
    qint64 shownAt = 0;
    const auto progress = [&](int index, bool worked) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (!worked || (now - shownAt < 100 && index + 1 < steps.count))
            return;
        shownAt = now;
        std::fprintf(stderr, "\r%s %d/%d", name.constData(), index + 1, steps.count);
        std::fflush(stderr);
    };
    const RunSteps::Failures failed = RunLoop::run(steps, stop, progress);
    if (shownAt)
        std::fputs("\n", stderr);
    return told(failed);
}

int finish(const Report &report, bool someMissing)
{
    int failed = 0;
    for (const Item &item : report.items)
        failed += item.failure.isEmpty() ? 0 : 1;
    if (report.json) {
        QJsonArray items;
        for (const Item &item : report.items) {
            QJsonObject entry{{QStringLiteral("file"), FileNames::shownPath(item.file)},
                              {QStringLiteral("url"), QString::fromLatin1(item.file.toEncoded())},
                              {QStringLiteral("before"), item.before},
                              {QStringLiteral("after"), item.after},
                              {QStringLiteral("done"), item.failure.isEmpty() && !report.dryRun}};
            if (!item.failure.isEmpty())
                entry.insert(QStringLiteral("reason"), item.failure);
            items.append(entry);
        }
        QJsonObject result = report.extra;
        result.insert(QStringLiteral("command"), report.command);
        result.insert(QStringLiteral("dryRun"), report.dryRun);
        result.insert(QStringLiteral("items"), items);
        result.insert(QStringLiteral("failed"), failed);
        if (report.journalRun)
            result.insert(QStringLiteral("run"), report.journalRun);
        std::fputs(QJsonDocument(result).toJson(QJsonDocument::Compact).append('\n').constData(), stdout);
    } else if (report.dryRun) {
        for (const Item &item : report.items)
            std::printf("%s\t%s\t%s\n", FileNames::shownPath(item.file).toUtf8().constData(),
                        item.before.toUtf8().constData(),
                        (item.failure.isEmpty() ? item.after : QStringLiteral("not changed: ") + item.failure)
                            .toUtf8().constData());
    } else if (!report.summary.isEmpty()) {
        std::printf("%s\n", report.summary.toUtf8().constData());
    }
    // A preview's table already says which items would fail.
    for (const Item &item : report.items)
        if (!item.failure.isEmpty() && !report.dryRun)
            complain(QStringLiteral("%1: %2").arg(FileNames::shownPath(item.file), item.failure));
    return failed || someMissing ? SomeFailed : Done;
}

QString moment(qint64 seconds, qint64 nanoseconds)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime);
    QString text = local.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
    if (nanoseconds)
        text += QStringLiteral(".%1").arg(nanoseconds, 9, 10, QLatin1Char('0'));
    const int offset = local.offsetFromUtc();
    text += QStringLiteral("%1%2:%3")
                .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                .arg(std::abs(offset) / 3600, 2, 10, QLatin1Char('0'))
                .arg(std::abs(offset) / 60 % 60, 2, 10, QLatin1Char('0'));
    return text;
}

} // namespace CommandLine
