#pragma once

#include <QObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// Keeps one running copy of the program per session: the first copy owns a
// name on the session bus; a later copy asks it to show its window (and to
// take the files the later copy was started with) and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.melvora.Melvora")
public:
    static constexpr const char *serviceName = "org.melvora.Melvora";

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this copy is the one that runs: it owns the name now, or there
    // is no session bus to share. False when another copy was asked to show
    // its window and given the files.
    bool claim(const QList<QUrl> &files = {});

public slots:
    Q_SCRIPTABLE void activate();
    // The files as fully encoded file URLs, which carry any name's bytes.
    Q_SCRIPTABLE void open(const QStringList &urls);

signals:
    void activated();
    void filesOpened(const QList<QUrl> &files);

private:
    bool m_registered = false;
};
