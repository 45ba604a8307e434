#pragma once
#include "image/config_image.h"
#include "safety/backup_store.h"
#include "safety/compare_window.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

// "Visszaállítás mentésből…": the backups of the connected module, each with
// how it differs from what the module holds now, and the send of the chosen
// one. Which module is connected only a read tells (a window may hold a file,
// the module may have been swapped), so the window asks for one when it
// opens; the send is the configurator's own, with its backup and verify.
class RestoreWindow : public QWidget {
    Q_OBJECT
  public:
    RestoreWindow(std::function<int()> language, std::function<QString()> backupFolder,
                  QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }
    // The comparison of the selected backup with the module; none before.
    CompareWindow* comparison() const { return compare_; }
    QPushButton* sendButton() const { return send_; }

  public slots:
    // Shows the window and asks for a read of the module.
    void openWindow();
    // The read asked for: what the module holds, `bytesRead` of it.
    void showModule(const ConfigImage& module, int bytesRead, int modelCode);
    // The module cannot be read now.
    void showModuleUnavailable(const QString& why);

  signals:
    void moduleReadRequested();
    // Send this backup to the module through the configurator's send.
    void restoreRequested(const QString& backupPath);

  private:
    struct Row {
        BackupStore::Backup backup;
        BackupStore::Loaded loaded;
    };
    QString text(const char* key) const;
    void applyTexts();
    void showSelected();
    void sendSelected();

    std::function<int()> language_;
    std::function<QString()> backupFolder_;
    QLabel* status_;
    QLabel* hint_;
    QTreeWidget* list_;
    QWidget* compareHost_;
    QPointer<CompareWindow> compare_;
    QPushButton* send_;
    QPushButton* close_;
    std::vector<Row> rows_;
    ConfigImage module_;
    int moduleBytes_ = 0;
    int modelCode_ = 0;
    bool waiting_ = false;
};
