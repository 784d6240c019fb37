#include "win32/win32_system_log.h"

#include <windows.h>

#include <iostream>
#include <string>

#include "win32/win32_user_paths.h"

void reportProblem(std::string_view program, std::string_view message) {
    std::cerr << program << ": " << message << std::endl;
    const std::wstring source = wideFromUtf8(std::string(program));
    const std::wstring text = wideFromUtf8(std::string(message));
    HANDLE log = RegisterEventSourceW(nullptr, source.c_str());
    if (log == nullptr) return;
    const wchar_t* strings[] = {text.c_str()};
    ReportEventW(log, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(log);
}
