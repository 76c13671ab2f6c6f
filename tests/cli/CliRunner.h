#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs lockwarden-cli as a user would from a script: arguments, lines on standard input.
struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CliResult RunCli(const QStringList& arguments, const QByteArray& input = {});

// A test file's bytes, written whole (the test fails when it can't be), and read back
// ("<missing>" when there is no such file).
void Write(const QString& path, const QByteArray& bytes);
QByteArray Read(const QString& path);
