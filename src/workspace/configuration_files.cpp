#include "workspace/configuration_files.h"

#include "engine/link_engine.h"
#include "i18n/messages.h"
#include "image/file_access.h"
#include "image/image_extent.h"
#include "image/portable_document.h"
#include "ui/widgets.h"
#include "workspace/installation_panel.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTreeView>
#include <algorithm>
#include <cstring>

namespace {
const QString kConfigFilter = QStringLiteral("Save File (*.dat)");
const QString kAllFilter = QStringLiteral("All (*)");
const QString kSimFilter = QStringLiteral("SIM nevek (*.sim)");
const QString kDocumentFilter = QStringLiteral("JSON (*.json)");
// A document larger than this is no configuration's.
constexpr qint64 kLargestDocument = 16 * 1024 * 1024;

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

QString ConfigurationFiles::text(const char* key) const {
    return message(key, language ? language() : 0);
}

void ConfigurationFiles::tell(const QString& message) {
    if (showMessage)
        showMessage(message);
}

bool ConfigurationFiles::refusedWhileBusy() {
    if (!busy || !busy())
        return false;
    tell(text("files.busy"));
    return true;
}

QString ConfigurationFiles::choose(bool save, const char* objectName, const QStringList& filters,
                                   const QString& suffix, const QString& fileName) {
    const FileDialogRequest request{
        save,    QString::fromLatin1(objectName), filters, suffix, dialogDirectory(), QString(),
        fileName};
    const QString path = chooseFile ? chooseFile(request) : QString();
    if (!path.isEmpty())
        directory_ = QFileInfo(path).absolutePath();
    return path;
}

int ConfigurationFiles::fileImageSize() const {
    return configFileImageSize(modelCode ? modelCode() : 0);
}

void ConfigurationFiles::tellSaveFailed(const FileAccess::Error& error) {
    tell(FileAccess::errorText(error) + QStringLiteral("\n\n") + text("files.nothing_written"));
}

QString ConfigurationFiles::misfitMessage(qsizetype size, int imageSize) const {
    const int expected = ConfigFile::fileSize(imageSize);
    const QString expectedText = text("files.expected_size").arg(expected);
    // Shorter than expected is what the installer has always been told.
    const QString headline = size < expected
                                 ? FileAccess::errorText({FileAccess::Problem::EndOfFile, 0})
                                 : text("files.not_this_module");
    QString what;
    if (const std::optional<int> made = ConfigFile::imageSizeOfFile(size))
        what = (*made == ConfigFile::kFullImageSize ? text("files.made_by_model_100")
                                                    : text("files.made_by_models_70_90"))
                   .arg(size);
    else if (size > ConfigFile::kLargestFileSize)
        what = text("files.too_long").arg(ConfigFile::kLargestFileSize);
    else
        what = text("files.size").arg(size);
    return headline + QStringLiteral("\n\n") + what + expectedText;
}

bool ConfigurationFiles::saveConfiguration() {
    if (refusedWhileBusy())
        return false;
    // Before the dialog, as the window always has: a cancelled save has
    // encoded as well.
    if (encode)
        encode();
    const QString path =
        choose(true, "SaveDialog1", {kConfigFilter}, QStringLiteral("dat"), suggestedFileName());
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
    lastPath_ = path;
    return true;
}

std::optional<ConfigurationFiles::Chosen>
ConfigurationFiles::chooseAndRead(const char* objectName, const QStringList& filters,
                                  const QString& suffix, qint64 limit) {
    const QString path = choose(false, objectName, filters, suffix);
    if (path.isEmpty())
        return std::nullopt;
    FileAccess::ReadResult read = FileAccess::readAtMost(path, limit);
    if (read.error) {
        tell(FileAccess::errorText(read.error) + QStringLiteral("\n\n") + text("files.not_loaded"));
        return std::nullopt;
    }
    return Chosen{path, std::move(read.bytes)};
}

bool ConfigurationFiles::openConfiguration() {
    if (refusedWhileBusy())
        return false;
    const std::optional<Chosen> read =
        chooseAndRead("OpenDialog1", {kConfigFilter, kAllFilter}, QStringLiteral("dat"),
                      ConfigFile::kLargestFileSize + 1);
    if (!read)
        return false;
    const QString& path = read->path;
    const QString nothingChanged = text("files.not_loaded");

    const int imageSize = fileImageSize();
    if (ConfigFile::fitOf(read->bytes.size(), imageSize) != ConfigFile::Fit::Exact) {
        tell(misfitMessage(read->bytes.size(), imageSize) + u' ' + nothingChanged);
        return false;
    }
    const std::optional<ConfigFile::Content> content = ConfigFile::parse(read->bytes, imageSize);
    const ConfigImage before = windowImage ? windowImage() : image_;
    const bool heldData = moduleRead_ || loadedFileImageSize_ > 0;
    std::memcpy(image_.data(), content->image.constData(), size_t(imageSize));
    panel_.setTexts(ConfigFile::textsFromBytes(content->texts));
    loadedFileImageSize_ = imageSize;
    lastPath_ = path;
    decodingFile_ = true;
    if (decode)
        decode();
    decodingFile_ = false;
    if (fileOpened)
        fileOpened(before, heldData, path);
    return true;
}

bool ConfigurationFiles::exportConfiguration() {
    if (refusedWhileBusy())
        return false;
    if (encode)
        encode();
    const QString path = choose(true, "SaveDialog4", {kDocumentFilter}, QStringLiteral("json"));
    if (path.isEmpty())
        return false;
    PortableDocument::Configuration c;
    c.image = image_;
    c.imageSize = fileImageSize();
    c.modelCode = modelCode ? modelCode() : image_[ImageAddress::kModelCode];
    c.version = image_[ImageAddress::kModuleVersion];
    c.texts = panel_.texts();
    if (const FileAccess::Error e =
            FileAccess::writeWhole(path, PortableDocument::exportJson(c), beforeReplace)) {
        tellSaveFailed(e);
        return false;
    }
    return true;
}

bool ConfigurationFiles::importConfiguration() {
    if (refusedWhileBusy())
        return false;
    const std::optional<Chosen> read = chooseAndRead("OpenDialog4", {kDocumentFilter, kAllFilter},
                                                     QStringLiteral("json"), kLargestDocument + 1);
    if (!read)
        return false;
    const QString& path = read->path;
    const QString nothingChanged = text("files.not_loaded");
    const int model = modelCode ? modelCode() : image_[ImageAddress::kModelCode];
    const auto result = PortableDocument::importJson(read->bytes, model);
    if (!result.configuration) {
        tell(result.error + QStringLiteral("\n\n") + nothingChanged);
        return false;
    }
    if (!result.notCarried.isEmpty()) {
        QStringList lines;
        for (const QString& name : result.notCarried)
            lines << text("files.not_carried").arg(name);
        if (confirm &&
            !confirm(lines.join(u'\n') + QStringLiteral("\n\n") + text("files.import_anyway")))
            return false;
    }
    const int imageSize = fileImageSize();
    const ConfigImage before = windowImage ? windowImage() : image_;
    const bool heldData = moduleRead_ || loadedFileImageSize_ > 0;
    // The module keeps its own bytes; the document's version and model bytes
    // are the document's, not this module's.
    const uint8_t version = image_[ImageAddress::kModuleVersion];
    const uint8_t stored = image_[ImageAddress::kModelCode];
    std::memcpy(image_.data(), result.configuration->image.data(), size_t(imageSize));
    image_[ImageAddress::kModuleVersion] = version;
    image_[ImageAddress::kModelCode] = stored;
    panel_.setTexts(result.configuration->texts);
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
    const QString tooLong = text("files.sim_too_long").arg(SimNamesFile::kLines);
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
    return text("files.short_file_send");
}

bool ConfigurationFiles::transferRunning(const LinkEngine& engine) {
    return engine.busy() && engine.state().LinkCommand != LinkCode::kVersionQuery;
}

QString ConfigurationFiles::suggestedFileName() const {
    QString customer = panel_.texts()[0].trimmed();
    // Characters a file name cannot hold on one system or another.
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\s]+"));
    customer.replace(unsafe, QStringLiteral("_"));
    const QString date = QDate::currentDate().toString(Qt::ISODate);
    return (customer.isEmpty() ? date : customer + u'_' + date) + QStringLiteral(".dat");
}

void setUpFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
    // The system's own dialog cannot be told how to sort: Qt's is used.
    if (request.newestFirst)
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setObjectName(request.objectName);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(request.nameFilters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setDirectory(request.directory);
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (request.newestFirst)
        dialog.setViewMode(QFileDialog::Detail);
    // Qt's dialog keeps the last order it showed for the next one: the other
    // dialogs are put back in order by name. Column 3 is the date of the
    // last change.
    if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        if (request.newestFirst)
            view->sortByColumn(3, Qt::DescendingOrder);
        else
            view->sortByColumn(0, Qt::AscendingOrder);
    }
}

QString runFileDialog(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent);
    setUpFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
