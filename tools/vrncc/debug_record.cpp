#include "tools/vrncc/debug_record.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "library/path.h"

namespace corvane::cc {

DebugRecorder::DebugRecorder(std::function<bool(const std::string&)> marked)
    : marked_(std::move(marked)) {}

int DebugRecorder::fileNumber(const SourceFile* file) {
    if (!file) return 0;
    auto it = files_.find(file);
    if (it != files_.end()) return it->second;
    paths_.push_back(file->path);
    const int n = int(paths_.size());
    files_[file] = n;
    return n;
}

uint32_t DebugRecorder::beginFunction(Symbol* f) {
    auto it = ids_.find(f);
    uint32_t id = it != ids_.end() ? it->second : uint32_t(ids_.size() + 1);
    ids_[f] = id;
    functions_.push_back({f, id, -1, -1});
    returnLines_.clear();
    if (f->body) collectReturns(f->body);
    last_ = 0;
    return id;
}

void DebugRecorder::collectReturns(const Stmt* s) {
    if (!s) return;
    if (s->kind == St::Return && s->loc.file)
        returnLines_.insert(lineValue(fileNumber(s->loc.file), s->loc.line));
    collectReturns(s->s1);
    collectReturns(s->s2);
    for (const Stmt* c : s->list) collectReturns(c);
}

uint32_t DebugRecorder::marker(const Loc& loc, LineKind kind) {
    if (!loc.file || loc.line <= 0 || loc.line > 0xFFFF) return 0;
    auto m = markedFiles_.find(loc.file);
    if (m == markedFiles_.end()) m = markedFiles_.emplace(loc.file, marked_(loc.file->path)).first;
    if (!m->second) return 0;
    const int file = fileNumber(loc.file);
    if (file > 0xFF) return 0;  // the marker's 24 bits hold 255 files
    const uint32_t value = lineValue(file, loc.line);
    if (value == last_) return 0;
    last_ = value;
    if (kind == LineKind::Statement && returnLines_.count(value)) kind = LineKind::Return;
    kinds_.push_back(kind);
    return value;
}

void DebugRecorder::place(int label, const Loc& loc) {
    if (!loc.file || loc.line <= 0 || loc.line > 0xFFFF) return;
    auto m = markedFiles_.find(loc.file);
    if (m == markedFiles_.end()) m = markedFiles_.emplace(loc.file, marked_(loc.file->path)).first;
    const int file = fileNumber(loc.file);
    if (m->second && file <= 0xFF) places_.push_back({label, lineValue(file, loc.line)});
}

uint32_t DebugRecorder::statement(const Stmt* s) {
    switch (s->kind) {
        case St::Compound:
        case St::Empty:
        case St::Case:
        case St::Default:
        case St::Label:
            return 0;
        case St::Decl:
            if (!s->sym || !s->sym->hasInit) return 0;
            break;
        default:
            break;
    }
    return marker(s->loc, LineKind::Statement);
}

uint32_t DebugRecorder::functionEnd() {
    if (functions_.empty()) return 0;
    const Symbol* f = functions_.back().sym;
    if (!f->body) return 0;
    last_ = 0;  // the closing brace always gets its marker
    return marker(f->body->end, LineKind::End);
}

void DebugRecorder::endFunction(int startLabel, int endLabel) {
    if (functions_.empty()) return;
    functions_.back().startLabel = startLabel;
    functions_.back().endLabel = endLabel;
}

int DebugRecorder::typeId(const Type* t) {
    if (!t) t = nullptr;
    std::string key;
    DebugType d;
    switch (t ? t->kind : Kind::Void) {
        case Kind::Void:
            key = "v";
            d.kind = DebugType::Void;
            break;
        case Kind::Pointer: {
            const int target = typeId(t->base);
            key = "p" + std::to_string(target);
            d.kind = DebugType::Pointer;
            d.size = 2;
            d.target = target;
            break;
        }
        case Kind::Array: {
            const int elem = typeId(t->base);
            key = "a" + std::to_string(elem) + "," + std::to_string(t->count);
            d.kind = DebugType::Array;
            d.target = elem;
            d.count = t->count < 0 ? 0 : t->count;
            break;
        }
        case Kind::Function: {
            const int ret = typeId(t->base);
            key = "f" + std::to_string(ret);
            d.kind = DebugType::Function;
            d.target = ret;
            break;
        }
        case Kind::Struct:
        case Kind::Union: {
            auto it = records_.find(t->record);
            if (it != records_.end()) return it->second;
            // Numbered before its members, which may point back at it.
            const int id = int(info_.types.size());
            records_[t->record] = id;
            DebugType r;
            r.kind = t->kind == Kind::Struct ? DebugType::Struct : DebugType::Union;
            r.size = t->record && t->record->complete ? t->record->size : 0;
            r.name = t->record ? t->record->tag : "";
            info_.types.push_back(r);
            if (t->record) {
                std::vector<DebugMember> members;
                for (const Member& m : t->record->members)
                    members.push_back({m.name, m.offset, typeId(m.type)});
                info_.types[size_t(id)].members = std::move(members);
            }
            return id;
        }
        default: {
            static const std::map<Kind, std::pair<const char*, bool>> kNames = {
                {Kind::Char, {"char", false}},
                {Kind::SChar, {"signed char", true}},
                {Kind::UChar, {"unsigned char", false}},
                {Kind::Short, {"short", true}},
                {Kind::UShort, {"unsigned short", false}},
                {Kind::Int, {"int", true}},
                {Kind::UInt, {"unsigned int", false}},
                {Kind::Long, {"long", true}},
                {Kind::ULong, {"unsigned long", false}},
                {Kind::LLong, {"long long", true}},
                {Kind::ULLong, {"unsigned long long", false}},
                {Kind::Enum, {"enum", true}},
                {Kind::Float, {"float", true}},
                {Kind::Double, {"double", true}}};
            auto n = kNames.find(t->kind);
            d.kind = DebugType::Scalar;
            d.name = n != kNames.end() ? n->second.first : "int";
            d.isSigned = n != kNames.end() ? n->second.second : true;
            d.size = int(sizeOf(t));
            key = "s" + d.name;
            break;
        }
    }
    auto it = typeKeys_.find(key);
    if (it != typeKeys_.end()) return it->second;
    const int id = int(info_.types.size());
    info_.types.push_back(d);
    typeKeys_[key] = id;
    return id;
}

void DebugRecorder::collectLocals(const Stmt* s, int blockEnd, DebugFunction& out) {
    if (!s) return;
    if (s->kind == St::Compound && s->end.line > 0) blockEnd = s->end.line;
    if (s->kind == St::Decl && s->sym && s->sym->storage == Storage::Local)
        out.locals.push_back(
            {s->sym->name, s->sym->frameOffset, typeId(s->sym->type), s->loc.line, blockEnd});
    collectLocals(s->s1, blockEnd, out);
    collectLocals(s->s2, blockEnd, out);
    for (const Stmt* c : s->list) collectLocals(c, blockEnd, out);
}

void DebugRecorder::finish(const Program& prog, const Emitter& em) {
    std::error_code ec;
    info_.dir = hostPathText(std::filesystem::current_path(ec));
    const std::vector<uint32_t> at = em.addresses();
    std::map<int, uint32_t> labels;
    size_t marker = 0;
    for (size_t k = 0; k < em.code.size(); ++k) {
        const Ins& i = em.code[k];
        if (i.op == op::LABEL) labels[i.imm] = at[k];
        if (i.op == op::LINE) {
            const LineKind kind = marker < kinds_.size() ? kinds_[marker] : LineKind::Statement;
            ++marker;
            info_.lines.push_back({at[k], uint32_t(i.imm), kind});
        }
    }
    for (const auto& [label, value] : places_)
        if (labels.count(label)) info_.places.push_back({labels[label], value});
    std::sort(info_.places.begin(), info_.places.end(),
              [](const DebugPlace& a, const DebugPlace& b) { return a.address < b.address; });
    for (const Function& fn : functions_) {
        const Symbol* f = fn.sym;
        DebugFunction d;
        d.id = fn.id;
        d.name = f->name;
        d.start = labels.count(fn.startLabel) ? labels[fn.startLabel] : 0;
        d.end = labels.count(fn.endLabel) ? labels[fn.endLabel] : d.start;
        d.file = fileNumber(f->loc.file);
        d.line = f->loc.line;
        d.returnType = typeId(f->type ? f->type->base : nullptr);
        for (const Symbol* p : f->params) {
            const Symbol* home = p->paramCopy ? p->paramCopy : p;
            d.params.push_back({p->name, home->frameOffset, typeId(p->type), 0, 0});
        }
        const int end = f->body && f->body->end.line > 0 ? f->body->end.line : 0xFFFF;
        collectLocals(f->body, end, d);
        info_.functions.push_back(std::move(d));
    }
    std::set<const Symbol*> seen;
    for (const Symbol* g : prog.globals) {
        if (!g->laidOut || g->isLiteral || g->name.empty() || !seen.insert(g).second) continue;
        info_.globals.push_back({g->name, int32_t(g->address), typeId(g->type), 0, 0});
    }
    for (const Symbol& s : prog.symbols) {
        if (s.storage != Storage::Typedef || !s.loc.file || !marked_(s.loc.file->path)) continue;
        info_.typedefs.push_back({s.name, typeId(s.type)});
    }
    info_.files = paths_;
}

}  // namespace corvane::cc
