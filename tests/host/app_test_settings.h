#pragma once
// The settings of an App under test whose root, vorn.ini and font file all lie in one temporary
// folder (the font file empty: the tests draw no text).

#include "host/app.h"
#include "tests/host/app_test_files.h"

namespace corvane::test {

inline AppSettings settingsIn(const TempDir& dir) {
    AppSettings settings;
    settings.paths.root = dir.path();
    settings.paths.configFile = dir / "vorn.ini";
    settings.paths.fontFile = dir / "duzezi.dat";
    settings.startDir = dir.path().string();
    writeText(dir / "duzezi.dat", "");
    return settings;
}

}  // namespace corvane::test
