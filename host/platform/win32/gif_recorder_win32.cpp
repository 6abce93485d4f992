// The Windows build has no GIF encoder yet (giflib has no Windows build among the packages we
// build from): a recording is refused at its start, which the host reports as a file that
// cannot be written, and nothing pretends to record.
#include <cstdio>

#include "host/gif_recorder.h"

namespace corvane {

GifRecorder::~GifRecorder() = default;

bool GifRecorder::open(const std::string&, int, bool, uint64_t) {
    std::fputs("corvane: recording to GIF is not available in the Windows build\n", stderr);
    return false;
}

bool GifRecorder::openWindow(const std::string& file, int, int, int scale, uint64_t nowNs) {
    return open(file, scale, false, nowNs);
}

void GifRecorder::frame(const uint8_t*, uint64_t) {}

void GifRecorder::windowFrame(const RgbImage&, uint64_t) {}

bool GifRecorder::writePending(uint64_t) {
    return false;
}

bool GifRecorder::close(uint64_t) {
    return false;
}

}  // namespace corvane
