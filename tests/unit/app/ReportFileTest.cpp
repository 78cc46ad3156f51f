// The run report file: modem answers keep every byte, an old report is
// replaced, and a target that cannot be written is said and leaves nothing behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/ReportFile.h"
#include "platform/fake/FakeSystem.h"
#include "support/Process.h"

namespace nubo {
namespace {

using testing::Bytes;

TEST(RunReport, AnswersKeepEveryByteByTheReadersRule) {
    const std::string answers[] = {Bytes("\r\nA\0B\xff\xc3(\xe2\x82\r\nOK\r\n"),
                                   Bytes("caf\xc3\xa9\0 OK\r\n")};
    RunReport report;
    report.tests.resize(std::size(answers));
    for (std::size_t i = 0; i < std::size(answers); ++i) report.tests[i].answer = answers[i];
    FakeSystem system;
    const auto doc = nlohmann::json::parse(RunReportJson(report, system));
    for (std::size_t i = 0; i < std::size(answers); ++i) {
        const auto& test = doc["tests"][i];
        // "answerHex" when the text is not UTF-8, else the string's UTF-8 bytes.
        std::string bytes = test["answer"];
        if (test.contains("answerHex")) {
            const std::string hex = test["answerHex"];
            bytes.clear();
            for (std::size_t k = 0; k + 1 < hex.size(); k += 2) {
                bytes += static_cast<char>(std::stoi(hex.substr(k, 2), nullptr, 16));
            }
        }
        EXPECT_EQ(bytes, answers[i]) << i;
        EXPECT_EQ(test.contains("answerHex"), i == 0);
    }
}

// Fourteen hours ahead and twelve behind: at any moment one of the two zones
// is on another calendar day than UTC, which the offset must not count twice.
TEST(RunReport, TimeCarriesTheZoneOffsetAcrossMidnight) {
    const auto zone = [](const char* tz) {
#ifdef _WIN32
        _putenv_s("TZ", tz);
        _tzset();
#else
        *tz ? setenv("TZ", tz, 1) : unsetenv("TZ");
        tzset();
#endif
    };
    for (const auto& [tz, offset] : {std::pair{"AAA-14", "+14:00"}, {"BBB+12", "-12:00"}}) {
        zone(tz);
        const std::string time = ReportTimeNow();
        EXPECT_EQ(time.substr(time.size() - 6), offset) << time;
    }
    zone("");
}

TEST(RunReport, ReplacesAnOldReportAndSaysWhatItCannotWrite) {
    testing::TempDir dir;
    FakeSystem system;
    RunReport report;
    const std::string target = dir.File("report.json");
    for (const int code : {-2, 22}) {
        std::ostringstream err;
        report.exitCode = code;
        EXPECT_TRUE(WriteRunReport(report, system, target, err)) << err.str();
    }
    EXPECT_EQ(nlohmann::json::parse(testing::ReadFile(target))["exit"]["code"], 22);

    std::filesystem::create_directory(dir.File("taken"));
    for (const std::string& unwritable : {dir.File("missing/report.json"), dir.File("taken")}) {
        std::ostringstream err;
        EXPECT_FALSE(WriteRunReport(report, system, unwritable, err));
        EXPECT_NE(err.str().find(unwritable), std::string::npos) << err.str();
    }
    // No temporary file is left beside either.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace nubo
