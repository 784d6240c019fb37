#pragma once

#include <string_view>

// Reports a problem the window cannot show: one line on standard error (when
// there is one) and an error event in the Application event log, under the
// program's name as its source.
void reportProblem(std::string_view program, std::string_view message);
