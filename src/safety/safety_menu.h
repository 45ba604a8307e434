#pragma once
#include "image/config_image.h"

#include <QObject>
#include <QString>
#include <functional>

class CompareWindow;
class QMenuBar;
class QUrl;
class QWidget;
class WriteGuard;

// The window's "Biztonság" menu: the backups folder, the read-back setting and
// the comparisons (window and file, window and module, two files).
class SafetyMenu : public QObject {
    Q_OBJECT
  public:
    struct Hooks {
        QWidget* parent = nullptr;
        WriteGuard* guard = nullptr;
        std::function<int()> modelCode;
        std::function<ConfigImage()> windowImage; // what a send would write now
        std::function<QString()> chooseFile;      // a configuration file to open; "" cancelled
        std::function<void(const QString&)> message;
        std::function<bool()> verifyEnabled;
        std::function<void(bool)> setVerifyEnabled;
        std::function<QString()> backupFolder;
        std::function<bool(const QUrl&)> openUrl; // default: the desktop's file manager
    };

    SafetyMenu(Hooks hooks, QObject* parent = nullptr);
    void build(QMenuBar* bar);

    void openBackupFolder();
    void compareWithFile();
    void compareWithModule();
    void compareTwoFiles();
    // Opens a compare window (named "CompareWindow") and returns it.
    CompareWindow* showCompare(const QString& leftTitle, const ConfigImage& left,
                               const QString& rightTitle, const ConfigImage& right, int modelCode,
                               int carriedBytes = ConfigImage::kSize);

  signals:
    // "Visszaállítás mentésből…": the restore window is the application's to open.
    void restoreRequested();

  private:
    struct LoadedFile {
        bool ok = false;
        ConfigImage image;
        int modelCode = 0;
        int imageSize = 0;
    };
    LoadedFile loadFile(const QString& path);

    Hooks h_;
};
