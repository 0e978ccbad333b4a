#include "tracks/runs/Undo.h"

#include "tracks/runs/RunRecord.h"

#include <QCoreApplication>

namespace Undo {

std::optional<RunJournal::Value> currentValue(RunJournal::Kind kind, const QUrl &target,
                                              const ITunesApplication &library)
{
    switch (kind) {
    case RunJournal::Kind::ModificationTime:
        if (const std::optional<FileTime> now = FileDates::modificationDate(target))
            return RunRecord::valueOf(*now);
        return std::nullopt;
    case RunJournal::Kind::PlayCount:
    case RunJournal::Kind::Rating: {
        const auto held = library.trackOfFile(target);
        if (!held || !held->track.isValid())
            return std::nullopt;
        const int value = kind == RunJournal::Kind::PlayCount ? held->track.playedCount() : held->track.rating();
        return RunJournal::Value{value, 0};
    }
    case RunJournal::Kind::DateAdded:
        break;
    }
    return std::nullopt;
}

State stateOf(const RunJournal::Entry &entry, const std::optional<RunJournal::Value> &now)
{
    if (!now)
        return State::ChangedSince;
    if (*now == entry.after && entry.before && *entry.before != entry.after)
        return State::Restore;
    if (entry.before ? *now == *entry.before : *now == entry.after)
        return State::Untouched;
    return State::ChangedSince;
}

QString restore(RunJournal::Kind kind, const QUrl &target, const RunJournal::Value &value, const ITunesApplication &library)
{
    switch (kind) {
    case RunJournal::Kind::ModificationTime: {
        int error = 0;
        return FileDates::setModificationDate(target, RunRecord::timeOf(value), &error) ? QString() : qt_error_string(error);
    }
    case RunJournal::Kind::PlayCount:
    case RunJournal::Kind::Rating: {
        const QString property = QString::fromLatin1(kind == RunJournal::Kind::PlayCount ? "playedCount" : "rating");
        const ITunesApplication::StoredValue stored = library.addSetRefreshReveal(target, property, int(value.value));
        if (stored.stored && *stored.stored == value.value)
            return {};
        return QCoreApplication::translate("Undo", "The library did not store it");
    }
    case RunJournal::Kind::DateAdded:
        break;
    }
    return QCoreApplication::translate("Undo", "A Date Added run cannot be taken back");
}

} // namespace Undo
