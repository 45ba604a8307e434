#pragma once
#include "image/config_file.h"

#include <QDateTime>
#include <QFrame>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

// The installation panel: six free texts about the installation, kept in the
// configuration file after the image, and the buttons that save and open that
// file.
class Panel16 : public QFrame {
    Q_OBJECT
  public:
    // An edit takes 128 characters although a file keeps 127 of them.
    static constexpr int kMaxLength = 128;
    static constexpr int kCommunicatorType = 4; // Edit6
    static constexpr int kInstallationDate = 5; // Edit7

    explicit Panel16(QWidget* parent = nullptr);

    // Edit2 .. Edit7 in this order: customer name, installation address, GSM
    // phone number, alarm panel type, communicator type, installation date.
    ConfigFile::InstallationTexts texts() const;
    void setTexts(const ConfigFile::InstallationTexts& texts);

    // At every activation of the window: an empty communicator type becomes
    // the start window's model text, an empty installation date the date and
    // time given. The other four stay as they are.
    void fillEmptyTexts(const QString& modelText, const QString& dateTimeText);
    // A save stores an empty text as one space; the edit shows it from then on.
    void showSpaceInEmptyTexts();

    QLineEdit* edit(int index) const { return edits_[static_cast<size_t>(index)]; }
    QLabel* label(int index) const { return labels_[static_cast<size_t>(index)]; }
    QPushButton* saveButton() const { return BitBtn7; }
    QPushButton* openButton() const { return BitBtn8; }

  signals:
    void saveRequested(); // "Mentés"
    void openRequested(); // "Megnyitás"

  private:
    std::array<QLabel*, ConfigFile::kTextCount> labels_{};
    std::array<QLineEdit*, ConfigFile::kTextCount> edits_{};
    QPushButton* BitBtn7;
    QPushButton* BitBtn8;
};

// The date and time as the program writes them until a clock synchronisation
// changes its formats: the short date and long time, without the time zone,
// of the window's language (0..3), or of the system for any other value.
QString systemDateTimeText(const QDateTime& when, int language = -1);
