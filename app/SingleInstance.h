#pragma once

#include <QObject>
#include <QString>

// Keeps one running copy of the program per session: the first copy owns a
// name on the session bus; a later copy asks it to show its window and ends.
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
    // its window.
    bool claim();

public slots:
    Q_SCRIPTABLE void activate();

signals:
    void activated();

private:
    bool m_registered = false;
};
