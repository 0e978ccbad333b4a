#include "tracks/library/ITunesCallWindow.h"

#include "tracks/library/LibraryCall.h"
#include "tracks/library/Rhythmbox.h"

#include <algorithm>

ITunesCallWindow::ITunesCallWindow(int size) : m_size(std::max(1, size)) {}

ITunesCallWindow::~ITunesCallWindow()
{
    waitForAll();
}

void ITunesCallWindow::addRefreshReveal(const ITunesApplication &library, const QUrl &file)
{
    if (library.serviceName() == QLatin1String(Rhythmbox::service)) {
        const QString uri = Rhythmbox::storedUri(file);
        const QVariantMap changed = Rhythmbox::modificationValues(file);
        if (uri.isEmpty() || changed.isEmpty())
            return;
        enqueue(Rhythmbox::setEntry(uri, changed), {});
        enqueue(Rhythmbox::pluginCall("Reveal", uri), {});
        return;
    }
    auto call = LibraryCall::make(library.serviceName(), "AddRefreshReveal");
    *call << LibraryCall::fileArgument(file);
    enqueue(std::move(call), {});
}

void ITunesCallWindow::addSetRefreshReveal(const ITunesApplication &library, const QUrl &file,
                                           const QString &property, int value, StoredHandler done)
{
    if (library.serviceName() == QLatin1String(Rhythmbox::service)) {
        // Written, read back and shown: three calls on the way together,
        // answered in order, so the read sees the write.
        const QString uri = Rhythmbox::storedUri(file);
        const QVariantMap values = Rhythmbox::valuesFor(property, value);
        if (uri.isEmpty() || values.isEmpty())
            return skip(std::move(done));
        enqueue(Rhythmbox::setEntry(uri, values), {});
        enqueue(Rhythmbox::getEntry(uri), [uri, property, value, done = std::move(done)](const BusCall *answered) {
            // Only the value written counts as stored (Rhythmbox reports no
            // failed write); one it has not applied yet is waited for.
            const std::optional<Rhythmbox::Entry> entry =
                answered ? Rhythmbox::confirmed(uri, property, value, Rhythmbox::entryOf(*answered)) : std::nullopt;
            const std::optional<qint64> stored = entry ? Rhythmbox::storedValueOf(property, *entry) : std::nullopt;
            if (done)
                done(stored ? std::optional<int>(int(*stored)) : std::nullopt);
        });
        enqueue(Rhythmbox::pluginCall("Reveal", uri), {});
        return;
    }
    enqueue(LibraryCall::addSetRefreshReveal(library.serviceName(), file, property, value),
            [done = std::move(done)](const BusCall *answered) {
                if (done)
                    done(answered ? LibraryCall::storedValue(*answered) : std::nullopt);
            });
}

void ITunesCallWindow::skip(StoredHandler done)
{
    enqueue(nullptr, [done = std::move(done)](const BusCall *) {
        if (done)
            done(std::nullopt);
    });
}

void ITunesCallWindow::enqueue(std::unique_ptr<BusCall> call, std::function<void(const BusCall *)> collect)
{
    if (call && !m_cutOff) {
        while (!m_cutOff && int(m_entries.size()) >= m_size)
            collectOldest();
    }
    if (call && !m_cutOff && !call->send(ITunesApplication::callTimeoutMs)) {
        m_cutOff = call->wentUnanswered();
        call.reset();
    }
    if (m_cutOff)
        call.reset();
    m_entries.push_back({std::move(call), std::move(collect)});
    // What needs no waiting completes now: entries that were never sent,
    // and after a cut-off everything.
    while (!m_entries.empty() && (m_cutOff || !m_entries.front().call))
        collectOldest();
}

void ITunesCallWindow::collectOldest()
{
    Entry oldest = std::move(m_entries.front());
    m_entries.pop_front();
    const BusCall *answered = nullptr;
    if (oldest.call) {
        // After a cut-off, answers that came in are still taken: those calls
        // were carried out.
        if (m_cutOff ? oldest.call->finishNow() : oldest.call->finish())
            answered = oldest.call.get();
        else if (oldest.call->wentUnanswered())
            m_cutOff = true;
    }
    if (oldest.collect)
        oldest.collect(answered);
}

void ITunesCallWindow::waitForAll()
{
    while (!m_entries.empty())
        collectOldest();
}
