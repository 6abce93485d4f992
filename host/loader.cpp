#include "host/loader.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "host/paths.h"
#include "host/platform.h"
#include "host/source_map.h"
#include "library/path.h"
#include "vm/image.h"
#include "vm/interpreter.h"
#include "vm/machine.h"
#include "vm/memory_map.h"

namespace corvane {
namespace fs = std::filesystem;

namespace {

// What is wrong with a file that did not load, from what the file system says about it.
// `openErrno` is errno right after the failed open, for the reasons the file system gives.
std::string describeLoadProblem(const std::string& path, ImageStatus status, int openErrno) {
    std::error_code ec;
    const fs::path file = hostFsPath(path);
    const fs::file_status st = fs::status(file, ec);
    std::string reason;
    if (!fs::exists(st)) {
        reason = "no such file";
    } else if (fs::is_directory(st)) {
        reason = "is a directory, not a program image";
    } else if (!fs::is_regular_file(st)) {
        reason = "is not a regular file";
    } else if (status == ImageStatus::CannotOpen) {
        reason = "cannot be read: " + std::generic_category().message(openErrno);
    } else if (status == ImageStatus::TooLarge) {
        reason = "too large for the image buffer (" + std::to_string(fs::file_size(file, ec)) +
                 " bytes, at most " + std::to_string(kImageBufferSize) + ")";
    } else if (fs::file_size(file, ec) < kImageHeaderSize) {
        reason = "too short for a program image (" + std::to_string(fs::file_size(file, ec)) +
                 " bytes, the header alone has " + std::to_string(kImageHeaderSize) + ")";
    } else {
        reason = "not a program image (it does not start with \"VRN\" and version 0x12)";
    }
    return path + ": " + reason;
}

}  // namespace

Loader::Loader(Machine& machine, Platform& platform) : m_(machine), platform_(platform) {}

void Loader::setWorkingDir(const std::string& dir) {
    workingDir_ = directoryText(hostFsPath(dir));
}

void Loader::noteMachineDirectory() {
    if (m_.currentDir != seenMachineDir_) {
        seenMachineDir_ = m_.currentDir;
        if (!seenMachineDir_.empty()) workingDir_ = seenMachineDir_;
    }
}

bool Loader::takeRepaint() {
    bool wanted = repaint_;
    repaint_ = false;
    return wanted;
}

LoadResult Loader::loadFile(const std::string& path, TextId invalidMessage) {
    loadProblem_.clear();
    errno = 0;
    ImageStatus status = checkImageFile(path);
    const int openErrno = errno;
    if (status == ImageStatus::Ok) {
        // Checked before anything is closed: a file too large for the image buffer is refused
        // like an invalid one and leaves the running program alone.
        std::error_code ec;
        auto size = fs::file_size(hostFsPath(path), ec);
        if (!ec && size > kImageBufferSize) status = ImageStatus::TooLarge;
    }
    if (status != ImageStatus::Ok) loadProblem_ = describeLoadProblem(path, status, openErrno);
    if (status == ImageStatus::CannotOpen) {
        platform_.messageBox(hostText(TextId::MessageCannotOpen));
        return LoadResult::CannotOpen;
    }
    if (status != ImageStatus::Ok) {
        platform_.messageBox(hostText(invalidMessage));
        return LoadResult::Invalid;
    }
    if (m_.programLoaded) close();
    errno = 0;
    ++loads_;  // the buffer changes whether or not the read succeeds
    status = readImageFile(m_, path);
    if (status != ImageStatus::Ok) {
        loadProblem_ = describeLoadProblem(path, status, errno);
        // The file changed between the check and the read; the old program is gone already.
        platform_.messageBox(hostText(status == ImageStatus::CannotOpen ? TextId::MessageCannotOpen
                                                                        : invalidMessage));
        return status == ImageStatus::CannotOpen ? LoadResult::CannotOpen : LoadResult::Invalid;
    }
    imageLoaded_ = true;
    imagePath_ = path;
    m_.programLoaded = true;
    resetMachine(m_);
    restart();
    itemsEnabled_ = true;
    return LoadResult::Loaded;
}

OpenFileRequest programOpenRequest(const std::string& dir, const std::string& name) {
    OpenFileRequest request;
    request.title = hostText(TextId::DialogOpenTitle);
    request.initialDir = dir;
    request.initialName = name;
    request.filters = {{hostText(TextId::DialogProgramFilter), "*.vrn"},
                       {hostText(TextId::DialogAllFilter), "*.*"}};
    request.defaultExtension = "vrn";
    return request;
}

LoadResult Loader::open() {
    std::optional<std::string> chosen =
        platform_.openFileDialog(programOpenRequest(workingDir_, dialogFileName_));
    if (!chosen) return LoadResult::Cancelled;
    return openChosen(*chosen);
}

LoadResult Loader::openChosen(const std::string& chosen) {
    // A confirmed dialog moves the working directory to the chosen file's folder, whatever
    // happens to the file afterwards.
    fs::path file = fs::absolute(hostFsPath(chosen));
    setWorkingDir(hostPathText(file.parent_path()));

    LoadResult result = loadFile(hostPathText(file), TextId::MessageInvalidFromDialog);
    if (result != LoadResult::Loaded) return result;
    // The next dialog offers this choice again, without its extension.
    dialogFileName_ = hostPathText(file.has_extension() ? file.parent_path() / file.stem() : file);
    splash_ = SplashState::Opened;
    return result;
}

LoadResult Loader::loadAtStartup(const std::string& path) {
    return loadFile(path, TextId::MessageInvalidFromCommandLine);
}

void Loader::close() {
    endProgram(m_);  // files an earlier end closed are not closed again
    itemsEnabled_ = false;
    m_.paused = true;
    repaint_ = true;
    lastEnd_ = ProgramEnd::Closed;
}

void Loader::restart() {
    m_.paused = false;
    m_.faulted = false;
    m_.faultReason[0] = '\0';
    resetMachine(m_);
    seenMachineDir_ = m_.currentDir;  // the reset's return to the root is no ChDir
}

void Loader::closeCommand() {
    if (m_.programLoaded) close();
    splash_ = SplashState::Idle;
}

void Loader::endByItself() {
    bool faulted = m_.faulted;
    // A failed check of a checked C program is named as such, at the code that failed it.
    if (faulted) explainCheckTrap(m_);
    close();
    splash_ = SplashState::Ended;
    lastEnd_ = faulted ? ProgramEnd::Fault : ProgramEnd::ByItself;
    if (faulted) {
        // With the debug information beside the image the message names the source line too.
        const std::optional<DebugInfo> info =
            loadDebugInfoFor(imagePath_, m_.image.get(), m_.imageSize);
        platform_.messageBox(faultMessageWithPlace(m_.faultReason, info ? &*info : nullptr));
    }
}

void Loader::reset() {
    if (!imageLoaded_) return;
    endProgram(m_);
    m_.programLoaded = true;
    restart();
}

void Loader::resumedFromState() {
    itemsEnabled_ = m_.programLoaded;
    lastEnd_ = ProgramEnd::None;
    repaint_ = true;
}

void Loader::exit() {
    if (m_.programLoaded) close();
}

}  // namespace corvane
