#include "cli/OrderCommand.h"

#include "cli/CommandLine.h"
#include "tracks/files/AlbumOrder.h"

#include <cstdio>

namespace OrderCommand {

const char *const help =
    "usage: melvora-cli order --by track|name FILE...\n"
    "Prints the files in album order, one line each: the file name, a tab, the\n"
    "track-number text (\"-\" for none). By track: disc, then track number, files\n"
    "without a number last. A folder stands for the audio files below it.\n";

int run(const QByteArrayList &list)
{
    const CommandLine::Arguments arguments = CommandLine::parse(list, {}, {"--by"});
    if (arguments.has("--help"))
        return std::fputs(help, stdout), CommandLine::Done;
    if (!arguments.error.isEmpty())
        return CommandLine::usage(help, arguments.error);
    const QByteArray by = arguments.value("--by");
    if (by != "track" && by != "name")
        return CommandLine::usage(help, QStringLiteral("--by takes track or name"));
    if (arguments.names.isEmpty())
        return CommandLine::usage(help, QStringLiteral("no file given"));
    bool missing = false;
    const QList<QUrl> files = CommandLine::files(arguments.names, &missing);
    const AlbumOrder::Key key = by == "track" ? AlbumOrder::Key::TrackNumber : AlbumOrder::Key::FileName;
    for (const QString &line : AlbumOrder::listing(files, key))
        std::printf("%s\n", line.toUtf8().constData());
    return missing ? CommandLine::SomeFailed : CommandLine::Done;
}

} // namespace OrderCommand
