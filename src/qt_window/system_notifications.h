#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <functional>
#include <set>

// Tells the window about suspend and resume and about serial devices coming
// and going. Suspend and resume come from logind's PrepareForSleep signal on
// the system bus, when there is one; device changes from watching the device
// folder and the port folder (no polling): a change in /dev counts only when
// the set of serial ports differs, any change in the port folder counts.
class SystemNotifications : public QObject {
    Q_OBJECT
  public:
    using PortSetSource = std::function<std::set<unsigned>()>;

    SystemNotifications(QString deviceFolder, QString portFolder, PortSetSource ports,
                        QObject* parent = nullptr);

    // Looks at the folders again (a watched folder may have been created since).
    void rescan();
    bool sleepSignalConnected() const { return sleepConnected_; }

  Q_SIGNALS:
    // Windows power-event codes: 4 suspend, 7 resume.
    void powerEvent(unsigned code);
    void deviceChange();

  private Q_SLOTS:
    void onPrepareForSleep(bool start);

  private:
    void watchFolders();
    void onDirectoryChanged(const QString& path);

    QString deviceFolder_;
    QString portFolder_;
    PortSetSource ports_;
    std::set<unsigned> knownPorts_;
    QFileSystemWatcher watcher_;
    bool sleepConnected_ = false;
};
