#pragma once

#include <string_view>

// Reports a problem the window cannot show: one line on standard error and
// an error entry in the system log (syslog, and so journald), both naming
// the program.
void reportProblem(std::string_view program, std::string_view message);
