#pragma once
// The real qrdesk-cli executable run as a process, as a user or a script runs it.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct CliRun {
    int code = -1;  // the exit code; -1 when it could not be started or did not finish
    QByteArray out;
    QByteArray err;
};

struct CliProcess {
    QByteArray input = {};   // written to its standard input
    QString inputFile = {};  // or standard input opened from this path (a folder too)
    // As user nobody through setpriv when this is root (root ignores permission bits);
    // otherwise as this user.
    bool unprivileged = false;
    // When set: this signal is sent once the process has run for signalAfterMs.
    int signal = 0;
    int signalAfterMs = 0;
};

// Runs program (a path, or a name looked up in PATH) with args in folder dir, within two
// minutes; code -1 also when it is not installed.
CliRun RunProgram(const QString& program, const QStringList& args, const QString& dir,
                  const CliProcess& how = {});
// Runs qrdesk-cli with args in folder dir, within two minutes.
CliRun RunCliProcess(const QStringList& args, const QString& dir, const CliProcess& how);
inline CliRun RunCliProcess(const QStringList& args, const QString& dir,
                            const QByteArray& input = QByteArray()) {
    return RunCliProcess(args, dir, CliProcess{input, {}, false});
}

// Runs a bash script in folder dir, within two minutes, with $CLI naming the real qrdesk-cli:
// the reproductions of faults exactly as a user types them.
CliRun RunShell(const QString& script, const QString& dir);

// The words of a command line written with blanks between them ("--level H x").
inline QStringList Words(const char* line) {
    return QString(line).split(' ', Qt::SkipEmptyParts);
}
