#pragma once

#include <QDBusMetaType>
#include <QList>
#include <QVariantMap>

#include <mutex>

// Names and record keys of the library's scripting interface, shared by the
// library application, the scripting bridge and the tests.
namespace LibraryProtocol {
inline constexpr const char *serviceName = "com.apple.iTunes";
inline constexpr const char *objectPath = "/Library";
inline constexpr const char *interfaceName = "com.apple.iTunes.Library";

namespace Key {
inline constexpr const char *id = "id";
inline constexpr const char *name = "name";
inline constexpr const char *artist = "artist";
inline constexpr const char *album = "album";
inline constexpr const char *trackNumber = "trackNumber";
inline constexpr const char *location = "location";
inline constexpr const char *dateAdded = "dateAdded";
inline constexpr const char *dateModified = "dateModified";
inline constexpr const char *playedCount = "playedCount";
inline constexpr const char *rating = "rating";
} // namespace Key

// Track records travel as aa{sv} and ids as ax; Qt D-Bus needs those list
// types registered
// before the first call that carries it. Safe to call from any thread.
inline void registerTypes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        qDBusRegisterMetaType<QList<QVariantMap>>();
        qDBusRegisterMetaType<QList<qlonglong>>();
        qDBusRegisterMetaType<QList<int>>();
    });
}
} // namespace LibraryProtocol
