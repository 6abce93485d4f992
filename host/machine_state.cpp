#include "host/machine_state.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "host/state_file.h"
#include "shared/real_path.h"

namespace corvane {

namespace {

// Paths below the root directory are kept relative to it, so a state follows its root when the
// root moves (the runner makes a fresh one for each run).
std::string relativeToRoot(const std::string& root, const std::string& path) {
    if (!root.empty() && path.size() >= root.size() && path.compare(0, root.size(), root) == 0)
        return path.substr(root.size());
    return path;
}

std::string fromRoot(const std::string& root, const std::string& saved) {
    if (!saved.empty() && saved.front() == '/') return saved;
    return root + saved;
}

// A stream opened for writing is reopened for update: "wb" would empty the file the state was
// saved with.
const char* reopenMode(const std::string& mode) {
    if (mode == "wb" || mode == "wb+") return "rb+";
    if (mode == "ab" || mode == "ab+" || mode == "rb" || mode == "rb+") return mode.c_str();
    return nullptr;
}

void writeImage(StateWriter& w, const Machine& m, const std::string& name) {
    const ImageIdentity id = identifyImage(m);
    ByteSink s;
    s.u32(id.size);
    s.u64(id.hash);
    s.text(name);
    w.section("IMAG", s);
}

void writeRegisters(StateWriter& w, const Machine& m) {
    ByteSink s;
    s.u32(m.pc);
    s.u8(m.osp);
    s.u8(m.argCursor);
    s.u16(m.fp);
    s.u16(m.sp);
    s.u32(m.regA);
    s.u32(m.regB);
    s.u32(m.cond);
    s.u16(m.strPtr);
    s.u8(m.strKey);
    s.u8(m.waitForKey);
    s.u8(m.keyRegister);
    s.u32(m.randomSeed);
    s.u32(m.delayCounter);
    s.u8(m.programLoaded);
    s.u8(m.paused);
    w.section("REGS", s);
}

void writeDisplay(StateWriter& w, const Machine& m) {
    ByteSink d;
    d.u16(m.draw.target);
    d.u8(m.draw.mode);
    d.u8(m.draw.mirror);
    d.raw(m.bitReverse.data(), m.bitReverse.size());
    w.section("DISP", d);
    const ConsoleState& c = m.console;
    ByteSink s;
    for (uint8_t v :
         {c.smallFont, c.columns, c.rows, c.cursorColumn, c.cursorRow, c.writeIndex, c.skipMask})
        s.u8(v);
    w.section("CONS", s);
}

void writeDebug(StateWriter& w, const Machine& m) {
    const DebugState& d = m.debug;
    ByteSink s;
    s.u32(uint32_t(d.stopValue));
    s.u32(d.currentFunction);
    s.u32(d.lastStopFunction);
    s.u32(d.functionDepth);
    const uint32_t kept = std::min<uint32_t>(d.functionDepth, kFunctionStackSize);
    for (uint32_t i = 0; i < kept; ++i) s.u32(d.functionStack[i]);
    w.section("DBUG", s);
}

void writeFiles(StateWriter& w, Machine& m) {
    ByteSink dirs;
    dirs.text(relativeToRoot(m.rootDir, m.currentDir));
    w.section("DIRS", dirs);
    ByteSink s;
    uint8_t open = 0;
    for (const FileSlot& f : m.files) open += f.inUse && f.stream != nullptr;
    s.u8(open);
    for (int i = 0; i < kFileSlots; ++i) {
        FileSlot& f = m.files[size_t(i)];
        if (!f.inUse || f.stream == nullptr) continue;
        std::fflush(f.stream);
        const long position = std::ftell(f.stream);
        s.u8(uint32_t(i));
        s.text(relativeToRoot(m.rootDir, f.path));
        s.text(f.mode);
        s.u64(position < 0 ? 0 : uint64_t(position));
    }
    w.section("FILE", s);
}

void writeTiming(StateWriter& w, const StateTiming& t) {
    ByteSink s;
    s.u64(t.frames);
    s.u64(t.sinceLastFrameNs);
    s.u64(t.sinceLastDelayNs);
    s.u8(t.dateNs.has_value());
    s.u64(uint64_t(t.dateNs.value_or(0)));
    w.section("TIME", s);
}

bool readImage(const std::vector<uint8_t>& bytes, MachineState& st) {
    ByteSource s(bytes);
    st.image.size = s.u32();
    st.image.hash = s.u64();
    st.imageName = s.text();
    return s.ok();
}

bool readRegisters(const std::vector<uint8_t>& bytes, MachineState& st) {
    ByteSource s(bytes);
    st.pc = s.u32();
    st.osp = s.u8();
    st.argCursor = s.u8();
    st.fp = s.u16();
    st.sp = s.u16();
    st.regA = s.u32();
    st.regB = s.u32();
    st.cond = s.u32();
    st.strPtr = s.u16();
    st.strKey = s.u8();
    st.waitForKey = s.u8();
    st.keyRegister = s.u8();
    st.randomSeed = s.u32();
    st.delayCounter = s.u32();
    st.programLoaded = s.u8() != 0;
    st.paused = s.u8() != 0;
    return s.ok();
}

bool readDisplay(const StateSections& f, MachineState& st) {
    if (const auto* bytes = f.find("DISP")) {
        ByteSource s(*bytes);
        st.draw.target = s.u16();
        st.draw.mode = s.u8();
        st.draw.mirror = s.u8() != 0;
        s.raw(st.bitReverse.data(), st.bitReverse.size());
        if (!s.ok()) return false;
    }
    if (const auto* bytes = f.find("CONS")) {
        ByteSource s(*bytes);
        ConsoleState& c = st.console;
        for (uint8_t* v : {&c.smallFont, &c.columns, &c.rows, &c.cursorColumn, &c.cursorRow,
                           &c.writeIndex, &c.skipMask})
            *v = s.u8();
        if (!s.ok()) return false;
    }
    return true;
}

bool readDebug(const StateSections& f, MachineState& st) {
    const auto* bytes = f.find("DBUG");
    if (!bytes) return true;
    ByteSource s(*bytes);
    DebugState& d = st.debug;
    d.stopValue = int32_t(s.u32());
    d.currentFunction = s.u32();
    d.lastStopFunction = s.u32();
    d.functionDepth = s.u32();
    const uint32_t kept = std::min<uint32_t>(d.functionDepth, kFunctionStackSize);
    for (uint32_t i = 0; i < kept; ++i) d.functionStack[i] = s.u32();
    return s.ok();
}

bool readFiles(const StateSections& f, MachineState& st) {
    if (const auto* bytes = f.find("DIRS")) {
        ByteSource s(*bytes);
        st.currentDir = s.text();
        if (!s.ok()) return false;
    }
    if (const auto* bytes = f.find("FILE")) {
        ByteSource s(*bytes);
        const uint8_t count = s.u8();
        for (uint8_t i = 0; i < count && s.ok(); ++i) {
            SavedFile file;
            file.slot = s.u8();
            file.path = s.text();
            file.mode = s.text();
            file.position = s.u64();
            if (file.slot >= kFileSlots) return false;
            st.files.push_back(std::move(file));
        }
        if (!s.ok()) return false;
    }
    return true;
}

bool readTiming(const StateSections& f, MachineState& st) {
    const auto* bytes = f.find("TIME");
    if (!bytes) return true;
    ByteSource s(*bytes);
    st.timing.frames = s.u64();
    st.timing.sinceLastFrameNs = s.u64();
    st.timing.sinceLastDelayNs = s.u64();
    const bool hasDate = s.u8() != 0;
    const int64_t date = int64_t(s.u64());
    if (hasDate) st.timing.dateNs = date;
    return s.ok();
}

}  // namespace

ImageIdentity identifyImage(const Machine& m) {
    ImageIdentity id;
    id.size = m.imageSize;
    uint64_t h = 0xcbf29ce484222325u;
    for (uint32_t i = 0; i < m.imageSize && m.image; ++i) {
        h ^= m.image[i];
        h *= 0x100000001b3u;
    }
    id.hash = h;
    return id;
}

std::vector<uint8_t> encodeState(Machine& m, const StateTiming& timing,
                                 const std::string& imageName) {
    // The rewind machinery encodes a state every few frames: the memory is copied once, into
    // the file, and the file is handed over without another copy.
    StateWriter w;
    w.reserve(m.mem.size() + 4096);
    writeImage(w, m, imageName);
    writeRegisters(w, m);
    w.section("MEMO", m.mem.data(), m.mem.size());
    w.section("KEYS", m.hostKeys.data(), m.hostKeys.size());
    writeDisplay(w, m);
    writeDebug(w, m);
    writeFiles(w, m);
    writeTiming(w, timing);
    w.section("LCDT", &m.mem[kLcdScreen], kBitmapSize);
    return std::move(w).finish();
}

StateError decodeState(const std::vector<uint8_t>& file, const Machine& machine, MachineState& st) {
    const std::optional<StateSections> f = parseStateFile(file);
    if (!f) return StateError::NotAState;
    if (f->version > kStateVersion) return StateError::TooNew;
    const auto* image = f->find("IMAG");
    const auto* regs = f->find("REGS");
    const auto* mem = f->find("MEMO");
    if (!image || !regs || !mem || !readImage(*image, st) || !readRegisters(*regs, st))
        return StateError::NotAState;
    ByteSource memory(*mem);
    if (!memory.raw(st.mem.data(), st.mem.size()) || !memory.atEnd()) return StateError::NotAState;
    if (const auto* keys = f->find("KEYS")) {
        ByteSource s(*keys);
        if (!s.raw(st.hostKeys.data(), st.hostKeys.size())) return StateError::NotAState;
    }
    if (!readDisplay(*f, st) || !readDebug(*f, st) || !readFiles(*f, st) || !readTiming(*f, st))
        return StateError::NotAState;
    std::memcpy(st.thumbnail.data(), &st.mem[kLcdScreen], kBitmapSize);
    if (const auto* thumb = f->find("LCDT")) {
        ByteSource s(*thumb);
        s.raw(st.thumbnail.data(), st.thumbnail.size());
    }
    if (!(st.image == identifyImage(machine))) return StateError::OtherImage;
    return StateError::None;
}

std::vector<std::string> applyState(Machine& m, const MachineState& st, uint64_t nowNs) {
    for (FileSlot& f : m.files) {
        if (f.inUse && f.stream != nullptr) std::fclose(f.stream);
        f.inUse = false;
        f.stream = nullptr;
    }
    m.mem = st.mem;
    m.pc = st.pc;
    m.lastReturn = {};
    m.osp = st.osp;
    m.argCursor = st.argCursor;
    m.fp = st.fp;
    m.sp = st.sp;
    m.regA = st.regA;
    m.regB = st.regB;
    m.cond = st.cond;
    m.strPtr = st.strPtr;
    m.strKey = st.strKey;
    m.waitForKey = st.waitForKey;
    m.keyRegister = st.keyRegister;
    m.randomSeed = st.randomSeed;
    m.delayCounter = st.delayCounter;
    m.lastDelayNs = nowNs - st.timing.sinceLastDelayNs;
    m.hostKeys = st.hostKeys;
    m.programLoaded = st.programLoaded;
    m.paused = st.paused;
    m.stopRun = false;
    m.faulted = false;
    m.faultReason[0] = '\0';
    m.draw = st.draw;
    m.console = st.console;
    m.bitReverse = st.bitReverse;
    m.debug = st.debug;
    if (!st.currentDir.empty()) m.currentDir = fromRoot(m.rootDir, st.currentDir);

    std::vector<std::string> missing;
    for (const SavedFile& saved : st.files) {
        const std::string path = fromRoot(m.rootDir, saved.path);
        const char* mode = reopenMode(saved.mode);
        std::FILE* stream = mode ? openHostFile(path, mode) : nullptr;
        if (stream && std::fseek(stream, long(saved.position), SEEK_SET) != 0) {
            std::fclose(stream);
            stream = nullptr;
        }
        if (!stream) {
            missing.push_back(saved.path);
            continue;
        }
        FileSlot& slot = m.files[size_t(saved.slot)];
        slot.inUse = true;
        slot.stream = stream;
        slot.path = path;
        slot.writeFailed = false;
        slot.mode = saved.mode;
    }
    return missing;
}

}  // namespace corvane
