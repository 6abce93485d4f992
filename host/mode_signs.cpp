#include "host/mode_signs.h"

#include "host/texts.h"

namespace corvane {

std::vector<std::string> modeSigns(const RunModes& modes) {
    std::vector<std::string> signs;
    if (modes.recording) signs.emplace_back(hostText(TextId::SignRecording));
    if (!modes.running) return signs;
    // A held rewind steps back also while paused: it is what the player sees.
    if (modes.rewinding) {
        signs.emplace_back(hostText(TextId::SignRewinding));
    } else if (modes.paused) {
        signs.emplace_back(hostText(TextId::SignPaused));
    } else if (modes.fastForward > 1) {
        signs.emplace_back(
            formatText(TextId::SignFastForward, {std::to_string(modes.fastForward)}));
    }
    return signs;
}

}  // namespace corvane
