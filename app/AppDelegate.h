#pragma once

#include <QObject>

class AppDelegate : public QObject
{
    Q_OBJECT
public:
    bool applicationDidFinishLaunching();
};
