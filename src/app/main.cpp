#include "app/alvento_application.h"
#include "app/start_window.h"
#include "cli/cli.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    // A command word (identify, read, write) runs the command-line mode, which
    // needs no display.
    if (argc > 1 && isCliCommand(argv[1]))
        return runCli(argc, argv);

    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Alvento Configurator"));
    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption port(QStringList{QStringLiteral("port")},
                            QStringLiteral("Serial port to use instead of the stored one."),
                            QStringLiteral("NAME"));
    parser.addOption(port);
    parser.process(qapp);

    AlventoApplication::Options options;
    options.portOverride = parser.value(port);
    AlventoApplication app(options);
    QObject::connect(app.startWindow(), &TForm1::programEnded, &qapp, &QApplication::quit,
                     Qt::QueuedConnection);
    QApplication::setQuitOnLastWindowClosed(false);
    app.start();
    return qapp.exec();
}
