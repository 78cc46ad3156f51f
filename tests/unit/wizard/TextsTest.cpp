// The text catalogs: every language well-formed and complete, what a
// translation must keep of the English text (the forced line breaks, the
// welcome text's gap among them), that it is translated at all, the key names
// the same in every language, and the locale-to-language choice.
#include <gtest/gtest.h>

#include <algorithm>

#include "config/KeyNames.h"
#include "wizard/Texts.h"

namespace nubo {
namespace {

std::size_t Count(const std::string& text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

// Line breaks of a text, "\n" and "\r" counted apart.
std::pair<std::size_t, std::size_t> Breaks(const std::string& text) {
    return {Count(text, '\n'), Count(text, '\r')};
}

TEST(Texts, EveryCatalogIsWellFormedCompleteAndTranslated) {
    const auto ids = texts::TextIds("en-US");
    const auto dialogIds = texts::DialogTextIds("en-US");
    ASSERT_FALSE(ids.empty());
    ASSERT_EQ(texts::Languages().size(), 14u);
    for (const std::string& lang : texts::Languages()) {
        SCOPED_TRACE(lang);
        std::string error;
        EXPECT_TRUE(texts::CheckCatalog(lang, error)) << error;
        EXPECT_EQ(texts::TextIds(lang), ids);
        EXPECT_EQ(texts::DialogTextIds(lang), dialogIds);
        // Every text there, its forced line breaks where the English has them.
        for (int id : ids) {
            const std::string text = texts::Text(lang, id);
            const std::string english = texts::Text("en-US", id);
            EXPECT_FALSE(text.empty()) << id;
            EXPECT_EQ(Breaks(text), Breaks(english)) << id;
            // The details filled into a text (%1, %2) are all there.
            for (const char* mark : {"%1", "%2"}) {
                EXPECT_EQ(text.find(mark) == std::string::npos,
                          english.find(mark) == std::string::npos)
                    << id << " " << mark;
            }
        }
        // Texts that a language may well share with English ("Modem:") are
        // few; a catalog that kept most English texts has not been translated.
        int same = 0;
        for (const auto& [dialog, control] : dialogIds) {
            const std::string english = texts::DialogText("en-US", dialog, control);
            const std::string text = texts::DialogText(lang, dialog, control);
            EXPECT_EQ(Breaks(text), Breaks(english)) << dialog << " " << control;
            same += text == english;
        }
        if (lang != "en-US") {
            EXPECT_LT(same * 5, static_cast<int>(dialogIds.size())) << same << " as in English";
        }
        // Eight CRs in a row make the welcome text's gap.
        EXPECT_NE(texts::DialogText(lang, 107, 9002).find(std::string(8, '\r')), std::string::npos);
        // The description file's key names are no translation (91 is a text).
        for (int id = keys::kFirmWareVersion; id <= keys::kModemTapiName; ++id) {
            if ((id <= keys::kDiagAnswer || id >= keys::kModemDetectCmd) && id != 91) {
                EXPECT_EQ(texts::Text(lang, id), texts::Text("en-US", id)) << id;
            }
        }
    }
}

TEST(Texts, LocaleChoosesTheLanguageWithEnglishAsFallback) {
    // de, ru and C: the wizard walk's.
    const std::pair<const char*, const char*> cases[] = {
        {"pt_PT", "pt-PT"}, {"pt_BR.UTF-8", "pt-PT"}, {"nb_NO.UTF-8", "nb"}, {"no_NO", "nb"},
        {"nn_NO", "nb"},    {"POSIX", "en-US"},       {"", "en-US"},         {"ja_JP", "en-US"},
        {"en_GB", "en-US"}, {"TR_tr", "tr"},          {"cs@euro", "cs"},
    };
    for (const auto& [locale, lang] : cases) {
        EXPECT_EQ(texts::LanguageForLocale(locale), lang) << locale;
    }
    // The selected language's texts are the wizard walk's.
    texts::SelectLanguage("xx");
    EXPECT_EQ(texts::SelectedLanguage(), "en-US");
    EXPECT_EQ(texts::Text(99999), "");
}

}  // namespace
}  // namespace nubo
