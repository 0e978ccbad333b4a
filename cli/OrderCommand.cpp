#include "cli/OrderCommand.h"

#include "cli/CommandLine.h"
#include "tracks/files/AlbumOrder.h"

#include <cstdio>
#include <optional>

namespace OrderCommand {

const char *const help =
    "usage: melvora-cli order --by track|name FILE...\n"
    "Prints the files in album order, one line each: the file name, a tab, the\n"
    "track-number text (\"-\" for none). By track: disc, then track number, files\n"
    "without a number last. A folder stands for the audio files below it.\n";

int run(const QByteArrayList &arguments)
{
    std::optional<AlbumOrder::Key> key;
    QByteArrayList names;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray &argument = arguments.at(i);
        if (argument == "--help") {
            std::fputs(help, stdout);
            return CommandLine::Done;
        }
        if (argument == "--by" && i + 1 < arguments.size()) {
            const QByteArray by = arguments.at(++i);
            key = by == "track" ? std::optional(AlbumOrder::Key::TrackNumber)
                : by == "name"  ? std::optional(AlbumOrder::Key::FileName)
                                : std::nullopt;
            if (!key)
                break;
        } else if (argument == "--") {
            names += arguments.mid(i + 1);
            break;
        } else if (argument.startsWith("--")) {
            key.reset();
            break;
        } else {
            names.append(argument);
        }
    }
    if (!key || names.isEmpty()) {
        std::fputs(help, stderr);
        return CommandLine::Usage;
    }
    bool missing = false;
    const QList<QUrl> files = CommandLine::files(names, &missing);
    for (const QString &line : AlbumOrder::listing(files, *key))
        std::printf("%s\n", line.toUtf8().constData());
    return missing ? CommandLine::SomeFailed : CommandLine::Done;
}

} // namespace OrderCommand
