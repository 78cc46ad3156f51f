// Fuzz target: the modem description file as a whole - the section scan, the
// value reader, the identification keys and the lookup of a model in it. The
// first bytes choose the names looked for; the rest is the file.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "config/IdentifyCommands.h"
#include "config/IniFile.h"
#include "config/ModemDescription.h"
#include "config/ProfileReader.h"
#include "run/RunSettings.h"
#include "wizard/fake/FakeDialogItems.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nubo;
    FuzzedDataProvider in(data, size);
    const std::string model = in.ConsumeRandomLengthString(40);
    const std::string firmware = in.ConsumeRandomLengthString(20);
    const std::string key = in.ConsumeRandomLengthString(30);
    const std::size_t buffer = in.ConsumeIntegralInRange<std::size_t>(0, 300);
    const std::string file = in.ConsumeRemainingBytesAsString();

    CIniFile ini(fuzz::WriteScratch("ini", file));
    const int last = ini.Load();
    fuzz::Require(last == (ini.sections.empty() ? 0 : static_cast<int>(ini.sections.size()) - 1),
                  "Load gives the index of the last section");
    const int count = static_cast<int>(ini.sections.size());
    for (int i = 0; i < count && i < 16; ++i) {
        const int found = ini.FindSection(ini.sections[i], 0);
        fuzz::Require(found >= 0 && found <= i, "a listed section is found at or before itself");
        fuzz::Require(ini.FindSection(ini.sections[i], i) >= i, "search starts where asked");
        const std::string value = ini.GetValue(ini.sections[i], key);
        fuzz::Require(value.size() < 80, "values are cut to the buffer");
    }
    fuzz::Require(ini.FindSection(model, count) == -1, "nothing past the end");

    const std::string value = ReadProfileString(ini.path, model, key, firmware, buffer);
    fuzz::Require(buffer == 0 ? value.empty() : value.size() < buffer, "buffer bound holds");

    const IdentifyCommands commands = ReadIdentifyCommands(ini);
    fuzz::Require(commands.detectCmd.size() < 80, "identification texts are cut");

    RunSettings settings;
    FakeWizardHost host;
    ModemCommandSet set;
    LoadModemDescription(ini, model, firmware, set, settings, host);
    FirmwareConditionHolds(key, firmware);

    // A second load of the same file must not add names twice.
    fuzz::Require(ini.Load() == last && static_cast<int>(ini.sections.size()) == count,
                  "reloading gives the same list");
    return 0;
}
