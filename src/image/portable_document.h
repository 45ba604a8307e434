#pragma once
#include "image/config_file.h"
#include "image/config_image.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// A configuration as a readable document: model, version, and every field the
// model stores with its identifier, page, caption and value as the window
// shows it, plus the installation texts. JSON, so that an installer can read
// and edit it in any text editor and a diff tool shows a changed value as one
// changed line.
//
// A value Decode cannot show, or whose bytes Encode would not give back, keeps
// its bytes beside it ("bytes"), and the bytes outside every field travel as
// "other bytes": a document read back into the same model and version gives
// the configuration byte for byte. Into another model or version only the
// values travel.
namespace PortableDocument {

struct Configuration {
    ConfigImage image;
    int imageSize = ConfigFile::kShortImageSize;
    int modelCode = 70;
    int version = 0; // x 10, as the module reports it at 254
    ConfigFile::InstallationTexts texts;
};

// The configuration a configuration file's bytes hold; nothing when the size
// is neither kind's.
std::optional<Configuration> fromFile(const QByteArray& file);
QByteArray toFile(const Configuration& configuration);

QByteArray exportJson(const Configuration& configuration);

struct ImportResult {
    std::optional<Configuration> configuration; // empty: the document is bad
    QString error;                              // "line N: field ID: why", when bad
    QStringList notCarried;                     // "page / caption" of what the target cannot take
};

// Reads a document into a configuration of `modelCode` and `version` (the
// document's own where not given). A bad document gives only its error.
ImportResult importJson(const QByteArray& document, std::optional<int> modelCode = std::nullopt,
                        std::optional<int> version = std::nullopt);

// "FIELD=VALUE" edits with the checks a page makes; only the named fields'
// bytes change. Returns the error naming the field, or empty when all applied.
QString setFields(Configuration& configuration, const QStringList& assignments);

// ModelCodes a configuration can be made for.
bool isConfigurableModel(int modelCode);
// "4.3" -> 43; nothing for text that is no version.
std::optional<int> parseVersion(const QString& text);

} // namespace PortableDocument
