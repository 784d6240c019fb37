#include "qt_window/system_notifications.h"

#include <QDir>
#include <QFileInfo>

#ifdef ZINTAVO_HAVE_DBUS
#include <QDBusConnection>
#endif

namespace {

constexpr unsigned kSuspend = 4;
constexpr unsigned kResumeSuspend = 7;

}  // namespace

SystemNotifications::SystemNotifications(QString deviceFolder, QString portFolder,
                                         PortSetSource ports, QObject* parent)
    : QObject(parent),
      deviceFolder_(std::move(deviceFolder)),
      portFolder_(std::move(portFolder)),
      ports_(std::move(ports)) {
    if (ports_) knownPorts_ = ports_();
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
            &SystemNotifications::onDirectoryChanged);
    watchFolders();
#ifdef ZINTAVO_HAVE_DBUS
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected()) {
        sleepConnected_ = bus.connect(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
            this, SLOT(onPrepareForSleep(bool)));
    }
#endif
}

void SystemNotifications::rescan() {
    watchFolders();
}

void SystemNotifications::watchFolders() {
    // The port folder may not exist yet: watch its parent until it does, and
    // only until then, since the settings file changes there too.
    const QString parent = QFileInfo(portFolder_).absolutePath();
    const bool portFolderExists = QFileInfo(portFolder_).isDir();
    if (portFolderExists && watcher_.directories().contains(parent)) watcher_.removePath(parent);
    for (const QString& folder : {deviceFolder_, portFolderExists ? portFolder_ : parent}) {
        if (QFileInfo(folder).isDir() && !watcher_.directories().contains(folder))
            watcher_.addPath(folder);
    }
}

void SystemNotifications::onDirectoryChanged(const QString& path) {
    const bool portFolderWatched = watcher_.directories().contains(portFolder_);
    watchFolders();
    if (path == deviceFolder_) {
        if (!ports_) return;
        std::set<unsigned> now = ports_();
        if (now == knownPorts_) return;
        knownPorts_ = std::move(now);
    } else if (path != portFolder_ && (portFolderWatched || !QFileInfo(portFolder_).isDir())) {
        return;  // something else changed beside the port folder
    } else if (ports_) {
        knownPorts_ = ports_();
    }
    Q_EMIT deviceChange();
}

void SystemNotifications::onPrepareForSleep(bool start) {
    Q_EMIT powerEvent(start ? kSuspend : kResumeSuspend);
}
