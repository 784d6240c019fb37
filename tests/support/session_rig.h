#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "link/frame_codec.h"
#include "session/meter_session.h"
#include "settings/settings_memory_backend.h"
#include "settings/settings_store.h"
#include "support/fake_serial_device.h"
#include "support/fake_thread_starter.h"
#include "support/platform_journal_files.h"
#include "support/recording_window.h"

// A session on fakes, with its files under one folder: the executable (and so
// the logs) in <folder>/bin, the data folder (journal) in <folder>/data. The
// rig drives the ticks itself; the panels have the window's design sizes.
class SessionRig {
  public:
    static constexpr int kFaceWidth = 350;
    static constexpr int kFaceHeight = 237;
    static constexpr int kChartWidth = 638;
    static constexpr int kChartHeight = 177;

    explicit SessionRig(const std::filesystem::path& folder)
        : paths{(folder / "bin" / "zintavo").string(), (folder / "data").string(),
                (folder / "cfg").string()},
          folder_(folder) {
        std::filesystem::create_directories(folder / "bin");
        ports.ports = {3, 5};
    }

    std::filesystem::path binFolder() const { return folder_ / "bin"; }

    // Changes the stored settings the next start loads.
    template <typename Change>
    void store(Change change) {
        Settings s;
        loadSettings(s, settingsStore);
        change(s);
        saveSettings(s, settingsStore);
    }
    Settings stored() {
        Settings s;
        loadSettings(s, settingsStore);
        return s;
    }

    // A new session, started as a window would start it.
    MeterSession& start() {
        session.reset();
        const bool recording = window.recordCalls;
        window = RecordingWindow{};
        window.recordCalls = recording;
        session = std::make_unique<MeterSession>(
            SessionServices{
                .settingsStore = settingsStore,
                .device = device,
                .ports = ports,
                .threads = threads,
                .journalFiles = journalFiles,
                .clock = clock,
                .paths = paths,
                .beep = [this] { ++beeps; },
                .reportProblem = [this](std::string_view p) { problems.emplace_back(p); },
                .portLabel = {},
                .probeInterval = std::chrono::milliseconds(1),
                .syncFile = {},
            },
            window);
        window.session = session.get();
        session->start();
        session->panelsResized(kFaceWidth, kFaceHeight, kChartWidth, kChartHeight);
        return *session;
    }
    // Starts with port 3 saved and lets it open.
    MeterSession& startOpen() {
        store([](Settings& s) { s.port = 3; });
        start();
        ticks(10);
        return *session;
    }
    void ticks(int n, ScreenPoint cursor = {}, ScreenRect chart = {}) {
        for (int i = 0; i < n; ++i) session->tick(cursor, chart);
    }
    // One reading on the line, then the tick that drains it.
    void send(const MeterReading& r) {
        const auto frame = packFrame(r);
        device.feed({frame.begin(), frame.end()});
        session->tick({-1, -1}, {});  // the cursor off the chart
    }
    std::vector<std::filesystem::path> logFiles() const {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(binFolder()))
            if (entry.path().extension() == ".log") found.push_back(entry.path());
        return found;
    }
    // The journal of the first window (the one a single session takes).
    std::filesystem::path journalFile() const { return journalPath(paths.dataFolder, 1); }

    UserPaths paths;  // taken by the next start
    SettingsMemoryBackend settingsStore;
    FakeSerialDevice device;
    FakeSerialPorts ports;
    DeferredThreadStarter threads;
    PlatformJournalFiles journalFiles;
    FixedClock clock{{2021, 3, 7, 14, 5, 9}};
    int beeps = 0;
    std::vector<std::string> problems;  // what the session reported
    RecordingWindow window;
    std::unique_ptr<MeterSession> session;

  private:
    std::filesystem::path folder_;
};
