// The text catalogs: every language well-formed and complete, and the
// locale-to-language choice. The key names are checked with the description file.
#include <gtest/gtest.h>

#include "platform/Texts.h"

namespace nubo {
namespace {

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

}  // namespace
}  // namespace nubo
