#pragma once

#include "app/user_paths.h"

// The locations of the running program on this machine: the executable as
// reported by Qt, the per-user data folder (~/.local/share/Vorrelind/Zintavo)
// and the settings folder (~/.config/Vorrelind, honouring XDG_CONFIG_HOME).
// Needs a QCoreApplication for the executable path.
UserPaths currentUserPaths();
