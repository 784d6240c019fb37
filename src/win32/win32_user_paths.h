#pragma once

#include <string>

#include "settings/user_paths.h"

// The running program's per-user folders under the Windows rules
// (%LOCALAPPDATA%, %APPDATA%), with the executable's path from the system.
// Paths are UTF-8, so a user name outside the ANSI code page survives.
UserPaths currentUserPaths();

// UTF-16 from the system to UTF-8 and back.
std::string utf8FromWide(const std::wstring& wide);
std::wstring wideFromUtf8(const std::string& utf8);
