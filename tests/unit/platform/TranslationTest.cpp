// What a translation must keep of the English text: the forced line breaks
// (the welcome text's blank lines among them); and that it is translated at all.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Texts.h"

namespace nubo {
namespace {

std::size_t Count(const std::string& text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
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
