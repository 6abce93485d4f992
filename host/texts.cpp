#include "host/texts.h"

#include <array>
#include <string>

namespace corvane {

namespace {

struct Tables {
    std::array<std::array<std::string, kTextIdCount>, kLanguageCount> text;
    std::vector<std::string> problems;
};

std::optional<int> idByName(std::string_view name) {
    for (int i = 0; i < kTextIdCount; ++i)
        if (name == kTextIdNames[i]) return i;
    return std::nullopt;
}

// The quoted text of a line, its escapes resolved; none when the line is not of that form.
std::optional<std::string> quotedText(std::string_view s) {
    if (s.size() < 2 || s.front() != '"' || s.back() != '"') return std::nullopt;
    std::string out;
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        char c = s[i];
        if (c == '"') return std::nullopt;
        if (c == '\\') {
            if (i + 2 >= s.size()) return std::nullopt;
            c = s[++i];
            if (c == 'n') {
                c = '\n';
            } else if (c != '"' && c != '\\') {
                return std::nullopt;
            }
        }
        out += c;
    }
    return out;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// One table into `texts`; what is wrong goes to `problems`, named by file and line.
void parseTable(const TextTableSource& source, std::array<std::string, kTextIdCount>& texts,
                std::array<bool, kTextIdCount>& given, std::vector<std::string>& problems) {
    const std::string file = std::string(source.code) + ".txt";
    std::string_view rest = source.text;
    for (int number = 1; !rest.empty(); ++number) {
        const size_t end = rest.find('\n');
        const std::string_view line = trimmed(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        const std::string where = file + ":" + std::to_string(number) + ": ";
        const size_t equals = line.find('=');
        const std::optional<std::string> text = equals == std::string_view::npos
                                                    ? std::nullopt
                                                    : quotedText(trimmed(line.substr(equals + 1)));
        if (!text) {
            problems.push_back(where + "not Id = \"text\"");
            continue;
        }
        const std::string_view name = trimmed(line.substr(0, equals));
        const std::optional<int> id = idByName(name);
        if (!id) {
            problems.push_back(where + "no text is called " + std::string(name));
            continue;
        }
        if (given[size_t(*id)]) problems.push_back(where + std::string(name) + " again");
        given[size_t(*id)] = true;
        texts[size_t(*id)] = *text;
    }
    for (int i = 0; i < kTextIdCount; ++i)
        if (!given[size_t(i)]) problems.push_back(file + ": " + kTextIdNames[i] + " is missing");
}

const Tables& tables() {
    static const Tables all = [] {
        Tables t;
        for (int lang = 0; lang < kLanguageCount; ++lang) {
            std::array<bool, kTextIdCount> given{};
            parseTable(kTextTableSources[lang], t.text[size_t(lang)], given, t.problems);
            // What a table lacks is said in the default language rather than not at all.
            for (int i = 0; i < kTextIdCount; ++i)
                if (!given[size_t(i)] && lang != kDefaultLanguage)
                    t.text[size_t(lang)][size_t(i)] = t.text[kDefaultLanguage][size_t(i)];
        }
        return t;
    }();
    return all;
}

int gLanguage = kDefaultLanguage;

}  // namespace

std::string_view languageCode(int language) {
    if (language < 0 || language >= kLanguageCount) language = kDefaultLanguage;
    return kTextTableSources[language].code;
}

std::optional<int> languageByCode(std::string_view code) {
    for (int lang = 0; lang < kLanguageCount; ++lang)
        if (code == kTextTableSources[lang].code) return lang;
    return std::nullopt;
}

int textLanguage() {
    return gLanguage;
}

void setTextLanguage(int language) {
    gLanguage = language >= 0 && language < kLanguageCount ? language : kDefaultLanguage;
}

const std::string& hostText(TextId id) {
    return hostTextIn(gLanguage, id);
}

const std::string& hostTextIn(int language, TextId id) {
    if (language < 0 || language >= kLanguageCount) language = kDefaultLanguage;
    return tables().text[size_t(language)][size_t(id)];
}

std::string formatText(TextId id, std::initializer_list<std::string_view> values) {
    const std::string& pattern = hostText(id);
    std::string out;
    auto value = values.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern.compare(i, 2, "%s") == 0) {
            if (value != values.end()) out += *value++;
            ++i;
            continue;
        }
        out += pattern[i];
    }
    return out;
}

std::vector<std::string> textTableProblems() {
    return tables().problems;
}

}  // namespace corvane
