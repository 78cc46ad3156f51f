// The text catalogs: every language well-formed and complete, the key names
// the same in every language, what a translation must keep of the English
// text (the forced line breaks, the welcome text's gap among them), that it is
// translated at all, and the locale-to-language choice.
#include <gtest/gtest.h>

#include <algorithm>

#include "config/KeyNames.h"
#include "platform/Texts.h"

namespace nubo {
namespace {

std::size_t Count(const std::string& text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

TEST(Texts, EveryCatalogIsWellFormedAndHoldsEveryText) {
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
        for (int id : ids) EXPECT_FALSE(texts::Text(lang, id).empty()) << id;
        // The description file's key names are no translation (91 is a text).
        for (int id = keys::kFirmWareVersion; id <= keys::kModemTapiName; ++id) {
            if ((id <= keys::kDiagAnswer || id >= keys::kModemDetectCmd) && id != 91) {
                EXPECT_EQ(texts::Text(lang, id), texts::Text("en-US", id)) << id;
            }
        }
    }
}

TEST(Texts, LocaleChoosesTheLanguageWithEnglishAsFallback) {
    const std::pair<const char*, const char*> cases[] = {
        {"de_DE.UTF-8", "de"}, {"ru_RU.UTF-8", "ru"}, {"pt_PT", "pt-PT"}, {"pt_BR.UTF-8", "pt-PT"},
        {"nb_NO.UTF-8", "nb"}, {"no_NO", "nb"},       {"nn_NO", "nb"},    {"C", "en-US"},
        {"POSIX", "en-US"},    {"", "en-US"},         {"ja_JP", "en-US"}, {"en_GB", "en-US"},
        {"TR_tr", "tr"},       {"cs@euro", "cs"},
    };
    for (const auto& [locale, lang] : cases) {
        EXPECT_EQ(texts::LanguageForLocale(locale), lang) << locale;
    }
    texts::SelectLanguage("xx");
    EXPECT_EQ(texts::SelectedLanguage(), "en-US");
    texts::SelectLanguage("de");
    EXPECT_EQ(texts::SelectedLanguage(), "de");
    EXPECT_EQ(texts::Text(11), texts::Text("de", 11));
    texts::SelectLanguage("en-US");
    EXPECT_EQ(texts::Text(11), "Serial com port");
    EXPECT_EQ(texts::Text(99999), "");
}

TEST(Translation, LineBreaksStayWhereTheEnglishHasThem) {
    for (const std::string& lang : texts::Languages()) {
        for (int id : texts::TextIds("en-US")) {
            const std::string english = texts::Text("en-US", id);
            const std::string text = texts::Text(lang, id);
            EXPECT_EQ(Count(text, '\n'), Count(english, '\n')) << lang << " S " << id;
            EXPECT_EQ(Count(text, '\r'), Count(english, '\r')) << lang << " S " << id;
        }
        for (const auto& [dialog, control] : texts::DialogTextIds("en-US")) {
            const std::string english = texts::DialogText("en-US", dialog, control);
            const std::string text = texts::DialogText(lang, dialog, control);
            EXPECT_EQ(Count(text, '\n'), Count(english, '\n'))
                << lang << " D " << dialog << " " << control;
            EXPECT_EQ(Count(text, '\r'), Count(english, '\r'))
                << lang << " D " << dialog << " " << control;
        }
        // Eight CRs in a row make the welcome text's gap.
        EXPECT_NE(texts::DialogText(lang, 107, 9002).find(std::string(8, '\r')), std::string::npos)
            << lang;
    }
}

TEST(Translation, NoLanguageButEnglishIsStillTheEnglishCopy) {
    // Texts that a language may well share with English ("Modem:") are few;
    // a catalog that kept most English texts has not been translated.
    for (const std::string& lang : texts::Languages()) {
        if (lang == "en-US") continue;
        int same = 0;
        int all = 0;
        for (const auto& [dialog, control] : texts::DialogTextIds("en-US")) {
            ++all;
            same += texts::DialogText(lang, dialog, control) ==
                    texts::DialogText("en-US", dialog, control);
        }
        EXPECT_LT(same * 5, all) << lang << ": " << same << " of " << all << " as in English";
    }
}

}  // namespace
}  // namespace nubo
