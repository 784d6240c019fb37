#include "support/scratch_folder.h"

#include <cstdlib>
#include <random>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(const std::string& prefix) {
    std::random_device random;
    for (;;) {
        path_ = fs::temp_directory_path() / (prefix + "-" + std::to_string(random()));
        std::error_code ec;
        if (fs::create_directory(path_, ec)) return;
        if (ec) std::abort();  // no usable temporary folder: nothing can run
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void ScratchFolder::empty() const {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(path_, ec))
        fs::remove_all(entry.path(), ec);
}
