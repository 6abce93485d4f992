#include "host/config.h"

namespace corvane {

std::unique_ptr<ConfigStore> openConfigStore(const std::filesystem::path& file) {
    return std::make_unique<ProfileFile>(file);
}

}  // namespace corvane
