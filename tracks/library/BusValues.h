#pragma once

#include <QString>
#include <QVariantMap>

class BusCall;
struct DBusMessageIter;

// D-Bus values beyond BusCall's own, for libraries whose interfaces take
// dictionaries of variants: written into a call being built, read from an
// answer. A value that cannot be written leaves the call unsendable.
namespace BusValues {
// An a{sv}. Each value goes as its own type: uint as uint32, qlonglong as
// int64, int as int32, double, bool, QString.
void appendDictionary(BusCall &call, const QVariantMap &values);
// An av holding one (sb) structure, then an empty a{sv}: the arguments of
// an application's action that takes a (string, boolean) parameter.
void appendActionParameter(BusCall &call, const QString &text, bool flag);
// The answer's a{sv} at index: strings, integers (as qlonglong, unsigned
// ones too), doubles and booleans; other values are left out. Empty when
// the answer holds no dictionary there.
QVariantMap dictionaryResult(const BusCall &answered, int index = 0);
// The same for the a{sv} the iterator stands on (an element of an array of
// them, say).
QVariantMap dictionaryAt(DBusMessageIter *dictionary);
} // namespace BusValues
