#pragma once
#include "image/config_file.h"
#include "image/config_image.h"
#include "image/file_access.h"
#include "image/sim_names_file.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <span>

class LinkEngine;
class Panel16;
class QFileDialog;
class QWidget;

// What a file dialog is asked for. objectName is the dialog's name
// ("SaveDialog1", "OpenDialog1", "SaveDialog2", "OpenDialog2").
struct FileDialogRequest {
    bool save = false;
    QString objectName;
    QStringList nameFilters;
    QString defaultSuffix;
    QString directory; // where the dialog opens
    QString title;     // the dialog's own when empty
    QString fileName;  // the name a save suggests
    // The files listed with their dates, the newest at the top (backups,
    // where the one wanted is most often the last written).
    bool newestFirst = false;
};

// The configurator's file commands: the configuration file (image and the
// installation panel's texts) and the SIM names file.
//
// - A save writes a file beside the target and puts it in the target's place
//   only when it is complete: a full disk, a read-only folder or a process
//   killed half-way leaves the earlier file as it was.
// - An open reads the whole file first and checks it against the connected
//   module's kind of file; a file of another model, of the wrong size or cut
//   off changes nothing. Files are opened for reading only.
// - No file command runs while a transfer with the module does (`busy`).
// - The dialogs open in the start directory, then wherever the last file was.
class ConfigurationFiles : public QObject {
    Q_OBJECT
  public:
    ConfigurationFiles(ConfigImage& image, Panel16& panel, QWidget* dialogParent);

    // Set by the window.
    std::function<int()> modelCode; // of the connected module
    std::function<int()> language;  // the language code of the messages
    std::function<bool()> busy;     // a transfer is running; see transferRunning()
    std::function<void()> encode;   // window -> image
    std::function<void()> decode;   // image -> window
    // What the window holds now, encoded (for the comparison an open offers).
    std::function<ConfigImage()> windowImage;
    // A configuration file has been loaded; `before` is what the window held,
    // `heldData` whether that came from a module or a file at all.
    std::function<void(const ConfigImage& before, bool heldData, const QString& path)> fileOpened;

    // Replaceable so that tests can answer them.
    std::function<QString(const FileDialogRequest&)> chooseFile; // "" = cancelled
    std::function<void(const QString&)> showMessage;
    // Asked before an import leaves fields behind; true goes on.
    std::function<bool(const QString&)> confirm;
    // Runs when a save has written every byte and not yet replaced the target.
    std::function<void()> beforeReplace;

    void setStartDirectory(const QString& folder);
    // Where the next dialog opens.
    QString dialogDirectory() const;

    // "Mentés" (BitBtn7): encodes, asks for a name, saves. True when saved.
    bool saveConfiguration();
    // "Megnyitás" (BitBtn8): asks for a file, loads image bytes 0..N-1 and the
    // six texts, decodes. True when loaded; false leaves everything as it was.
    bool openConfiguration();
    // "Exportálás…": the window's configuration as a readable document.
    bool exportConfiguration();
    // "Importálás…": a document loaded as an open loads a file, for this
    // module's model; what the model cannot take is listed and confirmed
    // first. Nothing is sent.
    bool importConfiguration();
    // A backup being restored: image bytes 0..carriedBytes-1 as an open loads
    // them (1024..1535 too when the backup kept them), decoded; the
    // installation texts are the installer's and stay.
    bool loadBackupImage(const ConfigImage& image, int carriedBytes);

    // Button3: the SIM names grid's row count and rows 1..250.
    bool saveSimNames(int rowCount, std::span<const SimNamesFile::Row> rows);
    // Button4: the rows to put into the grid (its SIM slot column keeps what it
    // holds), or nothing when cancelled or refused.
    std::optional<SimNamesFile::Content> openSimNames();

    // A read of the whole image from the module has finished. Calls made
    // while a file load decodes are not reads and are ignored.
    void moduleImageRead();
    // Whether the image being decoded is a file's, not a read of the module.
    bool decodingFile() const { return decodingFile_; }
    // The configuration file last opened or saved; empty before either.
    QString lastPath() const { return lastPath_; }
    // A file of ModelCodes 70..90 holds image bytes 0..1023, but their block
    // write sends 0..1535. True when the image was loaded from such a file,
    // no read has filled the bytes past the file's end from the module in
    // this run, and a write of this model at this version would send them.
    bool imageNeedsModuleBytes(int moduleVersion) const;
    // What the window shows when it refuses a send for that reason.
    QString moduleBytesMessage() const;

    // The engine commands during which no file may be opened or saved: every
    // command but the version query, which repeats for as long as no module
    // answers and must not lock the files out.
    static bool transferRunning(const LinkEngine& engine);

  private:
    QString text(const char* key) const;
    QString choose(bool save, const char* objectName, const QStringList& filters,
                   const QString& suffix, const QString& fileName = {});
    // "<Ügyfél név>_<date>.dat", so that a customer's files sort by date.
    QString suggestedFileName() const;
    bool refusedWhileBusy();
    // The file the installer chooses to load, read no further than `limit`
    // bytes; none when nothing was chosen or the file cannot be read (told).
    struct Chosen {
        QString path;
        QByteArray bytes;
    };
    std::optional<Chosen> chooseAndRead(const char* objectName, const QStringList& filters,
                                        const QString& suffix, qint64 limit);
    void tell(const QString& text);
    void tellSaveFailed(const FileAccess::Error& error);
    // Why a file of this size is not loaded, for a module of this image size.
    QString misfitMessage(qsizetype size, int imageSize) const;
    int fileImageSize() const;

    ConfigImage& image_;
    Panel16& panel_;
    QWidget* dialogParent_;
    QString directory_;
    int loadedFileImageSize_ = 0; // of the last configuration file loaded
    bool moduleRead_ = false;
    bool decodingFile_ = false;
    QString lastPath_;
};

// The file dialog the program shows: Qt's own, named and filtered as asked,
// never asking before a file is overwritten.
QString runFileDialog(QWidget* parent, const FileDialogRequest& request);
// Sets `dialog` up as `request` asks, short of showing it.
void setUpFileDialog(QFileDialog& dialog, const FileDialogRequest& request);
