#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Whether a bus name has an owner, answered without a bus round trip.
//
// One watch serves the whole process: name ownership is a fact of the one
// session-bus connection the process shares, and handles to the library are
// made afresh for every use on any thread, so there is nothing smaller to
// hang it on. It runs in its own thread with an event loop that follows the
// bus's NameOwnerChanged signal; it is set up on first use and stopped when
// the application object goes away.
namespace BusNameWatch {
// The owner state as last signalled; nullopt until the watch for this name is
// subscribed (the caller then asks the bus itself). Starts the watch.
std::optional<bool> hasOwner(const QString &service);
// A number for the process that owns the name as last signalled: it differs
// for every owner seen while watched, so a cached link to a library instance
// can tell the instance went away or was replaced. 0 when the name has no
// owner or the watch is not subscribed yet. Starts the watch.
quint64 ownerInstance(const QString &service);
// A number that grows whenever what the watch knows changes: an owner came or
// went, a name's watch was subscribed, the watch stopped. What was worked out
// from the watch's answers still holds while it stays the same.
quint64 changes();
// Asks the bus directly (one round trip); false when the bus does not answer.
bool queryHasOwner(const QString &service);
} // namespace BusNameWatch
