#include "app/qt_user_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

UserPaths currentUserPaths() {
    UserPaths paths;
    paths.executablePath = QCoreApplication::applicationFilePath().toStdString();
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    paths.dataFolder = QDir(dataHome).filePath(QStringLiteral("Vorrelind/Zintavo")).toStdString();
    paths.configFolder = QDir(configHome).filePath(QStringLiteral("Vorrelind")).toStdString();
    return paths;
}
