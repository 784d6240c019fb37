#pragma once

#include "settings/user_paths.h"

// The running program's per-user folders under the XDG rules, with the
// executable's path from /proc/self/exe.
UserPaths currentUserPaths();
