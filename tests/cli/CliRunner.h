#pragma once

#include <QByteArray>
#include <QStringList>

// Runs lockwarden-cli as a user would from a script: arguments, lines on standard input.
struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CliResult RunCli(const QStringList& arguments, const QByteArray& input = {});
