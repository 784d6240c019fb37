#pragma once

// The journal files of the system the tests run on: their locks are real, so
// two sessions in one test conflict as two programs would.
#ifdef _WIN32
#include "win32/win32_journal_file.h"
using PlatformJournalFiles = Win32JournalFiles;
#else
#include "posix/posix_journal_file.h"
using PlatformJournalFiles = PosixJournalFiles;
#endif
