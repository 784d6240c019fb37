// zintavo.exe: the program's window on Windows, over the Win32 adapters.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "time/clock.h"
#include "win32/win32_file_sync.h"
#include "win32/win32_gdiplus_canvas.h"
#include "win32/win32_journal_file.h"
#include "win32/win32_serial_device.h"
#include "win32/win32_serial_ports.h"
#include "win32/win32_settings_backend.h"
#include "win32/win32_system_log.h"
#include "win32/win32_thread_starter.h"
#include "win32/win32_user_paths.h"
#include "win32_window/win32_main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);
    // Started before the window and shut down after it.
    const GdiplusLibrary gdiplus;

    Win32SettingsBackend store;
    Win32SerialDevice device;
    Win32SerialPorts ports;
    Win32ThreadStarter threads;
    Win32JournalFiles journalFiles;
    const SystemClock clock;
    Win32MainWindow window(
        instance,
        SessionServices{
            .settingsStore = store,
            .device = device,
            .ports = ports,
            .threads = threads,
            .journalFiles = journalFiles,
            .clock = clock,
            .paths = currentUserPaths(),
            .beep = [] { MessageBeep(MB_OK); },
            .reportProblem = [](std::string_view problem) { reportProblem("Zintavo", problem); },
            .portLabel = [](std::uint32_t port) { return serialDeviceName(port); },
            .probeInterval = std::chrono::milliseconds(100),
            .syncFile = syncFileToDisk,
        });
    return window.run();
}
