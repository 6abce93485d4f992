#pragma once
// The host's texts in the language chosen: every text the window, the menu, the message boxes
// and the dialogs show, by id. The tables are resources/texts/<code>.txt, built into the program
// (host/text_ids.h and its tables are generated from them); Chinese is the default, and a text a
// table lacks is taken from the default one. The language is one choice for the whole process,
// made at start-up (vorn.ini, the runner's --lang) and from the menu.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/text_ids.h"

namespace corvane {

// Languages are numbered in table order: the default first.
inline constexpr int kDefaultLanguage = 0;

// A language's code, the name of its table ("zh", "en").
std::string_view languageCode(int language);
// The language of a code, exactly as the table is named; none for another.
std::optional<int> languageByCode(std::string_view code);

// The language of the texts, kDefaultLanguage until chosen. A number outside the tables chooses
// the default.
int textLanguage();
void setTextLanguage(int language);

// A text (UTF-8) in the current language, or in a given one.
const std::string& hostText(TextId id);
const std::string& hostTextIn(int language, TextId id);

// A text with its %s filled in by `values`, in order; a %s without a value stays empty.
std::string formatText(TextId id, std::initializer_list<std::string_view> values);

// What is wrong in the tables as built: lines that are not `Id = "text"`, ids the default table
// does not have, ids given twice, ids a table lacks. Empty when all is well.
std::vector<std::string> textTableProblems();

// The language for the length of a scope (tests, and a runner that prints in another language
// than the window's), the one before afterwards.
class TextLanguageScope {
  public:
    explicit TextLanguageScope(int language) : before_(textLanguage()) {
        setTextLanguage(language);
    }
    ~TextLanguageScope() { setTextLanguage(before_); }
    TextLanguageScope(const TextLanguageScope&) = delete;
    TextLanguageScope& operator=(const TextLanguageScope&) = delete;

  private:
    int before_;
};

}  // namespace corvane
