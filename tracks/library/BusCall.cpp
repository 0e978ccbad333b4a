#include "tracks/library/BusCall.h"

#include "tracks/library/BusValues.h"

#include <dbus/dbus.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {
// The calling thread's own connection to the session bus. Thread-local
// because libdbus hands a blocking call's answer to whichever thread waits on
// the connection; one connection per thread keeps each thread's calls off the
// others' path. Closed when the thread ends; reopened when the bus dropped it.
class ThreadConnection
{
public:
    ~ThreadConnection() { drop(); }

    // The bus connection as it is, without opening one.
    DBusConnection *bus() const { return m_connection; }

    DBusConnection *get(int timeoutMs)
    {
        if (m_connection && !dbus_connection_get_is_connected(m_connection))
            close(m_connection);
        if (!m_connection)
            m_connection = open(timeoutMs);
        return m_connection;
    }

    // Nothing but answers to our own calls is wanted here (the bus greets a
    // new connection with a signal); drop whatever else queued up. Not while
    // sent calls wait for answers: theirs may be in the queue.
    void discardIncoming()
    {
        if (m_waiting > 0)
            return;
        for (DBusConnection *connection : {m_connection, m_peer}) {
            while (connection)
                if (DBusMessage *message = dbus_connection_pop_message(connection))
                    dbus_message_unref(message);
                else
                    break;
        }
    }

    // The direct connection to the given instance of service, when it
    // offers one; nullptr to use the bus. Set up only while no call of this
    // thread is on the way, so that calls sent one after the other cannot
    // overtake each other on two connections.
    DBusConnection *peer(DBusMessage *call, quint64 instance, const QDeadlineTimer &deadline)
    {
        const char *service = dbus_message_get_destination(call);
        const bool sameService = m_peerService == service;
        if (m_waiting > 0 && (instance != m_peerInstance || !sameService)) {
            // Calls on the way keep the connection they went out on (their
            // answers come there, in order) until they are answered.
            return sameService && m_peer && dbus_connection_get_is_connected(m_peer) ? m_peer : nullptr;
        }
        if (instance != m_peerInstance || !sameService) {
            dropPeer();
            m_peerInstance = instance;
            m_peerService = service;
            m_peerTried = false;
        }
        // A broken connection is not tried again for the same instance: the
        // bus tells whether it is still there.
        if (m_peer && !dbus_connection_get_is_connected(m_peer))
            dropPeer();
        if (m_peer || m_peerTried || m_waiting > 0 || instance == 0)
            return m_peer;
        m_peerTried = true;
        const QByteArray address = peerAddress(call, deadline);
        if (address.isEmpty() || deadline.hasExpired())
            return nullptr;
        DBusError error;
        dbus_error_init(&error);
        m_peer = dbus_connection_open_private(address.constData(), &error);
        dbus_error_free(&error);
        if (m_peer)
            dbus_connection_set_exit_on_disconnect(m_peer, FALSE);
        return m_peer;
    }

    void callSent() { ++m_waiting; }
    void callAnswered() { --m_waiting; }

private:
    static DBusConnection *open(int timeoutMs)
    {
        DBusError error;
        dbus_error_init(&error);
        const char *address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        DBusConnection *connection = nullptr;
        if (!address || !*address) {
            // The way Qt D-Bus finds a session bus without an address.
            connection = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
        } else if ((connection = dbus_connection_open_private(address, &error))) {
            // Register with the bus ourselves: dbus_bus_register() would wait
            // for the bus for up to 25 s.
            DBusMessage *hello = dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS,
                                                              DBUS_INTERFACE_DBUS, "Hello");
            DBusMessage *reply = hello ? dbus_connection_send_with_reply_and_block(connection, hello, timeoutMs, &error)
                                       : nullptr;
            if (hello)
                dbus_message_unref(hello);
            if (reply) {
                dbus_message_unref(reply);
            } else {
                dbus_connection_close(connection);
                dbus_connection_unref(connection);
                connection = nullptr;
            }
        }
        dbus_error_free(&error);
        if (connection)
            dbus_connection_set_exit_on_disconnect(connection, FALSE);
        return connection;
    }

    // Asked over the bus, never starting the service.
    QByteArray peerAddress(DBusMessage *call, const QDeadlineTimer &deadline)
    {
        const qint64 left = deadline.remainingTime();
        DBusConnection *bus = left > 0 ? get(int(left)) : nullptr;
        if (!bus || deadline.hasExpired())
            return {};
        DBusMessage *ask = dbus_message_new_method_call(dbus_message_get_destination(call), dbus_message_get_path(call),
                                                        dbus_message_get_interface(call), "PeerAddress");
        if (!ask)
            return {};
        dbus_message_set_auto_start(ask, FALSE);
        DBusError error;
        dbus_error_init(&error);
        DBusMessage *reply = dbus_connection_send_with_reply_and_block(bus, ask, int(std::max<qint64>(1, deadline.remainingTime())), &error);
        dbus_error_free(&error);
        dbus_message_unref(ask);
        QByteArray address;
        DBusMessageIter it;
        if (reply && dbus_message_iter_init(reply, &it) && dbus_message_iter_get_arg_type(&it) == DBUS_TYPE_STRING) {
            const char *text = nullptr;
            dbus_message_iter_get_basic(&it, &text);
            address = text;
        }
        if (reply)
            dbus_message_unref(reply);
        discardIncoming();
        return address;
    }

    static void close(DBusConnection *&connection)
    {
        if (!connection)
            return;
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
        connection = nullptr;
    }
    void drop()
    {
        close(m_connection);
        dropPeer();
    }
    void dropPeer() { close(m_peer); }

    DBusConnection *m_connection = nullptr;
    DBusConnection *m_peer = nullptr;
    std::string m_peerService;
    quint64 m_peerInstance = 0;
    bool m_peerTried = false; // the address of this instance was asked for
    int m_waiting = 0; // calls sent by send() and not finished yet
};

thread_local ThreadConnection t_connection;

// libdbus treats malformed text as a caller's bug and aborts the process by
// default, so text is checked before it is handed over.
bool validText(const QByteArray &utf8)
{
    return dbus_validate_utf8(utf8.constData(), nullptr);
}

// Errors that the bus or the connection itself gives for a call the service
// never saw through: it is not there, went away, or let the time run out.
bool meansNoOneThere(const char *errorName)
{
    for (const char *name : {DBUS_ERROR_NO_REPLY, DBUS_ERROR_SERVICE_UNKNOWN, DBUS_ERROR_NAME_HAS_NO_OWNER,
                             DBUS_ERROR_DISCONNECTED, DBUS_ERROR_TIMEOUT, DBUS_ERROR_TIMED_OUT, DBUS_ERROR_NO_SERVER})
        if (errorName && std::strcmp(errorName, name) == 0)
            return true;
    return false;
}

} // namespace

BusCall::BusCall(const char *service, const char *path, const char *interface, const char *method,
                 quint64 peerInstance)
    : m_peerInstance(peerInstance)
{
    if (!dbus_validate_bus_name(service, nullptr))
        return;
    m_message = dbus_message_new_method_call(service, path, interface, method);
    if (m_message)
        dbus_message_set_auto_start(m_message, FALSE); // only an explicit launch may start a service
}

BusCall::~BusCall()
{
    if (m_pending) {
        dbus_pending_call_cancel(m_pending);
        dbus_pending_call_unref(m_pending);
        dbus_connection_unref(m_sentOn);
        t_connection.callAnswered();
    }
    if (m_message)
        dbus_message_unref(m_message);
    if (m_reply)
        dbus_message_unref(m_reply);
}

void BusCall::appendBasic(int type, const void *value)
{
    if (!m_message || !dbus_message_append_args(m_message, type, value, DBUS_TYPE_INVALID))
        m_ok = false;
}

BusCall &BusCall::operator<<(qint64 value)
{
    const dbus_int64_t v = value;
    appendBasic(DBUS_TYPE_INT64, &v);
    return *this;
}

BusCall &BusCall::operator<<(int value)
{
    const dbus_int32_t v = value;
    appendBasic(DBUS_TYPE_INT32, &v);
    return *this;
}

BusCall &BusCall::operator<<(const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    const char *text = utf8.constData();
    if (validText(utf8))
        appendBasic(DBUS_TYPE_STRING, &text);
    else
        m_ok = false;
    return *this;
}

BusCall &BusCall::operator<<(const QStringList &values)
{
    return appendArray(DBUS_TYPE_STRING, values, [](DBusMessageIter *array, const QString &value) {
        const QByteArray utf8 = value.toUtf8();
        const char *text = utf8.constData();
        return validText(utf8) && dbus_message_iter_append_basic(array, DBUS_TYPE_STRING, &text);
    });
}

BusCall &BusCall::operator<<(const QList<qint64> &values)
{
    return appendArray(DBUS_TYPE_INT64, values, [](DBusMessageIter *array, qint64 value) {
        const dbus_int64_t v = value;
        return bool(dbus_message_iter_append_basic(array, DBUS_TYPE_INT64, &v));
    });
}

template<typename Values, typename AppendOne>
BusCall &BusCall::appendArray(int elementType, const Values &values, AppendOne appendOne)
{
    DBusMessageIter it, array;
    if (!m_message)
        return *this;
    const char signature[2] = {char(elementType), 0};
    dbus_message_iter_init_append(m_message, &it);
    if (!dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, signature, &array)) {
        m_ok = false;
        return *this;
    }
    for (const auto &value : values) {
        if (!appendOne(&array, value)) {
            m_ok = false;
            dbus_message_iter_abandon_container(&it, &array);
            return *this;
        }
    }
    if (!dbus_message_iter_close_container(&it, &array))
        m_ok = false;
    return *this;
}

DBusConnection *BusCall::connectionFor(const QDeadlineTimer &deadline) const
{
    if (m_peerInstance != 0) {
        if (DBusConnection *peer = t_connection.peer(m_message, m_peerInstance, deadline))
            return peer;
    }
    const qint64 left = deadline.remainingTime();
    return left > 0 ? t_connection.get(int(left)) : nullptr;
}

DBusConnection *BusCall::readyConnection(const QDeadlineTimer &deadline) const
{
    if (!m_message || !m_ok || m_reply || m_pending)
        return nullptr;
    return connectionFor(deadline);
}

bool BusCall::call(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    if (send(timeoutMs) && waitForAnswer())
        return true;
    // A direct connection to an instance that has gone (the library was
    // restarted a moment ago, and the watch of its name has not seen the new
    // owner yet) is found broken only by a call on it. The call goes once
    // more over the bus, where the name leads to whoever owns it now.
    if (!m_sentOnPeer || !wentUnanswered() || deadline.hasExpired())
        return false;
    const quint64 instance = std::exchange(m_peerInstance, 0);
    const bool answered = send(int(deadline.remainingTime())) && waitForAnswer();
    m_peerInstance = instance;
    return answered;
}

bool BusCall::send(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    DBusConnection *connection = readyConnection(deadline);
    const qint64 left = deadline.remainingTime();
    if (!connection || left <= 0)
        return false;
    // A connection that is gone gives no pending call at all.
    if (!dbus_connection_send_with_reply(connection, m_message, &m_pending, int(left)) || !m_pending) {
        m_pending = nullptr;
        return false;
    }
    m_sentOn = dbus_connection_ref(connection);
    m_sentOnPeer = m_peerInstance != 0 && connection != t_connection.bus();
    m_deadline = deadline;
    t_connection.callSent();
    dbus_connection_flush(connection);
    return true;
}

bool BusCall::finish()
{
    return waitForAnswer();
}

bool BusCall::finishNow()
{
    return waitForAnswer(false);
}

bool BusCall::wentUnanswered() const
{
    return m_message && m_ok && !m_reply && !m_pending && !m_serviceRefused;
}

bool BusCall::waitForAnswer(bool wait)
{
    if (!m_pending)
        return m_reply != nullptr;
    if (!wait) {
        // One read of what has come in, then every message it brought.
        dbus_connection_read_write(m_sentOn, 0);
        while (!dbus_pending_call_get_completed(m_pending)
               && dbus_connection_get_dispatch_status(m_sentOn) == DBUS_DISPATCH_DATA_REMAINS)
            dbus_connection_dispatch(m_sentOn);
    }
    // Not dbus_pending_call_block(): it would wait the whole timeout again
    // from now, so calls waiting behind a hung service would add up. Reading
    // and dispatching completes whichever calls get their answers (or the
    // bus's error when the service goes away) and drops anything else.
    while (wait && !dbus_pending_call_get_completed(m_pending)) {
        const qint64 left = m_deadline.remainingTime();
        if (left <= 0 || !dbus_connection_read_write_dispatch(m_sentOn, int(left)))
            break;
    }
    DBusMessage *reply = dbus_pending_call_get_completed(m_pending) ? dbus_pending_call_steal_reply(m_pending) : nullptr;
    if (!reply)
        dbus_pending_call_cancel(m_pending);
    dbus_pending_call_unref(m_pending);
    m_pending = nullptr;
    dbus_connection_unref(m_sentOn);
    m_sentOn = nullptr;
    t_connection.callAnswered();
    if (reply && dbus_message_get_type(reply) == DBUS_MESSAGE_TYPE_ERROR) {
        m_serviceRefused = !meansNoOneThere(dbus_message_get_error_name(reply));
        dbus_message_unref(reply);
        reply = nullptr;
    }
    m_reply = reply;
    t_connection.discardIncoming();
    return m_reply != nullptr;
}

namespace {
// The answer's value at index when it is of the D-Bus type given.
template <typename Basic>
std::optional<Basic> basicAt(DBusMessage *reply, int type, int index = 0)
{
    DBusMessageIter it;
    if (!reply || !dbus_message_iter_init(reply, &it))
        return std::nullopt;
    for (int i = 0; i < index; ++i)
        if (!dbus_message_iter_next(&it))
            return std::nullopt;
    if (dbus_message_iter_get_arg_type(&it) != type)
        return std::nullopt;
    Basic value{};
    dbus_message_iter_get_basic(&it, &value);
    return value;
}

// The answer's array of fixed-size values at index, when its elements are of
// the D-Bus type given; read in one piece.
template <typename Element, typename Fixed>
QList<Element> fixedArrayAt(DBusMessage *reply, int elementType, int index)
{
    DBusMessageIter it, elements;
    if (!reply || !dbus_message_iter_init(reply, &it))
        return {};
    for (int i = 0; i < index; ++i)
        if (!dbus_message_iter_next(&it))
            return {};
    if (dbus_message_iter_get_arg_type(&it) != DBUS_TYPE_ARRAY || dbus_message_iter_get_element_type(&it) != elementType)
        return {};
    dbus_message_iter_recurse(&it, &elements);
    const Fixed *values = nullptr;
    int count = 0;
    dbus_message_iter_get_fixed_array(&elements, &values, &count);
    return values ? QList<Element>(values, values + count) : QList<Element>();
}
} // namespace

std::optional<qint64> BusCall::int64Result(int index) const
{
    return basicAt<dbus_int64_t>(m_reply, DBUS_TYPE_INT64, index);
}

std::optional<int> BusCall::intResult(int index) const
{
    return basicAt<dbus_int32_t>(m_reply, DBUS_TYPE_INT32, index);
}

std::optional<bool> BusCall::boolResult() const
{
    const std::optional<dbus_bool_t> value = basicAt<dbus_bool_t>(m_reply, DBUS_TYPE_BOOLEAN);
    return value ? std::optional<bool>(*value != FALSE) : std::nullopt;
}

QList<qint64> BusCall::int64ArrayResult(int index) const
{
    return fixedArrayAt<qint64, dbus_int64_t>(m_reply, DBUS_TYPE_INT64, index);
}

QList<int> BusCall::intArrayResult(int index) const
{
    return fixedArrayAt<int, dbus_int32_t>(m_reply, DBUS_TYPE_INT32, index);
}

QStringList BusCall::stringArrayResult(int index) const
{
    QStringList strings;
    DBusMessageIter it, elements;
    if (!m_reply || !dbus_message_iter_init(m_reply, &it))
        return strings;
    for (int i = 0; i < index; ++i)
        if (!dbus_message_iter_next(&it))
            return strings;
    if (dbus_message_iter_get_arg_type(&it) != DBUS_TYPE_ARRAY || dbus_message_iter_get_element_type(&it) != DBUS_TYPE_STRING)
        return strings;
    dbus_message_iter_recurse(&it, &elements);
    for (; dbus_message_iter_get_arg_type(&elements) == DBUS_TYPE_STRING; dbus_message_iter_next(&elements)) {
        const char *text = nullptr;
        dbus_message_iter_get_basic(&elements, &text);
        strings.append(QString::fromUtf8(text));
    }
    return strings;
}

QList<QVariantMap> BusCall::recordsResult() const
{
    QList<QVariantMap> records;
    DBusMessageIter it, list;
    if (!m_reply || !dbus_message_iter_init(m_reply, &it) || dbus_message_iter_get_arg_type(&it) != DBUS_TYPE_ARRAY
        || dbus_message_iter_get_element_type(&it) != DBUS_TYPE_ARRAY)
        return records;
    dbus_message_iter_recurse(&it, &list);
    for (; dbus_message_iter_get_arg_type(&list) == DBUS_TYPE_ARRAY; dbus_message_iter_next(&list))
        records.append(BusValues::dictionaryAt(&list));
    return records;
}
