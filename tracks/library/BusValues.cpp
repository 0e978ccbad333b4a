#include "tracks/library/BusValues.h"

#include "tracks/library/BusCall.h"

#include <dbus/dbus.h>

#include <limits>

namespace BusValues {

namespace {
// libdbus aborts on malformed text: it is checked first.
bool appendText(DBusMessageIter *it, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    const char *data = utf8.constData();
    return dbus_validate_utf8(data, nullptr) && dbus_message_iter_append_basic(it, DBUS_TYPE_STRING, &data);
}

bool appendVariant(DBusMessageIter *it, const QVariant &value)
{
    DBusMessageIter variant;
    const auto wrapped = [&](const char *signature, int type, const void *basic) {
        return dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, signature, &variant)
               && dbus_message_iter_append_basic(&variant, type, basic)
               && dbus_message_iter_close_container(it, &variant);
    };
    switch (value.typeId()) {
    case QMetaType::UInt: {
        const dbus_uint32_t v = value.toUInt();
        return wrapped(DBUS_TYPE_UINT32_AS_STRING, DBUS_TYPE_UINT32, &v);
    }
    case QMetaType::Int: {
        const dbus_int32_t v = value.toInt();
        return wrapped(DBUS_TYPE_INT32_AS_STRING, DBUS_TYPE_INT32, &v);
    }
    case QMetaType::LongLong: {
        const dbus_int64_t v = value.toLongLong();
        return wrapped(DBUS_TYPE_INT64_AS_STRING, DBUS_TYPE_INT64, &v);
    }
    case QMetaType::Double: {
        const double v = value.toDouble();
        return wrapped(DBUS_TYPE_DOUBLE_AS_STRING, DBUS_TYPE_DOUBLE, &v);
    }
    case QMetaType::Bool: {
        const dbus_bool_t v = value.toBool();
        return wrapped(DBUS_TYPE_BOOLEAN_AS_STRING, DBUS_TYPE_BOOLEAN, &v);
    }
    case QMetaType::QString:
        return dbus_message_iter_open_container(it, DBUS_TYPE_VARIANT, DBUS_TYPE_STRING_AS_STRING, &variant)
               && appendText(&variant, value.toString()) && dbus_message_iter_close_container(it, &variant);
    default:
        return false;
    }
}

bool appendDictionaryTo(DBusMessageIter *it, const QVariantMap &values)
{
    DBusMessageIter array;
    if (!dbus_message_iter_open_container(it, DBUS_TYPE_ARRAY, "{sv}", &array))
        return false;
    for (auto value = values.cbegin(); value != values.cend(); ++value) {
        DBusMessageIter entry;
        if (!dbus_message_iter_open_container(&array, DBUS_TYPE_DICT_ENTRY, nullptr, &entry)
            || !appendText(&entry, value.key()) || !appendVariant(&entry, value.value())
            || !dbus_message_iter_close_container(&array, &entry)) {
            dbus_message_iter_abandon_container(it, &array);
            return false;
        }
    }
    return dbus_message_iter_close_container(it, &array);
}

QVariant basicValue(DBusMessageIter *it)
{
    const int type = dbus_message_iter_get_arg_type(it);
    DBusBasicValue value{};
    switch (type) {
    case DBUS_TYPE_STRING:
    case DBUS_TYPE_OBJECT_PATH:
        dbus_message_iter_get_basic(it, &value.str);
        return QString::fromUtf8(value.str);
    case DBUS_TYPE_BOOLEAN:
        dbus_message_iter_get_basic(it, &value.bool_val);
        return bool(value.bool_val);
    case DBUS_TYPE_DOUBLE:
        dbus_message_iter_get_basic(it, &value.dbl);
        return value.dbl;
    case DBUS_TYPE_BYTE:
        dbus_message_iter_get_basic(it, &value.byt);
        return qlonglong(value.byt);
    case DBUS_TYPE_INT16:
        dbus_message_iter_get_basic(it, &value.i16);
        return qlonglong(value.i16);
    case DBUS_TYPE_UINT16:
        dbus_message_iter_get_basic(it, &value.u16);
        return qlonglong(value.u16);
    case DBUS_TYPE_INT32:
        dbus_message_iter_get_basic(it, &value.i32);
        return qlonglong(value.i32);
    case DBUS_TYPE_UINT32:
        dbus_message_iter_get_basic(it, &value.u32);
        return qlonglong(value.u32);
    case DBUS_TYPE_INT64:
        dbus_message_iter_get_basic(it, &value.i64);
        return qlonglong(value.i64);
    case DBUS_TYPE_UINT64:
        dbus_message_iter_get_basic(it, &value.u64);
        // Beyond the signed range it is no value this client reads.
        return value.u64 > quint64(std::numeric_limits<qint64>::max()) ? QVariant() : QVariant(qlonglong(value.u64));
    default:
        return {};
    }
}
} // namespace

void appendDictionary(BusCall &call, const QVariantMap &values)
{
    DBusMessageIter it;
    if (!call.message())
        return;
    dbus_message_iter_init_append(call.message(), &it);
    if (!appendDictionaryTo(&it, values))
        call.refuseArguments();
}

void appendActionParameter(BusCall &call, const QString &text, bool flag)
{
    DBusMessageIter it, array, variant, pair;
    if (!call.message())
        return;
    dbus_message_iter_init_append(call.message(), &it);
    const dbus_bool_t b = flag;
    const bool appended = dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, "v", &array)
                          && dbus_message_iter_open_container(&array, DBUS_TYPE_VARIANT, "(sb)", &variant)
                          && dbus_message_iter_open_container(&variant, DBUS_TYPE_STRUCT, nullptr, &pair)
                          && appendText(&pair, text) && dbus_message_iter_append_basic(&pair, DBUS_TYPE_BOOLEAN, &b)
                          && dbus_message_iter_close_container(&variant, &pair)
                          && dbus_message_iter_close_container(&array, &variant)
                          && dbus_message_iter_close_container(&it, &array) && appendDictionaryTo(&it, {});
    if (!appended)
        call.refuseArguments();
}

QVariantMap dictionaryResult(const BusCall &answered, int index)
{
    QVariantMap values;
    DBusMessageIter it;
    if (!answered.reply() || !dbus_message_iter_init(answered.reply(), &it))
        return values;
    for (int i = 0; i < index; ++i)
        if (!dbus_message_iter_next(&it))
            return values;
    if (dbus_message_iter_get_arg_type(&it) != DBUS_TYPE_ARRAY || dbus_message_iter_get_element_type(&it) != DBUS_TYPE_DICT_ENTRY)
        return values;
    return dictionaryAt(&it);
}

QVariantMap dictionaryAt(DBusMessageIter *dictionary)
{
    QVariantMap values;
    DBusMessageIter array;
    dbus_message_iter_recurse(dictionary, &array);
    for (; dbus_message_iter_get_arg_type(&array) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(&array)) {
        DBusMessageIter entry, variant;
        dbus_message_iter_recurse(&array, &entry);
        if (dbus_message_iter_get_arg_type(&entry) != DBUS_TYPE_STRING)
            continue;
        const QString key = basicValue(&entry).toString();
        if (!dbus_message_iter_next(&entry) || dbus_message_iter_get_arg_type(&entry) != DBUS_TYPE_VARIANT)
            continue;
        dbus_message_iter_recurse(&entry, &variant);
        const QVariant value = basicValue(&variant);
        if (value.isValid())
            values.insert(key, value);
    }
    return values;
}

} // namespace BusValues
