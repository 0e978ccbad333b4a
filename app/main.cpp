#include "app/AppDelegate.h"
#include "app/common/FileNames.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    // The desktop entry that names the window's icon (Wayland asks for it).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.melvora.Melvora"));
    // Files named on the command line (a file manager's "Open With" passes
    // file URLs), each by the bytes of its name; Qt's own options are gone
    // from argv by now.
    QList<QUrl> files;
    for (int i = 1; i < argc; ++i)
        if (const QUrl file = FileNames::fromOutside(QByteArray(argv[i]));
            !file.isEmpty() && FileNames::kindOf(FileNames::pathOf(file)) != FileNames::Kind::Missing)
            files.append(file);
    AppDelegate delegate;
    if (!delegate.applicationDidFinishLaunching(files))
        return 0; // another instance was asked to show its window
    return application.exec();
}
