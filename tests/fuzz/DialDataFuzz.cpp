// Fuzz target: the dial data file as the search page reads it into its
// location box, and the column reader on the raw bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "config/DialData.h"
#include "wizard/fake/FakeDialogItems.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nubo;
    FuzzedDataProvider in(data, size);
    const int column = in.ConsumeIntegralInRange<int>(-1, 8);
    const int pick = in.ConsumeIntegralInRange<int>(0, 64);
    const std::string file = in.ConsumeRemainingBytesAsString();

    std::string field;
    if (ReadDialField(file, column, field)) {
        fuzz::Require(column >= 1, "column 0 and below are never read");
        fuzz::Require(field.size() <= file.size(), "a field is part of its line");
    } else {
        fuzz::Require(field.empty(), "a missing field is empty");
    }

    FakeDialogItems items;
    std::vector<DialEntry> entries;
    LoadDialData(fuzz::WriteScratch("dat", file), items, entries);
    const auto& box = items.lists[ctl::kLocationBox];
    fuzz::Require(box.items.size() == entries.size(), "one box item per entry");
    for (const DialEntry& entry : entries) {
        fuzz::Require(entry.number.size() <= 2 * 127, "number columns are cut");
        fuzz::Require(entry.location.size() < 512, "a location fits the line buffer");
    }
    if (!entries.empty()) {
        items.ListSelect(ctl::kLocationBox, pick % static_cast<int>(entries.size()));
        ShowLocationNumber(items, entries);
    }
    return 0;
}
