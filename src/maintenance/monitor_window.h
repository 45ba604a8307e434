#pragma once
#include "engine/listener_subscription.h"
#include "engine/maintenance_listener.h"

#include <QDateTime>
#include <QDialog>
#include <functional>
#include <optional>

struct AppContext;
class FaultReportSender;
class LinkEngine;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

// `TAV4Form3` "Monitor": puts the module into monitor mode through the
// configurator's link engine, shows the text it sends, saves it to a file and
// sends it as a fault report. The text stays between openings until "Törlés".
// It keeps the last kMaxLines lines and at most kMaxCharacters characters
// (the oldest lines go first), and breaks a line at kMaxLineLength
// characters, so hours of monitoring stay quick and small. The engine must
// outlive it.
class TAV4Form3 : public QDialog, public MaintenanceListener {
    Q_OBJECT
  public:
    static constexpr int kMaxLines = 20000;
    static constexpr int kMaxLineLength = 1024;
    static constexpr int kMaxCharacters = 2'000'000;
    // The marks: a second after each opening, then every ten minutes.
    static constexpr int kFirstMarkMs = 1000;
    static constexpr int kMarkMs = 600000;

    TAV4Form3(LinkEngine& engine, AppContext& ctx, QWidget* parent = nullptr);

    void FormActivate();
    void Timer1Tick();   // a time mark
    void BitBtn2Click(); // "Mentés Fileba"
    void Button1Click(); // "Törlés"
    void Button2Click(); // "Elküld": the fault report

    // The monitor text, lines ended by CR LF as it is saved and sent.
    QString monitorText() const;
    QTimer* timer1() const { return Timer1; }
    bool reportRunning() const;

    // Dialogs go through here so tests can answer them.
    std::function<std::optional<QString>(const QString&, const QString&)> askText;
    std::function<QString()> askSaveFile; // empty: cancelled
    std::function<void(const QString&)> showMessage;
    std::function<QDateTime()> clock;

    void monitorText(const QByteArray& bytes) override;

  public slots:
    // The menu item "Monitor".
    void openWindow();
    void done(int result) override;

  protected:
    bool event(QEvent* e) override;

  private:
    void append(const QString& text);
    int language() const;

    LinkEngine& engine_;
    AppContext& ctx_;
    ListenerSubscription subscription_;
    bool activated_ = false;
    bool scaled_ = false;
    int lineLength_ = 0; // characters in the last line so far
    QPlainTextEdit* RichEdit1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* Button1;
    QPushButton* Button2;
    QLabel* Label1;
    QTimer* Timer1;
    FaultReportSender* sender_;
};
