#include "host/mode_signs.h"

namespace corvane {

std::vector<std::string> modeSigns(const RunModes& modes) {
    std::vector<std::string> signs;
    if (modes.recording) signs.emplace_back("● 录制");
    if (!modes.running) return signs;
    // A held rewind steps back also while paused: it is what the player sees.
    if (modes.rewinding) {
        signs.emplace_back("倒带");
    } else if (modes.paused) {
        signs.emplace_back("暂停");
    } else if (modes.fastForward > 1) {
        signs.emplace_back("快进 " + std::to_string(modes.fastForward) + "x");
    }
    return signs;
}

}  // namespace corvane
