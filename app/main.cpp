#include "app/AppDelegate.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    AppDelegate delegate;
    if (!delegate.applicationDidFinishLaunching())
        return 0; // another instance was asked to show its window
    return application.exec();
}
