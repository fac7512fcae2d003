// calvista-cli: read, write, configure, trim and monitor a HART transmitter
// from the command line (see RunCli).

#include "cli/CliTool.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    TCliEnvironment environment;
    environment.Out = &out;
    environment.Err = &err;
    const int status = RunCli(app.arguments(), environment);
    out.flush();
    err.flush();
    return status;
}
