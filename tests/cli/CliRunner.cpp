#include "CliRunner.h"

#include <QProcess>

CliResult RunCli(const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.start(LW_CLI_PATH, arguments);
    process.waitForStarted();
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    CliResult result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
