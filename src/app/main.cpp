#include "app/alvento_application.h"
#include "cli/cli.h"
#include "report/report_command.h"
#include "serial/serial_trace.h"
#include "startup/start_window.h"

#include <QApplication>

int main(int argc, char** argv) {
    // A command word (identify, read, write) runs the command-line mode, which
    // needs no display.
    if (argc > 1 && isCliCommand(argv[1]))
        return runCli(argc, argv);
    // The report lays out text, which needs the GUI library but no display.
    if (argc > 1 && isReportCommand(argv[1]))
        return runReportCommand(argc, argv);
    WindowStartOptions start;
    if (const int status = handleWithoutWindows(argc, argv, start); status >= 0)
        return status;

    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Alvento Configurator"));
    AlventoApplication::Options options;
    options.portOverride = start.port;
    AlventoApplication app(options);
    QObject::connect(app.startWindow(), &TForm1::programEnded, &qapp, &QApplication::quit,
                     Qt::QueuedConnection);
    QApplication::setQuitOnLastWindowClosed(false);
    app.start();
    const int status = qapp.exec();
    SerialTrace::stop(); // --trace: writes what the trace still holds
    return status;
}
