#include "host/stored_settings.h"

#include <cstdio>

#include "host/app.h"
#include "host/config_store.h"
#include "host/menu.h"
#include "host/texts.h"
#include "library/path.h"

namespace corvane {

namespace {

// Beside the described keys; the recent files have a section of their own.
constexpr const char* kRunSection = "Corvane";
constexpr const char* kRecentSection = "Recent";

}  // namespace

RunSettings StoredSettings::readRun() const {
    RunSettings run;
    run.speed = ini_.getUnsigned(kRunSection, "Speed", uint32_t(kDefaultSpeedLimit));
    if (run.speed == 0) run.speed = kDefaultSpeedLimit;
    run.speedLimited = ini_.getUnsigned(kRunSection, "SpeedLimited", 0) != 0;
    const uint32_t factor = ini_.getUnsigned(kRunSection, "FastForward", kDefaultFastForward);
    run.fastForward = factor < 2 ? kDefaultFastForward : factor;
    run.slot = int(ini_.getUnsigned(kRunSection, "StateSlot", 1));
    run.interlaced = ini_.getUnsigned(kRunSection, "Interlaced", 0) != 0;
    run.blackWhite = ini_.getUnsigned(kRunSection, "BlackWhite", 0) != 0;
    run.beepSound = ini_.getUnsigned(kRunSection, "Beep", 0) != 0;
    return run;
}

void StoredSettings::writeRun(const RunSettings& run) const {
    keep(kRunSection, "Speed", std::to_string(run.speed), std::to_string(kDefaultSpeedLimit));
    keep(kRunSection, "SpeedLimited", run.speedLimited ? "1" : "0", "0");
    keep(kRunSection, "FastForward", std::to_string(run.fastForward),
         std::to_string(kDefaultFastForward));
    keep(kRunSection, "StateSlot", std::to_string(run.slot), "1");
    keep(kRunSection, "Interlaced", run.interlaced ? "1" : "0", "0");
    keep(kRunSection, "BlackWhite", run.blackWhite ? "1" : "0", "0");
    keep(kRunSection, "Beep", run.beepSound ? "1" : "0", "0");
}

ViewSettings StoredSettings::readView() const {
    ViewSettings view;
    // "Size" 0 or missing: chosen for the screen at each start.
    const uint32_t size = ini_.getUnsigned(kRunSection, "Size", 0);
    view.size = size >= uint32_t(kMinScale) && size <= uint32_t(kMaxScale) ? int(size) : 0;
    view.fullscreen = ini_.getUnsigned(kRunSection, "Fullscreen", 0) != 0;
    view.content = contentFromName(ini_.getString(kRunSection, "FullscreenShows", "face"))
                       .value_or(FullscreenContent::Face);
    view.recordWindow = ini_.getUnsigned(kRunSection, "RecordWindow", 0) != 0;
    for (int n = 1; n <= kRecentFiles; ++n) {
        const std::string file = ini_.getString(kRecentSection, "File" + std::to_string(n), "");
        if (!file.empty()) view.recent.push_back(file);
    }
    return view;
}

void StoredSettings::writeView(const ViewSettings& view) const {
    // The size is remembered once the user chose one (a chosen 1x stays 1x on any screen);
    // until then each start picks it for the screen.
    if (view.size != 0) ini_.setString(kRunSection, "Size", std::to_string(view.size));
    keep(kRunSection, "Fullscreen", view.fullscreen ? "1" : "0", "0");
    keep(kRunSection, "FullscreenShows", contentName(view.content), "face");
    keep(kRunSection, "RecordWindow", view.recordWindow ? "1" : "0", "0");
    for (int n = 1; n <= kRecentFiles; ++n) {
        const size_t i = size_t(n - 1);
        keep(kRecentSection, "File" + std::to_string(n),
             i < view.recent.size() ? view.recent[i] : "", "");
    }
}

int StoredSettings::readLanguage() const {
    const std::string code = ini_.getString(kRunSection, "Language", "");
    if (code.empty()) return kDefaultLanguage;
    if (const std::optional<int> language = languageByCode(code)) return *language;
    std::string known;
    for (int i = 0; i < kLanguageCount; ++i)
        known += (i ? ", " : "") + std::string(languageCode(i));
    std::fprintf(stderr, "corvane: %s: Language=%s is not one of %s; %s is used\n",
                 hostPathText(ini_.path()).c_str(), code.c_str(), known.c_str(),
                 std::string(languageCode(kDefaultLanguage)).c_str());
    return kDefaultLanguage;
}

void StoredSettings::writeLanguage(int language) const {
    keep(kRunSection, "Language", std::string(languageCode(language)),
         std::string(languageCode(kDefaultLanguage)));
}

void StoredSettings::store(const std::string& section, const std::string& key,
                           const std::string& value) {
    if (ini_.setString(section, key, value)) return;
    if (unwritableSaid_) return;
    unwritableSaid_ = true;
    std::fprintf(stderr, "corvane: %s cannot be written; it is left as it is\n",
                 hostPathText(ini_.path()).c_str());
}

void StoredSettings::keep(const std::string& section, const std::string& key,
                          const std::string& value, const std::string& fallback) const {
    const bool present = ini_.getString(section, key, "\x01") != "\x01";
    if (present || value != fallback) ini_.setString(section, key, value);
}

}  // namespace corvane
