#pragma once

#include <QByteArrayList>
#include <QJsonObject>
#include <QStringList>

// One benchmark scenario of melvora-bench. Scenarios register themselves with
// MELVORA_SCENARIO and print one JSON object per result line.
struct Scenario
{
    using Run = int (*)(const QStringList &args);
    const char *name;
    const char *usage;
    Run run;
};

namespace Scenarios {
QList<Scenario> &all();
struct Registrar
{
    Registrar(const char *name, const char *usage, Scenario::Run run) { all().append({name, usage, run}); }
};
// The scenario's arguments as the bytes they were given, in the order of
// its args: a file name need not be UTF-8, and the text form replaces what is not.
QByteArrayList &argumentBytes();
// Prints the object as one compact line on standard output.
void print(const QJsonObject &result);
} // namespace Scenarios

#define MELVORA_SCENARIO(id, name, usage, fn) static Scenarios::Registrar id##Registrar(name, usage, fn)
