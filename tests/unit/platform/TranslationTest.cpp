// What a translation must keep of the English text: the forced line breaks
// (the welcome text's blank lines among them), the names the program's own
// words and the product carry, and the name of the Next button where a text
// tells the user to press it.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Texts.h"

namespace nubo {
namespace {

std::size_t Count(const std::string& text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

// The Next button's label as the user reads it: no mnemonic, no arrow.
std::string NextLabel(const std::string& lang) {
    std::string label = texts::Text(lang, 9102);
    std::erase(label, '&');
    if (label.ends_with(" >")) label.resize(label.size() - 2);
    return label;
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

TEST(Translation, NamesStayAndThePressNextTextsNameTheButton) {
    const std::pair<int, const char*> names[] = {
        {1, "NUBO"},
        {10, "NUBO"},
        {46, "TAPI"},
        {46, "Windows"},
    };
    for (const std::string& lang : texts::Languages()) {
        SCOPED_TRACE(lang);
        for (const auto& [id, name] : names) {
            EXPECT_NE(texts::Text(lang, id).find(name), std::string::npos) << id;
        }
        EXPECT_NE(texts::DialogText(lang, 129, 1062).find("REDIziv"), std::string::npos);
        EXPECT_NE(texts::DialogText(lang, 170, 1062).find("REDIziv"), std::string::npos);
        EXPECT_NE(texts::DialogText(lang, 107, 1020).find("NUBO"), std::string::npos);
        const std::string next = NextLabel(lang);
        ASSERT_FALSE(next.empty());
        EXPECT_NE(texts::Text(lang, 54).find(next), std::string::npos) << next;
        EXPECT_NE(texts::DialogText(lang, 107, 9002).find(next), std::string::npos) << next;
        EXPECT_NE(texts::DialogText(lang, 168, 9002).find(next), std::string::npos) << next;
        // Every wizard button keeps a mnemonic where the English has one.
        for (int id : {9101, 9102, 9103, 9104}) {
            EXPECT_EQ(Count(texts::Text(lang, id), '&'), Count(texts::Text("en-US", id), '&'))
                << id;
        }
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
