#pragma once

#include "protocol/LibraryProtocol.h"
#include "tracks/library/BusCall.h"
#include "tracks/library/BusNameWatch.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

// How the library client makes its calls and reads their answers; shared by
// the one-at-a-time calls of ITunesApplication and the calls on the way of
// ITunesCallWindow, so that both say the same thing to the library.
namespace LibraryCall {
// Calls go straight to the library when it offers that: the bus stays the
// place to find it, and the watched owner tells which library instance a
// direct connection belongs to.
inline std::unique_ptr<BusCall> make(const QString &service, const char *method)
{
    return std::make_unique<BusCall>(service.toUtf8().constData(), LibraryProtocol::objectPath,
                                     LibraryProtocol::interfaceName, method, BusNameWatch::ownerInstance(service));
}

inline QString fileArgument(const QUrl &file)
{
    return file.toString(QUrl::FullyEncoded);
}

// AddSetRefreshReveal(file, property, value) -> (id, stored)
inline std::unique_ptr<BusCall> addSetRefreshReveal(const QString &service, const QUrl &file, const QString &property,
                                                    int value)
{
    auto call = make(service, "AddSetRefreshReveal");
    *call << fileArgument(file) << property << value;
    return call;
}

// The stored value of an answered AddSetRefreshReveal; nullopt when the
// library refused the file or the property, or there was no answer.
inline std::optional<int> storedValue(const BusCall &answered)
{
    const std::optional<qint64> id = answered.int64Result(0);
    const std::optional<int> stored = answered.intResult(1);
    if (!id || *id <= 0 || !stored || *stored < 0)
        return std::nullopt;
    return stored;
}
} // namespace LibraryCall
