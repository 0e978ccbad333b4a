#include "tracks/runs/HandOverRun.h"

#include "tracks/library/ITunesApplication.h"
#include "tracks/runs/RunRecord.h"
#include "tracks/runs/StopFlag.h"

#include <QCoreApplication>

#include <algorithm>

namespace HandOverRun {

QList<QUrl> State::handedFiles() const
{
    QList<QUrl> handedFiles;
    for (int k = 0; k < handed; ++k)
        handedFiles.append(files.at(order.at(k)));
    return handedFiles;
}

QList<HandOver::Miss> State::misses() const
{
    // A date written directly is the date asked for, even where the
    // library happened to hold that date already.
    return HandOver::check(writesDates ? QList<QDateTime>(before.size()) : before, after);
}

std::shared_ptr<State> prepare(const QList<QUrl> &files, bool firstToLast)
{
    auto state = std::make_shared<State>();
    state->files = files;
    state->order = HandOver::order(int(files.size()), firstToLast);
    return state;
}

RunSteps steps(const std::shared_ptr<State> &state, const std::shared_ptr<StopFlag> &stop)
{
    RunSteps steps;
    steps.count = int(state->files.size());
    steps.before = [state] {
        const ITunesApplication library = ITunesApplication::iTunes();
        state->libraryRunning = library.isRunning();
        state->writesDates = library.setsDateAdded();
        state->firstSecond = QDateTime::currentSecsSinceEpoch() - (state->files.size() - 1);
        return state->libraryRunning;
    };
    steps.work = [state, stop](int k) {
        // Not before the library's clock has passed into a later second.
        if (k > 0 && !state->writesDates && !stop->sleepUntil(HandOver::nextStart(state->lastStart, state->lastEnd)))
            return QString();
        const ITunesApplication library = ITunesApplication::iTunes();
        const QUrl file = state->files.at(state->order.at(k));
        const auto held = library.trackOfFile(file);
        state->before.append(held && held->track.isValid() ? held->dateAdded : QDateTime());
        state->lastStart = QDateTime::currentMSecsSinceEpoch();
        ITunesTrack track = held && held->track.isValid() && state->writesDates ? held->track : library.add({file});
        const bool added = track.isValid()
                           && (!state->writesDates
                               || track.setDateAdded(QDateTime::fromSecsSinceEpoch(state->firstSecond + k)).isValid());
        state->lastEnd = QDateTime::currentMSecsSinceEpoch();
        ++state->handed;
        return added ? QString() : QCoreApplication::translate("DateAddedViewController", "The library did not add it");
    };
    steps.after = [state, stop] {
        if (!state->libraryRunning || state->handed == 0)
            return;
        // The last file too is a second clear of whatever comes next.
        if (!state->writesDates)
            stop->sleepUntil(HandOver::nextStart(state->lastStart, state->lastEnd));
        const ITunesApplication library = ITunesApplication::iTunes();
        const QList<QUrl> handed = state->handedFiles();
        for (const QUrl &file : handed) {
            const auto held = library.trackOfFile(file);
            state->after.append(held && held->track.isValid() ? held->dateAdded : QDateTime());
        }
        // The journal keeps what the run did: each file handed over and
        // whether the library held it before. Adding a file is what gives it
        // its Date Added, so the run cannot be taken back.
        QList<RunJournal::Entry> entries;
        for (int k = 0; k < state->handed; ++k)
            entries.append({handed.at(k).toString(QUrl::FullyEncoded),
                            RunJournal::Value{state->before.at(k).isValid() ? 1 : 0, 0}, RunJournal::Value{1, 0}});
        RunRecord::finish(RunRecord::begin(QStringLiteral("Date Added"), RunJournal::Kind::DateAdded, entries),
                          int(std::count_if(state->after.cbegin(), state->after.cend(),
                                            [](const QDateTime &date) { return date.isValid(); })));
    };
    return steps;
}

QString describe(HandOver::Miss miss)
{
    switch (miss) {
    case HandOver::Miss::NotTaken:
        return QCoreApplication::translate("HandOverRun", "iTunes did not take the file");
    case HandOver::Miss::AlreadyHeld:
        return QCoreApplication::translate("HandOverRun", "already in the library; its Date Added did not change");
    case HandOver::Miss::NotLater:
        return QCoreApplication::translate("HandOverRun", "not later than the file before it");
    case HandOver::Miss::None:
        break;
    }
    return {};
}

} // namespace HandOverRun
