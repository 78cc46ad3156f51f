// The run report as a JSON file, for scripts that would otherwise scrape the
// log. Start-up writes it once, at the end of the run, on the UI thread.
#pragma once
#include <cstdint>
#include <ostream>
#include <string>

#include "run/RunReport.h"

namespace nubo {

class System;

// Names the file a run leaves its report in; no report without it.
constexpr const char* kReportVariable = "NUBOTEST_REPORT";

// The local time now in ISO 8601 with its offset from UTC.
std::string ReportTimeNow();

// The report as JSON text. Texts that are not valid UTF-8 keep their exact
// bytes in a "<key>Hex" field beside them.
std::string RunReportJson(const RunReport& report, System& system);

// Writes the report beside path and renames it into place, so that a reader
// never sees half of it. A failure is said on err; false then.
bool WriteRunReport(const RunReport& report, System& system, const std::string& path,
                    std::ostream& err);

}  // namespace nubo
