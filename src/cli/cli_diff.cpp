#include "cli/cli_diff.h"

#include "cli/cli_session.h"
#include "image/config_file.h"
#include "image/file_access.h"
#include "safety/field_map.h"

#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <optional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr int kDiffers = 1;
const QLatin1String kPortPrefix("port:");

struct Source {
    QString name; // as given
    ConfigImage image;
    int imageSize = 0;
};

void error(const QString& text) {
    std::fprintf(stderr, "error: %s\n", text.toLocal8Bit().constData());
}

std::optional<Source> load(const QString& name, const QString& path) {
    const FileAccess::ReadResult read =
        FileAccess::readAtMost(path, ConfigFile::kLargestFileSize + 1);
    if (read.error) {
        error(QStringLiteral("cannot read %1: %2").arg(path, FileAccess::errorText(read.error)));
        return std::nullopt;
    }
    const std::optional<int> imageSize = ConfigFile::imageSizeOfFile(read.bytes.size());
    if (!imageSize) {
        error(QStringLiteral("%1 has %2 bytes; a configuration file has %3 or %4")
                  .arg(path)
                  .arg(read.bytes.size())
                  .arg(ConfigFile::fileSize(ConfigFile::kShortImageSize))
                  .arg(ConfigFile::fileSize(ConfigFile::kFullImageSize)));
        return std::nullopt;
    }
    Source s;
    s.name = name;
    s.imageSize = *imageSize;
    const auto content = ConfigFile::parse(read.bytes, *imageSize);
    std::memcpy(s.image.data(), content->image.constData(), static_cast<size_t>(*imageSize));
    return s;
}

} // namespace

// Runs a read of the module into `file`. Its result lines belong on the
// terminal's progress stream here: standard output carries only the command's result.
int readModuleInto(const QString& port, const QString& file, int timeoutSeconds) {
    CliSession::Options o;
    o.command = CliSession::Command::Read;
    o.port = port;
    o.file = file;
    o.timeoutSeconds = timeoutSeconds;
    std::fflush(stdout);
#ifdef Q_OS_UNIX
    const int savedOut = dup(STDOUT_FILENO);
    dup2(STDERR_FILENO, STDOUT_FILENO);
#endif
    int status = 0;
    {
        CliSession session(o);
        status = session.run();
    }
    std::fflush(stdout);
#ifdef Q_OS_UNIX
    dup2(savedOut, STDOUT_FILENO);
    close(savedOut);
#endif
    return status;
}

int runDiff(const QStringList& sources, int timeoutSeconds) {
    if (sources.size() != 2) {
        error(QStringLiteral("diff takes two sources: configuration files or port:NAME"));
        return CliExit::kBadInput;
    }
    QTemporaryDir scratch;
    std::optional<Source> side[2];
    for (int i = 0; i < 2; ++i) {
        const QString& given = sources[i];
        QString path = given;
        if (given.startsWith(kPortPrefix)) {
            const QString port = given.mid(kPortPrefix.size());
            if (port.isEmpty()) {
                error(QStringLiteral("port: needs a port name, e.g. port:/dev/ttyUSB0"));
                return CliExit::kBadInput;
            }
            path = scratch.filePath(QStringLiteral("module%1.dat").arg(i));
            if (const int status = readModuleInto(port, path, timeoutSeconds);
                status != CliExit::kDone)
                return status;
        }
        side[i] = load(given, path);
        if (!side[i])
            return CliExit::kBadInput;
    }
    if (side[0]->imageSize != side[1]->imageSize) {
        error(QStringLiteral("%1 and %2 are configurations of different models (ModelCode 100 "
                             "and one of 70..90)")
                  .arg(sources[0], sources[1]));
        return CliExit::kBadInput;
    }
    const int model =
        FieldMap::modelOfFile(side[0]->image, side[0]->imageSize,
                              FieldMap::modelOfFile(side[1]->image, side[1]->imageSize, 70));
    // Both sides are configuration files: fields beyond their image are in neither.
    const auto differences =
        FieldMap::diff(side[0]->image, side[1]->image, model, side[0]->imageSize);
    for (const FieldMap::FieldDifference& d : differences)
        std::printf("%s\n", FieldMap::line(d).toLocal8Bit().constData());
    // Bytes no field holds still differ: they are listed after the fields.
    const auto others =
        FieldMap::otherBytes(side[0]->image, side[1]->image, model, side[0]->imageSize);
    for (const FieldMap::ByteDifference& d : others)
        std::printf("%s\n", FieldMap::line(d).toLocal8Bit().constData());
    std::fflush(stdout);
    const QString counted = others.empty()
                                ? QStringLiteral("%1 field(s) differ").arg(differences.size())
                                : QStringLiteral("%1 field(s) and %2 other byte(s) differ")
                                      .arg(differences.size())
                                      .arg(others.size());
    std::fprintf(stderr, "%s between %s and %s (ModelCode %d)\n", counted.toLocal8Bit().constData(),
                 sources[0].toLocal8Bit().constData(), sources[1].toLocal8Bit().constData(), model);
    return differences.empty() && others.empty() ? CliExit::kDone : kDiffers;
}
