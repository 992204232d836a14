#include "support/qt/CliProcess.h"

#include <signal.h>
#include <unistd.h>

#include <QProcess>
#include <QThread>

namespace {

// What a started process did, once it ends within two minutes (killed otherwise).
CliRun Finish(QProcess& process) {
    CliRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

}  // namespace

CliRun RunShell(const QString& script, const QString& dir) {
    QProcess process;
    process.setWorkingDirectory(dir);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("CLI", QStringLiteral(QRDESK_CLI_PATH));
    process.setProcessEnvironment(environment);
    process.start("bash", {"-c", script});
    if (!process.waitForStarted(10000)) return {};
    process.closeWriteChannel();
    return Finish(process);
}

CliRun RunCliProcess(const QStringList& args, const QString& dir, const CliProcess& how) {
    return RunProgram(QStringLiteral(QRDESK_CLI_PATH), args, dir, how);
}

CliRun RunProgram(const QString& cli, const QStringList& args, const QString& dir,
                  const CliProcess& how) {
    QProcess process;
    process.setWorkingDirectory(dir);
    if (!how.inputFile.isEmpty()) process.setStandardInputFile(how.inputFile);
    if (how.unprivileged && geteuid() == 0)
        process.start("setpriv",
                      QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", cli} + args);
    else
        process.start(cli, args);
    if (!process.waitForStarted(10000)) return {};
    if (how.inputFile.isEmpty()) {
        process.write(how.input);
        if (how.signal == 0) process.closeWriteChannel();
    }
    if (how.signal != 0) {
        process.waitForBytesWritten(10000);
        QThread::msleep(static_cast<unsigned long>(how.signalAfterMs));
        ::kill(static_cast<pid_t>(process.processId()), how.signal);
    }
    return Finish(process);
}
