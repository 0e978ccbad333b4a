#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>

// The command-line program run as a script runs it, for tests.
namespace CliRun {
struct Result
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// QProcess passes text, so each argument goes through the shell as printf
// octal escapes: the program gets exactly these bytes, even when not UTF-8.
inline Result run(const QString &program, const QList<QByteArray> &arguments, int timeoutMs = 30000)
{
    QByteArray script = "exec \"$0\"";
    for (const QByteArray &argument : arguments) {
        script += " \"$(printf '";
        for (const char c : argument)
            script += '\\' + QByteArray::number(static_cast<unsigned char>(c), 8).rightJustified(3, '0');
        script += "')\"";
    }
    QProcess process;
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QString::fromLatin1(script), program});
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}
} // namespace CliRun
