#include "safety/safety_menu.h"

#include "i18n/messages.h"
#include "image/config_file.h"
#include "image/file_access.h"
#include "safety/compare_window.h"
#include "safety/field_map.h"
#include "safety/write_guard.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>
#include <algorithm>
#include <cstring>

SafetyMenu::SafetyMenu(Hooks hooks, QObject* parent) : QObject(parent), h_(std::move(hooks)) {
    if (!h_.openUrl)
        h_.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

void SafetyMenu::build(QMenuBar* bar) {
    QMenu* menu = bar->addMenu(QStringLiteral("Biztonság"));
    menu->menuAction()->setObjectName(QStringLiteral("Biztonsag1"));
    auto item = [menu](const char* name, const char* caption) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    connect(item("Mentesek1", "Mentések mappája"), &QAction::triggered, this,
            &SafetyMenu::openBackupFolder);
    QAction* verify = item("Ellenorzes1", "Írás után visszaolvasás és ellenőrzés");
    verify->setCheckable(true);
    verify->setChecked(!h_.verifyEnabled || h_.verifyEnabled());
    connect(verify, &QAction::toggled, this, [this](bool on) {
        if (h_.setVerifyEnabled)
            h_.setVerifyEnabled(on);
    });
    menu->addSeparator();
    connect(item("OsszehasonlitasFajl1", "Összehasonlítás fájllal..."), &QAction::triggered, this,
            &SafetyMenu::compareWithFile);
    connect(item("OsszehasonlitasModul1", "Összehasonlítás a modullal"), &QAction::triggered, this,
            &SafetyMenu::compareWithModule);
    connect(item("OsszehasonlitasKetFajl1", "Két fájl összehasonlítása..."), &QAction::triggered,
            this, &SafetyMenu::compareTwoFiles);
    menu->addSeparator();
    QAction* restore = menu->addAction(message("restore.menu", 0));
    restore->setObjectName(QStringLiteral("Visszaallitas1"));
    connect(restore, &QAction::triggered, this, &SafetyMenu::restoreRequested);
    menu->addSeparator();
    connect(item("Jegyzokonyv1", "Telepítési jegyzőkönyv..."), &QAction::triggered, this,
            &SafetyMenu::reportRequested);
}

QString SafetyMenu::text(const char* key) const {
    return message(key, language());
}

void SafetyMenu::openBackupFolder() {
    const QString folder = h_.backupFolder ? h_.backupFolder() : QString();
    if (!QDir().mkpath(folder) || !h_.openUrl(QUrl::fromLocalFile(folder)))
        h_.message(text("safety.backup_folder_failed").arg(QDir::toNativeSeparators(folder)));
}

SafetyMenu::LoadedFile SafetyMenu::loadFile(const QString& path) {
    LoadedFile f;
    const FileAccess::ReadResult read =
        FileAccess::readAtMost(path, ConfigFile::kLargestFileSize + 1);
    if (read.error) {
        h_.message(FileAccess::errorText(read.error));
        return f;
    }
    const std::optional<int> imageSize = ConfigFile::imageSizeOfFile(read.bytes.size());
    if (!imageSize) {
        h_.message(text("safety.not_a_config_file")
                       .arg(QFileInfo(path).fileName())
                       .arg(read.bytes.size()));
        return f;
    }
    const auto content = ConfigFile::parse(read.bytes, *imageSize);
    std::memcpy(f.image.data(), content->image.constData(), static_cast<size_t>(*imageSize));
    f.imageSize = *imageSize;
    f.modelCode = FieldMap::modelOfFile(f.image, *imageSize, h_.modelCode ? h_.modelCode() : 70);
    f.ok = true;
    return f;
}

void SafetyMenu::compareWithFile() {
    const QString path = h_.chooseFile(text("safety.choose_compare_file"));
    if (path.isEmpty())
        return;
    const LoadedFile f = loadFile(path);
    if (!f.ok)
        return;
    showCompare(CompareSide::own("safety.side_window"), h_.windowImage(),
                CompareSide::file(QFileInfo(path).fileName()), f.image, h_.modelCode(),
                f.imageSize);
}

void SafetyMenu::compareWithModule() {
    const ConfigImage window = h_.windowImage();
    h_.guard->readModule([this, window](const ConfigImage& module, int bytesRead) {
        showCompare(CompareSide::own("safety.side_window"), window,
                    CompareSide::own("safety.side_module"), module, h_.modelCode(), bytesRead);
    });
}

void SafetyMenu::compareTwoFiles() {
    const QString first = h_.chooseFile(text("safety.first_file"));
    if (first.isEmpty())
        return;
    const QString second = h_.chooseFile(text("safety.second_file"));
    if (second.isEmpty())
        return;
    const LoadedFile a = loadFile(first);
    const LoadedFile b = a.ok ? loadFile(second) : LoadedFile{};
    if (!b.ok)
        return;
    if ((a.modelCode == 100) != (b.modelCode == 100)) {
        h_.message(text("safety.files_of_two_models"));
        return;
    }
    showCompare(CompareSide::file(QFileInfo(first).fileName()), a.image,
                CompareSide::file(QFileInfo(second).fileName()), b.image, a.modelCode,
                std::min(a.imageSize, b.imageSize));
}

CompareWindow* SafetyMenu::showCompare(const CompareSide& leftSide, const ConfigImage& left,
                                       const CompareSide& rightSide, const ConfigImage& right,
                                       int modelCode, int carriedBytes) {
    auto* w = new CompareWindow(leftSide, left, rightSide, right, modelCode, carriedBytes,
                                language(), h_.parent);
    compareWindows_.removeAll(nullptr);
    compareWindows_.append(w);
    w->show();
    return w;
}

void SafetyMenu::applyLanguage(int language) {
    compareWindows_.removeAll(nullptr);
    for (CompareWindow* w : std::as_const(compareWindows_))
        w->applyLanguage(language);
}
