#pragma once
// What the desktop program remembers in vorn.ini beside the described keys: the run controls and
// display modes ("Corvane"), the window's size and full screen, the choice of what recordings
// take, and the recent files ("Recent"). A key at its default is written only when the file has
// it already, so a user who never changes one keeps the configuration file as it always was.

#include <cstdint>
#include <string>
#include <vector>

#include "host/view.h"

namespace corvane {

class ConfigStore;

struct RunSettings {
    uint64_t speed = 0;  // the instruction rate of "限速"
    bool speedLimited = false;
    uint32_t fastForward = 0;
    int slot = 1;
    bool interlaced = false;
    bool blackWhite = false;
    bool beepSound = false;  // "蜂鸣声": Beep is heard
};

struct ViewSettings {
    int size = 0;  // 1-4 once the user chose one; 0: picked for the screen at each start
    bool fullscreen = false;
    FullscreenContent content = FullscreenContent::Face;
    bool recordWindow = false;
    std::vector<std::string> recent;  // newest first
};

class StoredSettings {
  public:
    explicit StoredSettings(const ConfigStore& ini) : ini_(ini) {}

    RunSettings readRun() const;
    void writeRun(const RunSettings& run) const;
    ViewSettings readView() const;
    void writeView(const ViewSettings& view) const;
    // "Language": the language of the host's texts by its code. Missing or empty gives the
    // default; a code no table has gives the default too, said once on stderr.
    int readLanguage() const;
    void writeLanguage(int language) const;

    // Writes one setting; when the file cannot be written, says so once on stderr.
    void store(const std::string& section, const std::string& key, const std::string& value);

  private:
    // Writes `value`, unless it is `fallback` and the file does not have the key yet.
    void keep(const std::string& section, const std::string& key, const std::string& value,
              const std::string& fallback) const;

    const ConfigStore& ini_;
    bool unwritableSaid_ = false;
};

}  // namespace corvane
