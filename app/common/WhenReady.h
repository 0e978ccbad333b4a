#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>

#include <utility>

// Calls fn(result) in context's thread once the future has its result.
// The pending wait belongs to context: destroyed with it, so fn never runs
// for an object that is gone, and nothing of context is touched on the
// thread that finishes the future. A future that ends without a result
// (canceled, or its work threw) calls nothing.
template <typename T, typename Fn>
void whenReady(const QFuture<T> &future, QObject *context, Fn fn)
{
    auto *watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, fn = std::move(fn)]() mutable {
        watcher->deleteLater();
        const QFuture<T> done = watcher->future();
        if (!done.isCanceled() && done.resultCount() > 0)
            fn(done.result());
    });
    watcher->setFuture(future);
}
