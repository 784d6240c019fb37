#include "posix/posix_system_log.h"

#include <syslog.h>

#include <iostream>
#include <string>

void reportProblem(std::string_view program, std::string_view message) {
    std::cerr << program << ": " << message << std::endl;
    const std::string text(message);
    const std::string ident(program);
    openlog(ident.c_str(), LOG_PID, LOG_USER);
    syslog(LOG_ERR, "%s", text.c_str());
    closelog();
}
