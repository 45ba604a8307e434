#include "report/report_command.h"

#include "cli/cli_session.h"
#include "i18n/messages.h"
#include "image/config_file.h"
#include "image/file_access.h"
#include "report/commissioning_report.h"
#include "safety/field_map.h"
#include "settings/edition.h"
#include "settings/settings_store.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

const char kUsage[] =
    "usage: alvento report SOURCE --out FILE.pdf [--language hu|en|de|sl] [--timeout SECONDS]\n"
    "\n"
    "  Writes the commissioning report of SOURCE as an A4 PDF: the installation texts,\n"
    "  the module (model, software version and build) and every page's settings as the\n"
    "  configurator shows them. SOURCE is a configuration file (.dat) or port:NAME, the\n"
    "  module on that port (read first, as alvento read reads it).\n"
    "\n"
    "  --out FILE         the PDF to create\n"
    "  --language L       hu, en, de or sl (or 0..3); default: the configurator's language\n"
    "  --timeout SECONDS  give up when the module has not answered for this long\n"
    "                     (default 120)\n";

const QLatin1String kPortPrefix("port:");
constexpr int kDefaultTimeoutSeconds = 120;

int usageError(const QString& why) {
    std::fprintf(stderr, "error: %s\n%s", why.toLocal8Bit().constData(), kUsage);
    return CliExit::kBadInput;
}

void error(const QString& text) {
    std::fprintf(stderr, "error: %s\n", text.toLocal8Bit().constData());
}

std::optional<int> languageOf(const QString& given) {
    static const char* const codes[] = {"hu", "en", "de", "sl"};
    for (int i = 0; i < 4; ++i)
        if (given.compare(QLatin1String(codes[i]), Qt::CaseInsensitive) == 0 ||
            given == QString::number(i))
            return i;
    return std::nullopt;
}

bool loadFile(const QString& path, CommissioningReport::Facts& facts) {
    const FileAccess::ReadResult read =
        FileAccess::readAtMost(path, ConfigFile::kLargestFileSize + 1);
    if (read.error) {
        error(QStringLiteral("cannot read %1: %2").arg(path, FileAccess::errorText(read.error)));
        return false;
    }
    const std::optional<int> imageSize = ConfigFile::imageSizeOfFile(read.bytes.size());
    if (!imageSize) {
        error(QStringLiteral("%1 has %2 bytes; a configuration file has %3 or %4")
                  .arg(path)
                  .arg(read.bytes.size())
                  .arg(ConfigFile::fileSize(ConfigFile::kShortImageSize))
                  .arg(ConfigFile::fileSize(ConfigFile::kFullImageSize)));
        return false;
    }
    const auto content = ConfigFile::parse(read.bytes, *imageSize);
    facts.image.fill(0xFF, 0, ConfigImage::kSize);
    std::memcpy(facts.image.data(), content->image.constData(), static_cast<size_t>(*imageSize));
    facts.imageBytes = *imageSize;
    facts.modelCode = FieldMap::modelOfFile(facts.image, *imageSize, 70);
    facts.installation = ConfigFile::textsFromBytes(content->texts);
    return true;
}

} // namespace

bool isReportCommand(const char* word) {
    return std::strcmp(word, "report") == 0;
}

int runReportCommand(int argc, char** argv) {
    // The layout needs fonts, not a screen: no display is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption out(QStringLiteral("out"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption language(QStringLiteral("language"), QString(), QStringLiteral("L"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(),
                                     QStringLiteral("SECONDS"));
    parser.addOptions({help, out, language, timeout});
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(kUsage, stdout);
        return CliExit::kDone;
    }
    const QStringList words = parser.positionalArguments();
    if (words.size() != 2)
        return usageError(QStringLiteral("report takes one source: a configuration file or "
                                         "port:NAME"));
    const QString source = words[1];
    const QString target = parser.value(out);
    if (target.isEmpty())
        return usageError(QStringLiteral("report needs --out FILE.pdf"));

    const int brand = buildBrandCode();
    int lang = languageFromSetting(
        SettingsStore::ReadString(settingsKeyPath(brand), QStringLiteral("Language")));
    if (parser.isSet(language)) {
        const auto chosen = languageOf(parser.value(language));
        if (!chosen)
            return usageError(QStringLiteral("--language is hu, en, de or sl"));
        lang = *chosen;
    }
    int seconds = kDefaultTimeoutSeconds;
    if (parser.isSet(timeout)) {
        bool ok = false;
        seconds = parser.value(timeout).toInt(&ok);
        if (!ok || seconds <= 0)
            return usageError(QStringLiteral("--timeout takes a whole number of seconds above 0"));
    }
    // A target that cannot be written is told before the module is read.
    if (const FileAccess::Error e = FileAccess::checkWritable(target)) {
        error(message("report.write_failed", lang).arg(target, FileAccess::errorText(e)));
        return CliExit::kBadInput;
    }

    CommissioningReport::Facts facts;
    facts.brandCode = brand;
    if (source.startsWith(kPortPrefix)) {
        const QString port = source.mid(kPortPrefix.size());
        if (port.isEmpty())
            return usageError(QStringLiteral("port: needs a port name, e.g. port:/dev/ttyUSB0"));
        QTemporaryDir scratch;
        CliSession::Options o;
        o.command = CliSession::Command::Read;
        o.port = port;
        o.file = scratch.filePath(QStringLiteral("module.dat"));
        o.timeoutSeconds = seconds;
        // The whole image: the file of ModelCodes 70..90 leaves the remote
        // monitoring settings (1024 and on) out.
        o.imageRead = [&facts](const ConfigImage& image, int modelCode, int bytesRead) {
            facts.image = image;
            facts.modelCode = modelCode;
            facts.imageBytes = bytesRead;
        };
        int status = CliExit::kDone;
        {
            CliSession session(o);
            status = session.run();
        }
        if (status != CliExit::kDone)
            return status;
        if (facts.modelCode == 0) {
            error(QStringLiteral("the module's settings were not read"));
            return CliExit::kBadInput;
        }
    } else if (!loadFile(source, facts)) {
        return CliExit::kBadInput;
    }
    facts.generated = QDateTime::currentDateTime();

    QString why;
    if (!CommissioningReport::write(facts, lang, target, &why)) {
        error(why);
        return CliExit::kBadInput;
    }
    std::printf("%s\n", message("report.written", lang).arg(target).toLocal8Bit().constData());
    return CliExit::kDone;
}
