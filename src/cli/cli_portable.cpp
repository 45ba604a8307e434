#include "cli/cli_portable.h"

#include "cli/cli_diff.h"
#include "cli/cli_session.h"
#include "image/config_file.h"
#include "image/file_access.h"
#include "image/module_version.h"
#include "image/portable_document.h"

#include <QCommandLineParser>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

using PortableDocument::Configuration;

constexpr int kDefaultTimeoutSeconds = 120;
constexpr int kDeclined = 1;
// A document larger than this is no configuration's.
constexpr qint64 kLargestDocument = 16 * 1024 * 1024;
const QLatin1String kPortPrefix("port:");

const char kUsage[] =
    "usage: alvento export SOURCE [--format json] [--out FILE] [--timeout SECONDS]\n"
    "       alvento import DOC --out FILE [--model M] [--version V] [--yes]\n"
    "       alvento import DOC --port PORT [--yes] [--timeout SECONDS]\n"
    "       alvento set FILE FIELD=VALUE ...\n"
    "\n"
    "  export  write a configuration as a JSON document: model, version, and for every\n"
    "          field its identifier, page, caption and value as the window shows it.\n"
    "          SOURCE is a configuration file or port:PORT (the module, read first);\n"
    "          without --out the document goes to standard output\n"
    "  import  make a configuration file (--out) or send to the module (--port, with\n"
    "          backup and verify as write does) from a document, for its own model and\n"
    "          version or for ModelCode M and version V (\"4.3\"). What the target cannot\n"
    "          take is listed as \"nem vihető át: page / caption\" before anything\n"
    "          changes, and goes on only when confirmed (\"i\" on standard input, or --yes)\n"
    "  set     change fields of a configuration file by identifier (as export names\n"
    "          them), with the checks the pages make: lists by item text, check boxes\n"
    "          be/ki, phone number lists as 1,3 (- for none). Nothing changes when one\n"
    "          value is refused\n"
    "\n"
    "Exit status: 0 done; 1 import not confirmed; 2 bad arguments, document, file or\n"
    "value (nothing changes); 3.. as write.\n";

int fail(const QString& why) {
    std::fprintf(stderr, "error: %s\n", why.toLocal8Bit().constData());
    return CliExit::kBadInput;
}

int usageError(const QString& why) {
    std::fprintf(stderr, "error: %s\n%s", why.toLocal8Bit().constData(), kUsage);
    return CliExit::kBadInput;
}

std::optional<Configuration> loadConfiguration(const QString& path, QString* why) {
    const FileAccess::ReadResult read =
        FileAccess::readAtMost(path, ConfigFile::kLargestFileSize + 1);
    if (read.error) {
        *why = QStringLiteral("cannot read %1: %2").arg(path, FileAccess::errorText(read.error));
        return std::nullopt;
    }
    auto c = PortableDocument::fromFile(read.bytes);
    if (!c)
        *why = QStringLiteral("%1 has %2 bytes; a configuration file has %3 or %4")
                   .arg(path)
                   .arg(read.bytes.size())
                   .arg(ConfigFile::fileSize(ConfigFile::kShortImageSize))
                   .arg(ConfigFile::fileSize(ConfigFile::kFullImageSize));
    return c;
}

int save(const QString& path, const QByteArray& bytes) {
    if (const FileAccess::Error e = FileAccess::writeWhole(path, bytes))
        return fail(QStringLiteral("cannot write %1: %2").arg(path, FileAccess::errorText(e)));
    return CliExit::kDone;
}

bool confirmed(bool yes) {
    if (yes)
        return true;
    std::fputs("Folytatja? (i/n) ", stderr);
    std::fflush(stderr);
    char answer[16] = {};
    if (!std::fgets(answer, sizeof answer, stdin))
        return false;
    return answer[0] == 'i' || answer[0] == 'I' || answer[0] == 'y' || answer[0] == 'Y';
}

int runExport(const QString& source, const QString& format, const QString& out, int seconds) {
    if (!format.isEmpty() && format != QLatin1String("json"))
        return usageError(QStringLiteral("the only --format is json"));
    if (!out.isEmpty())
        if (const FileAccess::Error e = FileAccess::checkWritable(out))
            return fail(QStringLiteral("cannot write %1: %2").arg(out, FileAccess::errorText(e)));
    QTemporaryDir scratch;
    QString path = source;
    if (source.startsWith(kPortPrefix)) {
        const QString port = source.mid(kPortPrefix.size());
        if (port.isEmpty())
            return usageError(QStringLiteral("port: needs a port name, e.g. port:/dev/ttyUSB0"));
        path = scratch.filePath(QStringLiteral("module.dat"));
        if (const int status = readModuleInto(port, path, seconds); status != CliExit::kDone)
            return status;
    }
    QString why;
    const auto c = loadConfiguration(path, &why);
    if (!c)
        return fail(why);
    const QByteArray document = PortableDocument::exportJson(*c);
    if (out.isEmpty()) {
        std::fwrite(document.constData(), 1, static_cast<size_t>(document.size()), stdout);
        std::fflush(stdout);
        return CliExit::kDone;
    }
    return save(out, document);
}

int runImport(const QString& documentPath, const QString& out, const QString& port,
              std::optional<int> model, std::optional<int> version, bool yes, int seconds) {
    if (out.isEmpty() == port.isEmpty())
        return usageError(QStringLiteral("import needs either --out FILE or --port PORT"));
    if (!port.isEmpty() && (model || version))
        return usageError(QStringLiteral("--model and --version belong to --out: a module "
                                         "takes the document for its own model"));
    if (!out.isEmpty())
        if (const FileAccess::Error e = FileAccess::checkWritable(out))
            return fail(QStringLiteral("cannot write %1: %2").arg(out, FileAccess::errorText(e)));
    const FileAccess::ReadResult read = FileAccess::readAtMost(documentPath, kLargestDocument + 1);
    if (read.error)
        return fail(QStringLiteral("cannot read %1: %2")
                        .arg(documentPath, FileAccess::errorText(read.error)));
    if (read.bytes.size() > kLargestDocument)
        return fail(
            QStringLiteral("%1 is too large for a configuration document").arg(documentPath));

    QTemporaryDir scratch;
    if (!port.isEmpty()) {
        // The module's own model and version decide what it can take.
        const QString current = scratch.filePath(QStringLiteral("module.dat"));
        if (const int status = readModuleInto(port, current, seconds); status != CliExit::kDone)
            return status;
        QString why;
        const auto module = loadConfiguration(current, &why);
        if (!module)
            return fail(why);
        model = module->modelCode;
        version = module->version;
    }
    const auto result = PortableDocument::importJson(read.bytes, model, version);
    if (!result.configuration)
        return fail(QStringLiteral("%1: %2").arg(documentPath, result.error));
    for (const QString& name : result.notCarried)
        std::fprintf(stderr, "nem vihető át: %s\n", name.toLocal8Bit().constData());
    if (!result.notCarried.empty() && !confirmed(yes)) {
        std::fputs("Nothing changed.\n", stderr);
        return kDeclined;
    }
    const QByteArray file = PortableDocument::toFile(*result.configuration);
    if (!out.isEmpty())
        return save(out, file);
    const QString sent = scratch.filePath(QStringLiteral("import.dat"));
    if (const int status = save(sent, file); status != CliExit::kDone)
        return status;
    CliSession::Options o;
    o.command = CliSession::Command::Write;
    o.port = port;
    o.file = sent;
    o.timeoutSeconds = seconds;
    CliSession session(o);
    return session.run();
}

int runSet(const QString& path, const QStringList& assignments) {
    if (assignments.isEmpty())
        return usageError(QStringLiteral("set needs FIELD=VALUE"));
    QString why;
    auto c = loadConfiguration(path, &why);
    if (!c)
        return fail(why);
    const QString error = PortableDocument::setFields(*c, assignments);
    if (!error.isEmpty())
        return fail(QStringLiteral("%1: %2; nothing changed").arg(path, error));
    return save(path, PortableDocument::toFile(*c));
}

} // namespace

bool isPortableCommand(const char* word) {
    return std::strcmp(word, "export") == 0 || std::strcmp(word, "import") == 0 ||
           std::strcmp(word, "set") == 0;
}

int runPortable(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("F"));
    const QCommandLineOption out(QStringLiteral("out"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("PORT"));
    const QCommandLineOption model(QStringLiteral("model"), QString(), QStringLiteral("M"));
    const QCommandLineOption version(QStringLiteral("version"), QString(), QStringLiteral("V"));
    const QCommandLineOption yes(QStringLiteral("yes"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(),
                                     QStringLiteral("SECONDS"));
    parser.addOptions({help, format, out, port, model, version, yes, timeout});
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(kUsage, stdout);
        return CliExit::kDone;
    }
    const QStringList words = parser.positionalArguments();
    const QString command = words.value(0);
    int seconds = kDefaultTimeoutSeconds;
    if (parser.isSet(timeout)) {
        bool ok = false;
        seconds = parser.value(timeout).toInt(&ok);
        if (!ok || seconds <= 0)
            return usageError(QStringLiteral("--timeout takes a whole number of seconds above 0"));
    }
    if (command == QLatin1String("set")) {
        if (words.size() < 2)
            return usageError(QStringLiteral("set needs a configuration file"));
        for (const QCommandLineOption* o : {&format, &out, &port, &model, &version, &yes})
            if (parser.isSet(*o))
                return usageError(QStringLiteral("set takes no --%1").arg(o->names().front()));
        return runSet(words[1], words.mid(2));
    }
    if (words.size() != 2)
        return usageError(QStringLiteral("%1 takes one %2")
                              .arg(command, command == QLatin1String("export")
                                                ? QStringLiteral("SOURCE")
                                                : QStringLiteral("DOC")));
    if (command == QLatin1String("export")) {
        for (const QCommandLineOption* o : {&port, &model, &version, &yes})
            if (parser.isSet(*o))
                return usageError(QStringLiteral("export takes no --%1").arg(o->names().front()));
        return runExport(words[1], parser.value(format), parser.value(out), seconds);
    }
    if (parser.isSet(format))
        return usageError(QStringLiteral("import reads the document as it is; no --format"));
    std::optional<int> m;
    std::optional<int> v;
    if (parser.isSet(model)) {
        bool ok = false;
        m = parser.value(model).toInt(&ok);
        if (!ok || !PortableDocument::isConfigurableModel(*m))
            return usageError(QStringLiteral("--model takes a ModelCode: 70, 71, 80, 90 or 100"));
    }
    if (parser.isSet(version)) {
        v = PortableDocument::parseVersion(parser.value(version));
        if (!v)
            return usageError(QStringLiteral("--version takes a module version such as 4.3"));
    }
    return runImport(words[1], parser.value(out), parser.value(port), m, v, parser.isSet(yes),
                     seconds);
}
