#include "host/cmdline.h"

#include <filesystem>
#include <system_error>

#include "library/path.h"

namespace corvane {

bool existingFile(const std::string& path) {
    std::error_code ec;
    auto status = std::filesystem::status(hostFsPath(path), ec);
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

uint32_t switchValue(const std::string& text, size_t at) {
    uint32_t value = 0;
    for (size_t i = at; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + uint32_t(text[i] - '0');
    return value;
}

Switches parseCommandLineText(const std::string& line) {
    Switches s;
    if (size_t at = line.find("/S"); at != std::string::npos)
        s.stopValue = int32_t(switchValue(line, at + 2));
    if (size_t at = line.find("/W"); at != std::string::npos)
        s.debugger = switchValue(line, at + 2);
    if (size_t at = line.find("/R"); at != std::string::npos) s.image = line.substr(at + 2);
    return s;
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The path after "/R" without its quotes and without blanks around it.
std::string windowsPathText(const std::string& text) {
    std::string path;
    for (char c : text)
        if (c != '"') path += c;
    size_t from = 0, to = path.size();
    while (from < to && isBlank(path[from])) ++from;
    while (to > from && isBlank(path[to - 1])) --to;
    return path.substr(from, to - from);
}

}  // namespace

std::vector<std::string> splitWindowsArguments(const std::string& line) {
    std::vector<std::string> args;
    const size_t n = line.size();
    size_t i = 0;
    for (;;) {
        while (i < n && isBlank(line[i])) ++i;
        if (i >= n) break;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || !isBlank(line[i]))) {
            size_t slashes = 0;
            while (i < n && line[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < n && line[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2 == 1 || (quoted && i + 1 < n && line[i + 1] == '"')) {
                    arg += '"';  // an escaped quote, or "" inside a quoted part
                    i += slashes % 2 == 1 ? 1 : 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
                continue;
            }
            arg.append(slashes, '\\');
            if (i < n && (quoted || !isBlank(line[i]))) arg += line[i++];
        }
        args.push_back(std::move(arg));
    }
    return args;
}

Switches parseWindowsCommandLine(const std::string& line) {
    Switches s = parseCommandLineText(line);
    if (s.image) {
        s.image = windowsPathText(*s.image);
        return s;
    }
    std::string path;
    for (const std::string& arg : splitWindowsArguments(line)) {
        if (arg.empty() || arg.rfind("/S", 0) == 0 || arg.rfind("/W", 0) == 0) continue;
        if (!path.empty()) path += ' ';
        path += arg;
    }
    if (!path.empty()) s.image = std::move(path);
    return s;
}

namespace {

const OptionDef* findOption(const std::vector<OptionDef>& options, const std::string& name) {
    for (const OptionDef& o : options)
        if (o.name == name) return &o;
    return nullptr;
}

ParseOutcome usage(std::string error) {
    ParseOutcome out;
    out.ok = false;
    out.error = std::move(error);
    return out;
}

}  // namespace

ParseOutcome parseArguments(const std::vector<std::string>& args,
                            const std::vector<OptionDef>& options, const FileExists& exists) {
    ParseOutcome out;
    CommandLine& cl = out.commandLine;
    auto setImage = [&](std::string path) -> bool {
        if (cl.switches.image) return false;
        cl.switches.image = std::move(path);
        return true;
    };

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.empty() && exists(arg)) {
            if (!setImage(arg)) return usage("more than one program image: " + arg);
            continue;
        }
        if (arg.rfind("/S", 0) == 0) {
            cl.switches.stopValue = int32_t(switchValue(arg, 2));
            continue;
        }
        if (arg.rfind("/W", 0) == 0) {
            cl.switches.debugger = switchValue(arg, 2);
            continue;
        }
        if (arg.rfind("/R", 0) == 0) {
            std::string path = arg.substr(2);
            if (path.empty()) {
                // "/R" alone: everything after it is the path, as it was typed with blanks.
                for (size_t j = i + 1; j < args.size(); ++j) {
                    if (j > i + 1) path += ' ';
                    path += args[j];
                }
                i = args.size();
            }
            if (path.empty()) return usage("/R needs a program image");
            if (!setImage(path)) return usage("more than one program image: " + path);
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            cl.help = true;
            continue;
        }
        if (arg == "--version") {
            cl.version = true;
            continue;
        }
        if (arg.rfind("--", 0) == 0 && arg.size() > 2) {
            std::string name = arg.substr(2);
            std::string value;
            bool inlineValue = false;
            if (size_t eq = name.find('='); eq != std::string::npos) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
                inlineValue = true;
            }
            const OptionDef* option = findOption(options, name);
            if (!option) return usage("unknown option --" + name);
            if (option->takesValue && !inlineValue) {
                if (i + 1 >= args.size()) return usage("--" + name + " needs a value");
                value = args[++i];
            } else if (!option->takesValue && inlineValue) {
                return usage("--" + name + " takes no value");
            }
            cl.options.emplace_back(name, value);
            continue;
        }
        if (arg.empty() || arg[0] == '-') return usage("unknown option " + arg);
        // A bare path that names no existing file here: it may lie below "ROM"/"Directory".
        if (!setImage(arg)) return usage("more than one program image: " + arg);
    }
    return out;
}

}  // namespace corvane
