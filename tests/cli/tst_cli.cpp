// melvora-cli as a script meets it: the real program as a process, on real
// files with awkward names, its output and its exit status.
#include "tests/support/AudioFiles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {
struct Result
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program with these arguments. QProcess passes text, so the
// arguments go through the shell, each written as octal escapes for printf:
// the program gets exactly these bytes, also where they are not UTF-8.
Result cli(const QList<QByteArray> &arguments)
{
    QByteArray script = "exec \"$0\"";
    for (const QByteArray &argument : arguments) {
        script += " \"$(printf '";
        for (const char c : argument)
            script += '\\' + QByteArray::number(static_cast<unsigned char>(c), 8).rightJustified(3, '0');
        script += "')\"";
    }
    QProcess process;
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromLatin1(script), QStringLiteral(MELVORA_CLI)});
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}
} // namespace

class CliTest : public QObject
{
    Q_OBJECT
private slots:
    void orderPrintsEachFileOnceInAlbumOrder()
    {
        QTemporaryDir dir;
        const auto make = [&dir](const QString &name, const QString &track) {
            QVERIFY(AudioFiles::write(dir.filePath(name), {name, {}, {}, track}));
        };
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("disc")));
        make(QStringLiteral("100% Pure.mp3"), QStringLiteral("3"));
        make(QStringLiteral("A Song With Spaces.flac"), QStringLiteral("1"));
        make(QStringLiteral("Caf\u00E9.mp3"), QStringLiteral("4"));          // NFC
        make(QStringLiteral("Cafe\u0301.ogg"), QStringLiteral("5"));         // NFD: another file
        make(QStringLiteral("disc/Inside.mp3"), QStringLiteral("2"));
        QVERIFY(AudioFiles::writeNonAudio(dir.filePath(QStringLiteral("notes.mp3"))));
        const QByteArray raw = QFile::encodeName(dir.path()) + "/\xFF\xFE.mp3";
        QVERIFY(::rename(QFile::encodeName(dir.filePath(QStringLiteral("100% Pure.mp3"))), raw) == 0);

        const QByteArray folder = QFile::encodeName(dir.path());
        const Result byTrack = cli({"order", "--by", "track", folder});
        QCOMPARE(byTrack.status, 0);
        QCOMPARE(byTrack.out, QByteArray("A Song With Spaces.flac\t01\n"
                                         "Inside.mp3\t02\n"
                                         "\\xFF\\xFE.mp3\t03\n"
                                         "Caf\xC3\xA9.mp3\t04\n"
                                         "Cafe\xCC\x81.ogg\t05\n"
                                         "notes.mp3\t-\n"));

        // A name that reaches nothing is named with the reason; the rest still print.
        const Result missing = cli({"order", "--by", "name", folder + "/gone.mp3", raw});
        QCOMPARE(missing.status, 1);
        QCOMPARE(missing.out, QByteArray("\\xFF\\xFE.mp3\t03\n"));
        QVERIFY2(missing.err.contains("gone.mp3: No such file or directory"), missing.err);
    }

    void usageHelpAndVersion()
    {
        for (const QList<QByteArray> &wrong : QList<QList<QByteArray>>{
                 {}, {"order"}, {"order", "--by", "colour", "x.mp3"}, {"order", "--by", "track"}, {"frobnicate"}}) {
            const Result r = cli(wrong);
            QCOMPARE(r.status, 2);
            QVERIFY(r.out.isEmpty() && r.err.contains("usage: melvora-cli"));
        }
        const Result help = cli({"order", "--help"});
        QVERIFY(help.status == 0 && help.out.startsWith("usage: melvora-cli order"));
        const Result version = cli({"--version"});
        QVERIFY(version.status == 0 && version.out.startsWith("melvora-cli "));
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
