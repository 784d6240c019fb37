#include "qt/qt_settings_backend.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include "settings/settings_text.h"

namespace {

QString keyName(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

QtSettingsBackend::QtSettingsBackend(std::string filePath) : filePath_(std::move(filePath)) {}

QtSettingsBackend::~QtSettingsBackend() = default;

bool QtSettingsBackend::openKey() {
    const QFileInfo file(QString::fromStdString(filePath_));
    if (!QDir().mkpath(file.absolutePath())) return false;
    if (file.exists() && (!file.isFile() || file.size() > kMaxFileSize)) return false;
    settings_ = std::make_unique<QSettings>(file.absoluteFilePath(), QSettings::IniFormat);
    return true;
}

std::optional<StoredValue> QtSettingsBackend::query(std::string_view name) const {
    const auto setting = findSettingDescriptor(name);
    if (!settings_ || !setting) return std::nullopt;
    const QVariant value = settings_->value(keyName(name));
    if (!value.isValid()) return std::nullopt;
    // An unquoted value with commas ("100, 100, 658, 480") comes back as a list.
    const QString text = value.typeId() == QMetaType::QStringList
                             ? value.toStringList().join(QStringLiteral(", "))
                             : value.toString();
    auto bytes = parseSettingText(*setting, text.toStdString());
    if (!bytes) return std::nullopt;
    return StoredValue{setting->type, std::move(*bytes)};
}

void QtSettingsBackend::set(std::string_view name, StorageType type,
                            std::span<const std::uint8_t> bytes) {
    const auto setting = findSettingDescriptor(name);
    if (!settings_ || !setting || setting->type != type) return;
    const auto text = formatSettingText(*setting, bytes);
    if (!text) return;
    const QString value = QString::fromStdString(*text);
    // A list is written without quotes, so the window reads "x, y, width, height".
    if (type == StorageType::RegBinary)
        settings_->setValue(keyName(name), value.split(QStringLiteral(", ")));
    else
        settings_->setValue(keyName(name), value);
}

void QtSettingsBackend::closeKey() {
    if (settings_) settings_->sync();
    settings_.reset();
}
