// The tables of host texts as built into the program: every text in every language, the same
// values to fill in, drawable with the handheld's fonts where the window draws it, and the
// default language saying exactly what the handheld's own program said.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/texts.h"
#include "library/gb2312.h"

namespace corvane {
namespace {

// The %-sequences of a text in order: only %s is one.
std::vector<std::string> placeholders(const std::string& text) {
    std::vector<std::string> out;
    for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 2))
        out.push_back(text.substr(at, 2));
    return out;
}

TEST(TextTables, EveryLanguageHasEveryTextWithTheSameValues) {
    EXPECT_EQ(textTableProblems(), std::vector<std::string>{});
    ASSERT_GE(kLanguageCount, 2);
    EXPECT_EQ(languageCode(kDefaultLanguage), "zh");
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        const std::string code(languageCode(lang));
        EXPECT_EQ(languageByCode(code), lang);
        for (int i = 0; i < kTextIdCount; ++i) {
            const TextId id = TextId(i);
            const std::string& text = hostTextIn(lang, id);
            SCOPED_TRACE(code + " " + kTextIdNames[i]);
            EXPECT_FALSE(text.empty());
            for (const std::string& p : placeholders(text)) EXPECT_EQ(p, "%s");
            EXPECT_EQ(placeholders(text), placeholders(hostTextIn(kDefaultLanguage, id)));
            // What the window draws (the menu, notices, signs, the in-window chooser) uses the
            // handheld's GB2312 fonts; a character outside them would show as "?".
            const std::string name = kTextIdNames[i];
            std::string gb;
            if (name.rfind("Menu", 0) == 0 || name.rfind("Notice", 0) == 0 ||
                name.rfind("Sign", 0) == 0 || name.rfind("Dialog", 0) == 0 ||
                name == "LanguageName") {
                EXPECT_TRUE(utf8ToGb2312(text, gb)) << text;
            }
        }
    }
    EXPECT_EQ(languageByCode("EN"), std::nullopt);  // codes are the tables' names exactly
    EXPECT_EQ(languageByCode(""), std::nullopt);
}

// The default language keeps the handheld program's own texts byte for byte; English is another
// text for each of them.
TEST(TextTables, TheDefaultLanguageKeepsTheDescribedTexts) {
    const std::pair<TextId, const char*> described[] = {
        {TextId::MenuFile, "文件"},
        {TextId::MenuOpen, "打开Quillbox文件..."},
        {TextId::MenuClose, "关闭Quillbox"},
        {TextId::MenuReset, "复位        F8"},
        {TextId::MenuSettings, "设定"},
        {TextId::MenuInterlace, "隔行扫描"},
        {TextId::MenuBlackWhite, "黑白"},
        {TextId::MenuExit, "退出"},
        {TextId::MessageOutOfMemory, "内存不足!"},
        {TextId::MessageNoFontFile, "无法打字体文件duzezi.dat!"},
        {TextId::MessageCannotOpen, "无法打开Quillbox文件!"},
        {TextId::MessageInvalidFromDialog, "不是有效的VRN文件!"},
        {TextId::MessageInvalidFromCommandLine, "不是有效的Quillbox文件!"},
        {TextId::DialogOpenTitle, "打开Quillbox文件"},
        {TextId::DialogProgramFilter, "Quillbox文件 (*.vrn)"},
        {TextId::DialogAllFilter, "所有文件 (*.*)"},
    };
    const std::optional<int> english = languageByCode("en");
    ASSERT_TRUE(english);
    for (const auto& [id, text] : described) {
        EXPECT_EQ(hostTextIn(kDefaultLanguage, id), text);
        EXPECT_NE(hostTextIn(*english, id), text);
    }
}

TEST(TextTables, LanguageChoiceAndFilledValues) {
    const int english = *languageByCode("en");
    {
        const TextLanguageScope scope(english);
        EXPECT_EQ(hostText(TextId::MenuExit), "Exit");
        EXPECT_EQ(formatText(TextId::NoticeStateSaved, {"a.1.state"}), "State saved: a.1.state");
        // A value missing stays empty; a value too many is left out.
        EXPECT_EQ(formatText(TextId::AboutRoot, {}), "Root folder: ");
        EXPECT_EQ(formatText(TextId::SignFastForward, {"4", "x"}), "Fast 4x");
        setTextLanguage(kLanguageCount);  // none such: the default
        EXPECT_EQ(textLanguage(), kDefaultLanguage);
        EXPECT_EQ(formatText(TextId::NoticeRewound, {"1.5"}), "倒带 1.5 秒");
    }
    EXPECT_EQ(textLanguage(), kDefaultLanguage);
}

}  // namespace
}  // namespace corvane
