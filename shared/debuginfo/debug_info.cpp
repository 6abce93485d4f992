#include "shared/debuginfo/debug_info.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace corvane {
namespace {

const char* kMagic = "corvane-debug";

// What separates the folders of a path: on Windows the backslash as well as the slash.
#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

bool isSeparator(char c) {
    return std::strchr(kSeparators, c) != nullptr && c != '\0';
}

std::string hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

const char* kindWord(DebugType::Kind k) {
    switch (k) {
        case DebugType::Void:
            return "void";
        case DebugType::Scalar:
            return "scalar";
        case DebugType::Pointer:
            return "pointer";
        case DebugType::Array:
            return "array";
        case DebugType::Struct:
            return "struct";
        case DebugType::Union:
            return "union";
        case DebugType::Function:
            return "function";
    }
    return "void";
}

// One record: words separated by single spaces; the record's last field may hold spaces.
class Fields {
  public:
    explicit Fields(const std::string& line) : line_(line) {}
    std::optional<std::string> word() {
        if (pos_ > line_.size()) return std::nullopt;
        size_t end = line_.find(' ', pos_);
        if (end == std::string::npos) end = line_.size();
        std::string w = line_.substr(pos_, end - pos_);
        pos_ = end + 1;
        return w;
    }
    std::optional<int64_t> number() {
        auto w = word();
        if (!w || w->empty()) return std::nullopt;
        char* end = nullptr;
        const int64_t v = std::strtoll(w->c_str(), &end, 0);
        if (*end) return std::nullopt;
        return v;
    }
    // Everything left, possibly empty.
    std::string rest() {
        std::string r = pos_ < line_.size() ? line_.substr(pos_) : "";
        pos_ = line_.size() + 1;
        return r;
    }
    bool done() const { return pos_ > line_.size(); }

  private:
    const std::string& line_;
    size_t pos_ = 0;
};

}  // namespace

const DebugFunction* DebugInfo::functionById(uint32_t id) const {
    for (const DebugFunction& f : functions)
        if (f.id == id) return &f;
    return nullptr;
}

const DebugFunction* DebugInfo::functionAt(uint32_t address) const {
    for (const DebugFunction& f : functions)
        if (address >= f.start && address < f.end) return &f;
    return nullptr;
}

const DebugFunction* DebugInfo::functionByName(const std::string& name) const {
    for (const DebugFunction& f : functions)
        if (f.name == name) return &f;
    return nullptr;
}

int DebugInfo::fileNumber(const std::string& path) const {
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i] == path) return int(i + 1);
    // "prog.c" names "src/prog.c" when no other file ends the same way.
    int found = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& f = files[i];
        if (f.size() > path.size() && f.compare(f.size() - path.size(), path.size(), path) == 0 &&
            isSeparator(f[f.size() - path.size() - 1])) {
            if (found) return 0;
            found = int(i + 1);
        }
    }
    return found;
}

const std::string& DebugInfo::fileName(int file) const {
    static const std::string kUnknown = "??";
    return file >= 1 && size_t(file) <= files.size() ? files[size_t(file - 1)] : kUnknown;
}

std::string writeDebugInfo(const DebugInfo& info) {
    std::ostringstream o;
    o << kMagic << ' ' << kDebugInfoVersion << '\n';
    o << "dir " << info.dir << '\n';
    for (size_t i = 0; i < info.files.size(); ++i)
        o << "file " << i + 1 << ' ' << info.files[i] << '\n';
    for (size_t i = 0; i < info.types.size(); ++i) {
        const DebugType& t = info.types[i];
        o << "type " << i << ' ' << kindWord(t.kind);
        switch (t.kind) {
            case DebugType::Void:
                break;
            case DebugType::Scalar:
                o << ' ' << t.size << ' ' << (t.isSigned ? 's' : 'u') << ' ' << t.name;
                break;
            case DebugType::Pointer:
            case DebugType::Function:
                o << ' ' << t.target;
                break;
            case DebugType::Array:
                o << ' ' << t.target << ' ' << t.count;
                break;
            case DebugType::Struct:
            case DebugType::Union:
                o << ' ' << t.size << ' ' << t.name;
                break;
        }
        o << '\n';
        for (const DebugMember& m : t.members)
            o << "member " << m.name << ' ' << m.offset << ' ' << m.type << '\n';
    }
    for (const DebugTypedef& t : info.typedefs) o << "typedef " << t.name << ' ' << t.type << '\n';
    for (const DebugVar& g : info.globals)
        o << "global " << g.name << ' ' << hex(uint32_t(g.location)) << ' ' << g.type << '\n';
    for (const DebugFunction& f : info.functions) {
        o << "func " << f.id << ' ' << hex(f.start) << ' ' << hex(f.end) << ' ' << f.file << ' '
          << f.line << ' ' << f.returnType << ' ' << f.name << '\n';
        for (const DebugVar& p : f.params)
            o << "param " << p.name << ' ' << p.location << ' ' << p.type << '\n';
        for (const DebugVar& l : f.locals)
            o << "local " << l.name << ' ' << l.location << ' ' << l.type << ' ' << l.fromLine
              << ' ' << l.toLine << '\n';
    }
    for (const DebugLine& l : info.lines)
        o << "line " << hex(l.address) << ' ' << hex(l.value) << ' ' << char(l.kind) << '\n';
    for (const DebugPlace& p : info.places)
        o << "place " << hex(p.address) << ' ' << hex(p.value) << '\n';
    for (const DebugMark& k : info.marks)
        o << "mark " << hex(k.address) << ' ' << hex(k.value) << ' ' << k.file << '\n';
    return o.str();
}

std::optional<DebugInfo> readDebugInfo(const std::string& text, std::string* error) {
    DebugInfo info;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) -> std::optional<DebugInfo> {
        if (error) *error = "line " + std::to_string(number) + ": " + why;
        return std::nullopt;
    };
    DebugType* record = nullptr;        // the struct or union that member records belong to
    DebugFunction* function = nullptr;  // the function that param and local records belong to
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Fields f(line);
        const std::string word = f.word().value_or("");
        if (number == 1) {
            auto version = f.number();
            if (word != kMagic || !version) return fail("not a debug-information file");
            if (*version != kDebugInfoVersion)
                return fail("version " + std::to_string(*version) + " is not known");
            continue;
        }
        if (word.empty()) continue;
        if (word == "dir") {
            info.dir = f.rest();
        } else if (word == "file") {
            auto n = f.number();
            if (!n || *n != int64_t(info.files.size() + 1)) return fail("files out of order");
            info.files.push_back(f.rest());
        } else if (word == "type") {
            auto n = f.number();
            if (!n || *n != int64_t(info.types.size())) return fail("types out of order");
            DebugType t;
            const std::string kind = f.word().value_or("");
            std::optional<int64_t> a, b;
            if (kind == "void") {
                t.kind = DebugType::Void;
            } else if (kind == "scalar") {
                t.kind = DebugType::Scalar;
                a = f.number();
                const std::string sign = f.word().value_or("");
                if (!a || (sign != "s" && sign != "u")) return fail("bad scalar type");
                t.size = int(*a);
                t.isSigned = sign == "s";
                t.name = f.rest();
            } else if (kind == "pointer" || kind == "function") {
                t.kind = kind == "pointer" ? DebugType::Pointer : DebugType::Function;
                a = f.number();
                if (!a) return fail("bad " + kind + " type");
                t.target = int(*a);
                t.size = t.kind == DebugType::Pointer ? 2 : 0;
            } else if (kind == "array") {
                t.kind = DebugType::Array;
                a = f.number();
                b = f.number();
                if (!a || !b) return fail("bad array type");
                t.target = int(*a);
                t.count = *b;
            } else if (kind == "struct" || kind == "union") {
                t.kind = kind == "struct" ? DebugType::Struct : DebugType::Union;
                a = f.number();
                if (!a) return fail("bad " + kind + " type");
                t.size = int(*a);
                t.name = f.rest();
            } else {
                return fail("unknown type kind '" + kind + "'");
            }
            info.types.push_back(std::move(t));
            record = info.types.back().kind == DebugType::Struct ||
                             info.types.back().kind == DebugType::Union
                         ? &info.types.back()
                         : nullptr;
        } else if (word == "member") {
            DebugMember m;
            m.name = f.word().value_or("");
            auto off = f.number(), type = f.number();
            if (!record || m.name.empty() || !off || !type) return fail("bad member");
            m.offset = int(*off);
            m.type = int(*type);
            record->members.push_back(std::move(m));
        } else if (word == "typedef") {
            DebugTypedef t;
            t.name = f.word().value_or("");
            auto type = f.number();
            if (t.name.empty() || !type) return fail("bad typedef");
            t.type = int(*type);
            info.typedefs.push_back(std::move(t));
        } else if (word == "global" || word == "param" || word == "local") {
            DebugVar v;
            v.name = f.word().value_or("");
            auto loc = f.number(), type = f.number();
            if (v.name.empty() || !loc || !type) return fail("bad " + word);
            v.location = int32_t(*loc);
            v.type = int(*type);
            if (word == "local") {
                auto from = f.number(), to = f.number();
                if (!from || !to) return fail("bad local");
                v.fromLine = int(*from);
                v.toLine = int(*to);
            }
            if (word == "global") {
                info.globals.push_back(std::move(v));
            } else if (!function) {
                return fail(word + " outside a function");
            } else {
                (word == "param" ? function->params : function->locals).push_back(std::move(v));
            }
        } else if (word == "func") {
            DebugFunction fn;
            auto id = f.number(), start = f.number(), end = f.number(), file = f.number(),
                 ln = f.number(), ret = f.number();
            fn.name = f.rest();
            if (!id || !start || !end || !file || !ln || !ret || fn.name.empty())
                return fail("bad func");
            fn.id = uint32_t(*id);
            fn.start = uint32_t(*start);
            fn.end = uint32_t(*end);
            fn.file = int(*file);
            fn.line = int(*ln);
            fn.returnType = int(*ret);
            info.functions.push_back(std::move(fn));
            function = &info.functions.back();
            record = nullptr;
        } else if (word == "line") {
            DebugLine l;
            auto addr = f.number(), value = f.number();
            const std::string kind = f.word().value_or("");
            if (!addr || !value || kind.size() != 1 ||
                std::string("sre").find(kind[0]) == std::string::npos)
                return fail("bad line");
            l.address = uint32_t(*addr);
            l.value = uint32_t(*value);
            l.kind = LineKind(kind[0]);
            info.lines.push_back(l);
        } else if (word == "place") {
            auto addr = f.number(), value = f.number();
            if (!addr || !value) return fail("bad place");
            info.places.push_back({uint32_t(*addr), uint32_t(*value)});
        } else if (word == "mark") {
            auto addr = f.number(), value = f.number(), file = f.number();
            if (!addr || !value || !file || *file < 1) return fail("bad mark");
            info.marks.push_back({uint32_t(*addr), uint32_t(*value), int(*file)});
        } else {
            // Records of later minor additions are skipped, so older readers still work.
            continue;
        }
    }
    if (number == 0) return fail("empty file");
    // Every type number that a record names must exist.
    const int types = int(info.types.size());
    auto valid = [&](int t) { return t >= 0 && t < types; };
    for (const DebugType& t : info.types) {
        if ((t.kind == DebugType::Pointer || t.kind == DebugType::Array ||
             t.kind == DebugType::Function) &&
            !valid(t.target))
            return fail("a type names a type that does not exist");
        for (const DebugMember& m : t.members)
            if (!valid(m.type)) return fail("member '" + m.name + "' has no valid type");
    }
    for (const DebugTypedef& t : info.typedefs)
        if (!valid(t.type)) return fail("typedef '" + t.name + "' has no valid type");
    for (const DebugVar& g : info.globals)
        if (!valid(g.type)) return fail("global '" + g.name + "' has no valid type");
    for (const DebugFunction& fn : info.functions) {
        if (!valid(fn.returnType)) return fail("function '" + fn.name + "' has no valid type");
        for (const auto* list : {&fn.params, &fn.locals})
            for (const DebugVar& v : *list)
                if (!valid(v.type)) return fail("variable '" + v.name + "' has no valid type");
    }
    for (const DebugMark& k : info.marks)
        if (size_t(k.file) > info.files.size())
            return fail("a mark names a file that does not exist");
    std::stable_sort(info.marks.begin(), info.marks.end(),
                     [](const DebugMark& a, const DebugMark& b) { return a.address < b.address; });
    std::stable_sort(info.lines.begin(), info.lines.end(),
                     [](const DebugLine& a, const DebugLine& b) { return a.address < b.address; });
    std::stable_sort(
        info.places.begin(), info.places.end(),
        [](const DebugPlace& a, const DebugPlace& b) { return a.address < b.address; });
    return info;
}

std::string debugInfoPath(const std::string& imagePath) {
    const size_t slash = imagePath.find_last_of(kSeparators);
    const size_t dot = imagePath.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return imagePath.substr(0, dot) + ".dbg";
    return imagePath + ".dbg";
}

}  // namespace corvane
