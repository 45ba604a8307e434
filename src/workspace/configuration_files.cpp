#include "workspace/configuration_files.h"

#include "engine/link_engine.h"
#include "image/file_access.h"
#include "image/image_extent.h"
#include "ui/widgets.h"
#include "workspace/installation_panel.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace {
const QString kConfigFilter = QStringLiteral("Save File (*.dat)");
const QString kAllFilter = QStringLiteral("All (*)");
const QString kSimFilter = QStringLiteral("SIM nevek (*.sim)");

// A first line of a binary file can be any length; the message shows its start.
constexpr int kShownLineLength = 64;
} // namespace

ConfigurationFiles::ConfigurationFiles(ConfigImage& image, Panel16& panel, QWidget* dialogParent)
    : QObject(&panel), image_(image), panel_(panel), dialogParent_(dialogParent) {
    chooseFile = [this](const FileDialogRequest& r) { return runFileDialog(dialogParent_, r); };
    showMessage = [this](const QString& text) { ::showMessage(dialogParent_, text); };
}

void ConfigurationFiles::setStartDirectory(const QString& folder) {
    directory_ = folder;
}

QString ConfigurationFiles::dialogDirectory() const {
    return directory_.isEmpty() ? QDir::currentPath() : directory_;
}

QString ConfigurationFiles::text(const char* hungarian, const char* english) const {
    const bool inHungarian = !language || language() == 0;
    return QString::fromUtf8(inHungarian ? hungarian : english);
}

void ConfigurationFiles::tell(const QString& message) {
    if (showMessage)
        showMessage(message);
}

bool ConfigurationFiles::refusedWhileBusy() {
    if (!busy || !busy())
        return false;
    tell(text("Adatátvitel van folyamatban a modullal: a fájl a végén menthető vagy nyitható meg.",
              "A transfer with the module is running: save or open the file when it has "
              "finished."));
    return true;
}

QString ConfigurationFiles::choose(bool save, const char* objectName, const QStringList& filters,
                                   const QString& suffix) {
    const FileDialogRequest request{save, QString::fromLatin1(objectName), filters, suffix,
                                    dialogDirectory()};
    const QString path = chooseFile ? chooseFile(request) : QString();
    if (!path.isEmpty())
        directory_ = QFileInfo(path).absolutePath();
    return path;
}

int ConfigurationFiles::fileImageSize() const {
    return configFileImageSize(modelCode ? modelCode() : 0);
}

void ConfigurationFiles::tellSaveFailed(const FileAccess::Error& error) {
    tell(FileAccess::errorText(error) + QStringLiteral("\n\n") +
         text("Semmi sem íródott ki; a korábbi fájl változatlan.",
              "Nothing was written; any earlier file is unchanged."));
}

QString ConfigurationFiles::misfitMessage(qsizetype size, int imageSize) const {
    const int expected = ConfigFile::fileSize(imageSize);
    const QString expectedText = text("; ennek a modulnak a konfigurációs fájlja %1 bájtos.",
                                      "; a configuration file of this module has %1 bytes.")
                                     .arg(expected);
    // Shorter than expected is what the installer has always been told.
    const QString headline = size < expected
                                 ? FileAccess::errorText({FileAccess::Problem::EndOfFile, 0})
                                 : text("Ez nem ennek a modulnak a konfigurációs fájlja.",
                                        "This is not a configuration file of this module.");
    QString what;
    if (const std::optional<int> made = ConfigFile::imageSizeOfFile(size))
        what = (*made == ConfigFile::kFullImageSize
                    ? text("A fájl 100-as modellkódú modullal készült (%1 bájt)",
                           "The file was saved with a module of ModelCode 100 (%1 bytes)")
                    : text("A fájl 70–90-es modellkódú modullal készült (%1 bájt)",
                           "The file was saved with a module of ModelCode 70 to 90 (%1 bytes)"))
                   .arg(size);
    else if (size > ConfigFile::kLargestFileSize)
        what = text("A fájl %1 bájtnál hosszabb", "The file is longer than %1 bytes")
                   .arg(ConfigFile::kLargestFileSize);
    else
        what = text("A fájl %1 bájtos", "The file has %1 bytes").arg(size);
    return headline + QStringLiteral("\n\n") + what + expectedText;
}

bool ConfigurationFiles::saveConfiguration() {
    if (refusedWhileBusy())
        return false;
    // Before the dialog, as the window always has: a cancelled save has
    // encoded as well.
    if (encode)
        encode();
    const QString path = choose(true, "SaveDialog1", {kConfigFilter}, QStringLiteral("dat"));
    if (path.isEmpty())
        return false;
    const int imageSize = fileImageSize();
    const QByteArray image(reinterpret_cast<const char*>(image_.data()), imageSize);
    const QByteArray file = ConfigFile::build(image, ConfigFile::textsToBytes(panel_.texts()));
    if (const FileAccess::Error e = FileAccess::writeWhole(path, file, beforeReplace)) {
        tellSaveFailed(e);
        return false;
    }
    panel_.showSpaceInEmptyTexts();
    return true;
}

bool ConfigurationFiles::openConfiguration() {
    if (refusedWhileBusy())
        return false;
    const QString path =
        choose(false, "OpenDialog1", {kConfigFilter, kAllFilter}, QStringLiteral("dat"));
    if (path.isEmpty())
        return false;
    const QString nothingChanged = text("A fájl nem töltődött be, semmi sem változott.",
                                        "The file was not loaded; nothing has changed.");
    const FileAccess::ReadResult read =
        FileAccess::readAtMost(path, ConfigFile::kLargestFileSize + 1);
    if (read.error) {
        tell(FileAccess::errorText(read.error) + QStringLiteral("\n\n") + nothingChanged);
        return false;
    }

    const int imageSize = fileImageSize();
    if (ConfigFile::fitOf(read.bytes.size(), imageSize) != ConfigFile::Fit::Exact) {
        tell(misfitMessage(read.bytes.size(), imageSize) + u' ' + nothingChanged);
        return false;
    }
    const std::optional<ConfigFile::Content> content = ConfigFile::parse(read.bytes, imageSize);
    const ConfigImage before = windowImage ? windowImage() : image_;
    const bool heldData = moduleRead_ || loadedFileImageSize_ > 0;
    std::memcpy(image_.data(), content->image.constData(), size_t(imageSize));
    panel_.setTexts(ConfigFile::textsFromBytes(content->texts));
    loadedFileImageSize_ = imageSize;
    decodingFile_ = true;
    if (decode)
        decode();
    decodingFile_ = false;
    if (fileOpened)
        fileOpened(before, heldData, path);
    return true;
}

bool ConfigurationFiles::loadBackupImage(const ConfigImage& image, int carriedBytes) {
    if (refusedWhileBusy())
        return false;
    const int n = std::clamp(carriedBytes, 0, int(ConfigImage::kSize));
    std::memcpy(image_.data(), image.data(), size_t(n));
    loadedFileImageSize_ = n;
    decodingFile_ = true;
    if (decode)
        decode();
    decodingFile_ = false;
    return true;
}

bool ConfigurationFiles::saveSimNames(int rowCount, std::span<const SimNamesFile::Row> rows) {
    if (refusedWhileBusy())
        return false;
    const QString path = choose(true, "SaveDialog2", {kSimFilter}, QStringLiteral("sim"));
    if (path.isEmpty())
        return false;
    const QByteArray file = SimNamesFile::build(rowCount, rows);
    if (const FileAccess::Error e = FileAccess::writeWhole(path, file, beforeReplace)) {
        tellSaveFailed(e);
        return false;
    }
    return true;
}

std::optional<SimNamesFile::Content> ConfigurationFiles::openSimNames() {
    if (refusedWhileBusy())
        return std::nullopt;
    const QString path = choose(false, "OpenDialog2", {kSimFilter}, QStringLiteral("sim"));
    if (path.isEmpty())
        return std::nullopt;
    const FileAccess::ReadResult read =
        FileAccess::readAtMost(path, SimNamesFile::kMaxFileSize + 1);
    if (read.error) {
        tell(FileAccess::errorText(read.error));
        return std::nullopt;
    }
    const QString tooLong = text("Ez nem SIM nevek fájl: %1 sornál többet tartalmaz. A táblázat "
                                 "nem változott.",
                                 "This is not a SIM names file: it has more than %1 lines. The "
                                 "grid has not changed.")
                                .arg(SimNamesFile::kLines);
    if (read.bytes.size() > SimNamesFile::kMaxFileSize) {
        tell(tooLong);
        return std::nullopt;
    }
    const SimNamesFile::Parsed parsed = SimNamesFile::parse(read.bytes);
    switch (parsed.problem) {
    case SimNamesFile::Problem::None:
        return parsed.content;
    case SimNamesFile::Problem::NotAnInteger: {
        QString line = parsed.firstLine;
        if (line.size() > kShownLineLength)
            line = line.left(kShownLineLength) + QStringLiteral("...");
        tell(QStringLiteral("'%1' is not a valid integer value").arg(line));
        return std::nullopt;
    }
    case SimNamesFile::Problem::TooManyLines:
        tell(tooLong);
        return std::nullopt;
    }
    return std::nullopt;
}

void ConfigurationFiles::moduleImageRead() {
    if (!decodingFile_)
        moduleRead_ = true;
}

bool ConfigurationFiles::imageNeedsModuleBytes(int moduleVersion) const {
    if (moduleRead_ || loadedFileImageSize_ == 0)
        return false;
    const ImageExtent extent = exchangedExtent(modelCode ? modelCode() : 0, moduleVersion);
    for (const ImageRange& r : extent.write)
        if (r.last >= loadedFileImageSize_)
            return true;
    return false;
}

QString ConfigurationFiles::moduleBytesMessage() const {
    return text("A megnyitott fájl csak a 0–1023. bájtot tartalmazza, a küldés azonban az "
                "1024–1535. bájtot (távfelügyelet) is felülírná a modulban. Előbb olvassa ki a "
                "modult (Olvasás), azután nyissa meg újra a fájlt, és küldje el.",
                "The file opened holds bytes 0 to 1023 only, but sending would also overwrite "
                "bytes 1024 to 1535 (remote monitoring) in the module. Read the module first "
                "(Read), then open the file again and send it.");
}

bool ConfigurationFiles::transferRunning(const LinkEngine& engine) {
    return engine.busy() && engine.state().LinkCommand != LinkCode::kVersionQuery;
}

QString runFileDialog(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent);
    dialog.setObjectName(request.objectName);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(request.nameFilters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setDirectory(request.directory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
