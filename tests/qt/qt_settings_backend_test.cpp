#include "qt/qt_settings_backend.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "settings/settings_backend_contract.h"
#include "settings/settings_store.h"

namespace {

class QtSettingsBackendTest : public ::testing::Test {
  protected:
    std::string filePath() const {
        return dir.filePath(QStringLiteral("Vorrelind/Zintavo.conf")).toStdString();
    }
    void writeFile(const QByteArray& text) const {
        QDir(dir.path()).mkpath(QStringLiteral("Vorrelind"));
        QFile file(QString::fromStdString(filePath()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray readFile() const {
        QFile file(QString::fromStdString(filePath()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    Settings load() const {
        QtSettingsBackend backend(filePath());
        Settings settings;
        loadSettings(settings, backend);
        return settings;
    }

    QTemporaryDir dir;
};

TEST_F(QtSettingsBackendTest, SaveWritesReadableIni) {
    Settings saved;
    saved.window = {-8, 20, 1024, 768};
    saved.port = 3;
    saved.colorChartData = 0xFF00FF00;
    saved.listCount = 1000;
    saved.logFile = "/home/user/" + std::string(300, 'q') + "/Zintavo.COM3.2021-03-07.14.05.log";
    {
        QtSettingsBackend backend(filePath());
        saveSettings(saved, backend);
    }
    const QByteArray text = readFile();
    for (const char* line : {"[General]", "Window=-8, 20, 1024, 768", "Port=3", "Baud=2400",
                             "ColorChartData=4278255360", "ListCount=1000", "Switch=10"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains(QByteArray::fromStdString(saved.logFile)));
}

TEST_F(QtSettingsBackendTest, HandEditedValues) {
    struct Case {
        const char* what;
        QByteArray line;
        std::uint32_t Settings::*field;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"port is the number, not a character code", "Port=3", &Settings::port, 3},
        {"hexadecimal colour", "ColorChartGrid=0x80FFFFFF", &Settings::colorChartGrid, 0x80FFFFFF},
        {"negative number is junk", "Baud=-9600", &Settings::baud, 2400},
        {"number beyond 32 bits is junk", "ColorChart=0x1FF000000", &Settings::colorChart,
         0xFF000000},
        {"words are junk", "Mode=auto", &Settings::mode, 10},
        {"empty is junk", "Switch=", &Settings::switch_, 10},
        {"list count bounded", "ListCount=100000", &Settings::listCount, 32768},
        {"list count 0 gives one slot", "ListCount=0", &Settings::listCount, 1},
        {"list as a number is junk", "Flags=1, 2", &Settings::flags, 0},
    };
    for (const Case& c : cases) {
        writeFile("[General]\n" + c.line + "\n");
        EXPECT_EQ(load().*c.field, c.expected) << c.what;
    }
}

TEST_F(QtSettingsBackendTest, DamagedFilesKeepDefaultsWithoutFailing) {
    const Settings defaults;
    std::string huge(static_cast<std::size_t>(QtSettingsBackend::kMaxFileSize) + 1, 'x');
    const QByteArray cases[] = {
        "Window=1, 2, 3\nLogFile\n",
        "[General\nWindow==\x01\x02\xff\n",
        QByteArray("\0\0\0\xff\xfe[General]\nPort", 14),
        "[General]\nWindow=99999999999, 0, 0, 0\n",
        QByteArray::fromStdString("[General]\nPort=7\n" + huge),
    };
    for (const QByteArray& content : cases) {
        writeFile(content);
        const Settings loaded = load();
        EXPECT_EQ(loaded.window, defaults.window);
        EXPECT_EQ(loaded.port, 0u);
        EXPECT_EQ(loaded.listCount, defaults.listCount);
        EXPECT_TRUE(loaded.logFile.empty());
    }
}

// The key is the settings file's folder: made by the first open, the file by the first save.
struct IniKey final : SettingsKeyUnderTest {
    QTemporaryDir dir;
    std::unique_ptr<QtSettingsBackend> backend;
    SettingsBackend& start() override {
        backend = std::make_unique<QtSettingsBackend>(
            dir.filePath(QStringLiteral("Vorrelind/Zintavo.conf")).toStdString());
        return *backend;
    }
    bool keyExists() const override {
        return QDir(dir.filePath(QStringLiteral("Vorrelind"))).exists();
    }
};

INSTANTIATE_TEST_SUITE_P(Ini, SettingsBackendContract,
                         ::testing::Values(SettingsBackendFactory{
                             "ini",
                             []() -> std::unique_ptr<SettingsKeyUnderTest> {
                                 return std::make_unique<IniKey>();
                             }}),
                         settingsBackendName);

}  // namespace
