#include "cli/cli.h"

#include "cli/cli_diff.h"
#include "cli/cli_portable.h"
#include "cli/cli_session.h"
#include "serial/serial_trace.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kDefaultTimeoutSeconds = 120;

const char kUsage[] =
    "usage: alvento identify --port PORT [--timeout SECONDS] [--trace FILE]\n"
    "       alvento read --port PORT --out FILE [--timeout SECONDS] [--trace FILE]\n"
    "       alvento write --port PORT --in FILE [--full] [--timeout SECONDS] [--trace FILE]\n"
    "       alvento backups [--port PORT] [--timeout SECONDS] [--trace FILE]\n"
    "       alvento diff A B [--timeout SECONDS]\n"
    "       alvento diff A --port PORT [--timeout SECONDS]\n"
    "       alvento export|import|set ... (see alvento export --help)\n"
    "\n"
    "  identify  find the module on PORT; print its ModelCode, name and software version\n"
    "  read      read the module's whole configuration by its own method (bytes, blocks\n"
    "            or records) and save it as a configuration file\n"
    "  write     send a configuration file's image to the module, skipping the bytes the\n"
    "            module owns, and synchronise the module's clock with this PC. The module\n"
    "            is read first and kept as a backup (newest 10 per module and all of\n"
    "            the last 30 days, in\n"
    "            <user data folder>/Alvento Configurator/backups); afterwards it is read\n"
    "            back and compared with what was sent, unless the settings value\n"
    "            \"verify\" is \"0\". Given a backup, write restores it (with the\n"
    "            bytes 1024..1535 kept beside a backup of a block module)\n"
    "  backups   list the backups, newest first: time, model, account and file; with\n"
    "            --port only those of the module on PORT (read first): the same model\n"
    "            and Contact ID account\n"
    "  diff      list the fields whose values differ between two configurations, one\n"
    "            line each: \"page / field: value in A -> value in B\". A and B are\n"
    "            configuration files or port:PORT (the module on PORT, read first);\n"
    "            --port PORT stands for B\n"
    "\n"
    "  --port PORT        COM1, \\\\.\\COM12 or a device path such as /dev/ttyUSB0\n"
    "  --out FILE         configuration file to create (read)\n"
    "  --in FILE          configuration file to send (write): 1792 bytes for ModelCodes\n"
    "                     70, 71, 80 and 90, 8960 bytes for ModelCode 100\n"
    "  --full             write: rewrite every byte; without it only the bytes, records\n"
    "                     or blocks that differ from what the module holds are sent\n"
    "  --timeout SECONDS  give up when the module has not answered for this long\n"
    "                     (default 120)\n"
    "  --trace FILE       write every byte sent to and received from the module to FILE,\n"
    "                     with the time to the millisecond, one line per request or reply\n"
    "\n"
    "A configuration file is the image (bytes 0..1023, or 0..8191 for ModelCode 100)\n"
    "followed by six 128-byte installation text records. Bytes 75, 254 and 255 belong\n"
    "to the module and are never changed. Modules of version 3.3 and above take bytes\n"
    "0..1535 in blocks; then write reads the module first and sends back unchanged\n"
    "what it holds at 75, 254, 255 and at 1024..1535 (which the file of ModelCodes\n"
    "70..90 does not carry).\n"
    "\n"
    "Progress goes to standard error, the result to standard output.\n"
    "Files are read and written only as regular files: a folder, a device or a\n"
    "pipe as --in or --out is refused, and a file is read only as far as a\n"
    "configuration file can reach.\n"
    "Exit status: 0 done; 2 bad arguments, file or port, or a backup that cannot be\n"
    "written (nothing is sent then); 3 the module did not answer within the timeout;\n"
    "4 the module is a model (ModelCode 30, 50, 60, 61) that only its own device\n"
    "window configures; 5 write: the module, read back, does not hold what was sent\n"
    "(the fields are listed). diff: 0 no field differs, 1 some do.\n";

const char kWindowUsage[] =
    "usage: alvento [--port NAME] [--trace FILE]\n"
    "       alvento identify|read|write|backups|diff ... (see alvento identify --help)\n"
    "       alvento report SOURCE --out FILE.pdf (see alvento report --help)\n"
    "       alvento export|import|set ... (see alvento export --help)\n"
    "       alvento --help | --version\n"
    "\n"
    "Without a command word the configurator's windows start: the tool looks for a\n"
    "module on the stored port (or on NAME for this run only) and opens its window.\n"
    "--trace FILE writes every byte the windows exchange with the module to FILE.\n"
    "\n";

int usageError(const QString& why) {
    std::fprintf(stderr, "error: %s\n%s", why.toLocal8Bit().constData(), kUsage);
    return CliExit::kBadInput;
}

QCommandLineOption traceOption() {
    return QCommandLineOption(QStringLiteral("trace"), QString(), QStringLiteral("FILE"));
}

// Starts the serial trace when --trace was given; false (with a message) when
// its file cannot be written, before any port is touched.
bool startTrace(const QCommandLineParser& parser, const QCommandLineOption& trace) {
    if (!parser.isSet(trace))
        return true;
    const QString path = parser.value(trace);
    QString why;
    if (path.isEmpty() || !SerialTrace::start(path, &why)) {
        std::fprintf(
            stderr, "error: cannot write the trace file %s: %s\n", path.toLocal8Bit().constData(),
            (path.isEmpty() ? QStringLiteral("no file name") : why).toLocal8Bit().constData());
        return false;
    }
    return true;
}

} // namespace

bool isCliCommand(const char* word) {
    return std::strcmp(word, "identify") == 0 || std::strcmp(word, "read") == 0 ||
           std::strcmp(word, "write") == 0 || std::strcmp(word, "diff") == 0 ||
           std::strcmp(word, "backups") == 0 || isPortableCommand(word);
}

int handleWithoutWindows(int argc, char** argv, WindowStartOptions& options) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("NAME"));
    // The window system's own option, which the application object takes.
    const QCommandLineOption platform(QStringLiteral("platform"), QString(),
                                      QStringLiteral("NAME"));
    const QCommandLineOption trace = traceOption();
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({help, version, port, platform, trace});
    if (!parser.parse(args)) {
        std::fprintf(stderr, "error: %s\n%s%s", parser.errorText().toLocal8Bit().constData(),
                     kWindowUsage, kUsage);
        return CliExit::kBadInput;
    }
    if (parser.isSet(help)) {
        std::fputs(kWindowUsage, stdout);
        std::fputs(kUsage, stdout);
        return CliExit::kDone;
    }
    if (parser.isSet(version)) {
        std::printf("alvento %s\n", ALVENTO_VERSION);
        return CliExit::kDone;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "error: unknown command \"%s\"\n%s%s",
                     parser.positionalArguments().front().toLocal8Bit().constData(), kWindowUsage,
                     kUsage);
        return CliExit::kBadInput;
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Without a display the window system plugin would abort the program.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !parser.isSet(platform)) {
        std::fputs("error: no display to show the windows on. Start the tool in a desktop "
                   "session, or under Xvfb (xvfb-run alvento); identify, read and write need "
                   "no display.\n",
                   stderr);
        return 1;
    }
#endif
    options.port = parser.value(port);
    // Started here so that an unwritable trace file stops the program before a
    // window opens; main() ends the trace when the windows are done.
    if (!startTrace(parser, trace))
        return CliExit::kBadInput;
    return -1;
}

int runCli(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1 && isPortableCommand(argv[1]))
        return runPortable(app.arguments());

    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("PORT"));
    const QCommandLineOption out(QStringLiteral("out"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption in(QStringLiteral("in"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(),
                                     QStringLiteral("SECONDS"));
    const QCommandLineOption full(QStringLiteral("full"));
    const QCommandLineOption trace = traceOption();
    parser.addOptions({help, port, out, in, timeout, full, trace});
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(kUsage, stdout);
        return CliExit::kDone;
    }

    const QStringList words = parser.positionalArguments();
    if (!words.isEmpty() && words.front() == QLatin1String("diff")) {
        QStringList sources = words.mid(1);
        if (parser.isSet(port))
            sources << QStringLiteral("port:") + parser.value(port);
        int seconds = kDefaultTimeoutSeconds;
        if (parser.isSet(timeout)) {
            bool ok = false;
            seconds = parser.value(timeout).toInt(&ok);
            if (!ok || seconds <= 0)
                return usageError(
                    QStringLiteral("--timeout takes a whole number of seconds above 0"));
        }
        if (sources.size() != 2)
            return usageError(QStringLiteral("diff compares two sources: A B, or A --port PORT"));
        return runDiff(sources, seconds);
    }
    if (words.size() != 1)
        return usageError(QStringLiteral("one command word, then options"));
    CliSession::Options options;
    const QString& command = words.front();
    if (command == QLatin1String("identify"))
        options.command = CliSession::Command::Identify;
    else if (command == QLatin1String("read"))
        options.command = CliSession::Command::Read;
    else if (command == QLatin1String("backups"))
        options.command = CliSession::Command::Backups;
    else
        options.command = CliSession::Command::Write;

    options.port = parser.value(port);
    if (options.command == CliSession::Command::Backups && options.port.isEmpty()) {
        if (parser.isSet(out) || parser.isSet(in))
            return usageError(QStringLiteral("backups takes no --in or --out"));
        const BackupStore store;
        const std::vector<BackupStore::Backup> all = store.all();
        if (all.empty())
            std::fprintf(stderr, "No backups in %s\n",
                         QDir::toNativeSeparators(store.folder()).toLocal8Bit().constData());
        printBackups(all);
        return CliExit::kDone;
    }
    if (options.port.isEmpty())
        return usageError(QStringLiteral("--port is required"));

    const bool reads = options.command == CliSession::Command::Read;
    const bool writes = options.command == CliSession::Command::Write;
    if (parser.isSet(out) && !reads)
        return usageError(QStringLiteral("--out belongs to read"));
    if (parser.isSet(in) && !writes)
        return usageError(QStringLiteral("--in belongs to write"));
    if (parser.isSet(full) && !writes)
        return usageError(QStringLiteral("--full belongs to write"));
    options.fullWrite = parser.isSet(full);
    if (reads)
        options.file = parser.value(out);
    if (writes)
        options.file = parser.value(in);
    if ((reads || writes) && options.file.isEmpty())
        return usageError(reads ? QStringLiteral("read needs --out FILE")
                                : QStringLiteral("write needs --in FILE"));

    options.timeoutSeconds = kDefaultTimeoutSeconds;
    if (parser.isSet(timeout)) {
        bool ok = false;
        options.timeoutSeconds = parser.value(timeout).toInt(&ok);
        if (!ok || options.timeoutSeconds <= 0)
            return usageError(QStringLiteral("--timeout takes a whole number of seconds above 0"));
    }

    if (!startTrace(parser, trace))
        return CliExit::kBadInput;
    int status = CliExit::kDone;
    {
        CliSession session(options);
        status = session.run();
    }
    SerialTrace::stop();
    return status;
}
