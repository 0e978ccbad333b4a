#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

struct DBusConnection;
struct DBusMessage;
struct DBusPendingCall;

// One synchronous method call on the session bus, made on the calling
// thread's own bus connection. The bridge's calls are short and many (a run
// makes three per file); Qt D-Bus would hand each of them to its bus thread
// and back, which costs more than the call itself. A private connection per
// thread lets the calling thread write the call and read the answer itself.
//
// Calls never start an activatable service and never wait longer than the
// timeout given to call(); any failure reads as "no result". A service that
// offers it is called over a direct connection instead (preferPeer()).
class BusCall
{
public:
    // peerInstance: as preferPeer().
    BusCall(const char *service, const char *path, const char *interface, const char *method,
            quint64 peerInstance = 0);
    ~BusCall();
    BusCall(const BusCall &) = delete;
    BusCall &operator=(const BusCall &) = delete;

    BusCall &operator<<(qint64 value);
    BusCall &operator<<(int value);
    BusCall &operator<<(const QString &value);
    BusCall &operator<<(const QStringList &values);
    BusCall &operator<<(const QList<qint64> &values);

    // Lets the call go over a direct connection to the service, bypassing
    // the bus daemon, when the service's current owner offers one (it answers
    // PeerAddress on the call's interface). instance tells owners apart (see
    // BusNameWatch::ownerInstance); 0 keeps the call on the bus. The thread
    // asks each instance for its address once; when it offers none, or the
    // direct connection breaks, calls go over the bus.
    void preferPeer(quint64 instance) { m_peerInstance = instance; }

    // Sends the call and waits for the answer; false when there is no
    // (non-error) answer within timeoutMs.
    bool call(int timeoutMs);

    // call() in two halves, so that a thread can have several calls on the
    // way: send() puts the call on the bus without waiting; finish(), on the
    // same thread, waits for its answer until timeoutMs after the send and
    // says what call() would. Calls on one thread are answered in the order
    // they were sent.
    bool send(int timeoutMs);
    bool finish();
    // finish() without waiting: takes the answer when it has arrived by
    // now, else gives the call up. For calls that can no longer be expected
    // to be answered in time.
    bool finishNow();

    // After a failed call: whether the service never answered it (it timed
    // out, could not be sent, or the service or the connection went away),
    // as opposed to the service answering with an error or the call being
    // unsendable by its own fault (bad name or arguments). Later calls to the
    // same service cannot be expected to do better.
    bool wentUnanswered() const;

    // The answer value at position index, when the call succeeded and it
    // has that type.
    std::optional<qint64> int64Result(int index = 0) const;
    std::optional<int> intResult(int index = 0) const;
    std::optional<bool> boolResult() const;
    // An aa{sv} answer: strings, integers and booleans; other values are left out.
    QList<QVariantMap> recordsResult() const;
    // An array answer value at position index (ax, ai, as); empty when the
    // value is not such an array.
    QList<qint64> int64ArrayResult(int index) const;
    QList<int> intArrayResult(int index) const;
    QStringList stringArrayResult(int index) const;

    // For callers that marshal other types themselves (BusValues.h): the
    // call being built, before it is sent, and the answer of a successful
    // call; refuseArguments() marks the call unsendable.
    DBusMessage *message() const { return m_message; }
    DBusMessage *reply() const { return m_reply; }
    void refuseArguments() { m_ok = false; }

private:
    // finish(); without waiting at all when wait is false.
    bool waitForAnswer(bool wait = true);
    void appendBasic(int type, const void *value);
    // Appends values as one array of elementType, each through appendOne;
    // a value it refuses leaves the call unsendable.
    template<typename Values, typename AppendOne>
    BusCall &appendArray(int elementType, const Values &values, AppendOne appendOne);
    DBusConnection *connectionFor(const QDeadlineTimer &deadline) const;
    // The connection to send this call on; none when the call cannot go out
    // (bad arguments, already sent or answered, no connection in time).
    DBusConnection *readyConnection(const QDeadlineTimer &deadline) const;

    DBusMessage *m_message = nullptr;
    DBusMessage *m_reply = nullptr;
    DBusPendingCall *m_pending = nullptr;
    DBusConnection *m_sentOn = nullptr; // holds a reference while m_pending waits
    bool m_sentOnPeer = false; // the last send went over a direct connection
    QDeadlineTimer m_deadline;
    bool m_ok = true; // false once an argument could not be appended
    bool m_serviceRefused = false; // the service itself answered with an error
    quint64 m_peerInstance = 0;
};
