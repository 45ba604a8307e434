#pragma once
#include "image/config_image.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class CompareWindow;
struct CompareSide;
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
        // A configuration file to open, under a title that says which one; "" cancelled.
        std::function<QString(const QString& title)> chooseFile;
        std::function<void(const QString&)> message;
        std::function<bool()> verifyEnabled;
        std::function<void(bool)> setVerifyEnabled;
        std::function<QString()> backupFolder;
        std::function<bool(const QUrl&)> openUrl; // default: the desktop's file manager
        std::function<int()> language;            // default: Hungarian
    };

    SafetyMenu(Hooks hooks, QObject* parent = nullptr);
    void build(QMenuBar* bar);

    void openBackupFolder();
    void compareWithFile();
    void compareWithModule();
    void compareTwoFiles();
    // Opens a compare window (named "CompareWindow") and returns it.
    CompareWindow* showCompare(const CompareSide& leftSide, const ConfigImage& left,
                               const CompareSide& rightSide, const ConfigImage& right,
                               int modelCode, int carriedBytes = ConfigImage::kSize);
    // The open compare windows take the language; the menu's captions are the
    // window's language pass's.
    void applyLanguage(int language);

  signals:
    // "Visszaállítás mentésből…": the restore window is the application's to open.
    void restoreRequested();
    // "Telepítési jegyzőkönyv...": the window gathers what the report shows.
    void reportRequested();

  private:
    struct LoadedFile {
        bool ok = false;
        ConfigImage image;
        int modelCode = 0;
        int imageSize = 0;
    };
    LoadedFile loadFile(const QString& path);
    int language() const { return h_.language ? h_.language() : 0; }
    QString text(const char* key) const;

    Hooks h_;
    QList<QPointer<CompareWindow>> compareWindows_;
};
