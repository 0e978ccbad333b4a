#include "bench/Scenario.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QJsonDocument>

#include <cstdio>

QList<Scenario> &Scenarios::all()
{
    static QList<Scenario> scenarios;
    return scenarios;
}

QByteArrayList &Scenarios::argumentBytes()
{
    static QByteArrayList bytes;
    return bytes;
}

void Scenarios::print(const QJsonObject &result)
{
    std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

static int usage()
{
    std::fprintf(stderr, "usage: melvora-bench SCENARIO [ARGS...]\n       melvora-bench all\nscenarios:\n");
    for (const Scenario &s : Scenarios::all())
        std::fprintf(stderr, "  %s %s\n", s.name, s.usage);
    return 2;
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Runs the scenarios make are no runs of the user's: they go to a
    // journal of their own, removed at the end.
    QString ownJournal;
    if (qEnvironmentVariableIsEmpty("MELVORA_JOURNAL")) {
        ownJournal = QDir::temp().filePath(QStringLiteral("melvora-bench-%1.sqlite").arg(QCoreApplication::applicationPid()));
        qputenv("MELVORA_JOURNAL", QFile::encodeName(ownJournal));
    }
    const auto removeJournal = qScopeGuard([&ownJournal] {
        if (!ownJournal.isEmpty())
            for (const char *suffix : {"", "-wal", "-shm"})
                QFile::remove(ownJournal + QLatin1String(suffix));
    });
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString name = args.takeFirst();
    for (int i = 2; i < argc; ++i)
        Scenarios::argumentBytes().append(QByteArray(argv[i]));
    if (name == QLatin1String("all")) {
        int status = 0;
        for (const Scenario &s : Scenarios::all())
            status |= s.run({});
        return status;
    }
    for (const Scenario &s : Scenarios::all())
        if (name == QLatin1String(s.name))
            return s.run(args);
    return usage();
}
