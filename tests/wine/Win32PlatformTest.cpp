// The Win32 layer on a real Windows API (Wine): what the system reports, the
// user's language as a catalog, the registry behind the port list and the
// installed modems, and, when NUBO_COM_PORT names a port with the modem
// emulator on it, the serial device under the core's own identification.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "discovery/IdentifyModem.h"
#include "discovery/RegistryPorts.h"
#include "frontend/win32/TemplatePage.h"
#include "modemtests/TapiRegistration.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Serial.h"
#include "platform/win32/Win32System.h"
#include "serial/PortFailureText.h"
#include "ui/DialogTemplates.h"
#include "wizard/Texts.h"

namespace nubo {
namespace {

TEST(Win32System, AnswersOfTheRunningSystem) {
    Win32System system;
    EXPECT_EQ(system.Family(), PlatformFamily::NT);
    EXPECT_GE(system.MajorVersion(), 5u);
    const CommonControlsVersion cc = system.CommonControls();
    EXPECT_TRUE(cc.obtained);
    EXPECT_GE(cc.major * 100 + cc.minor, 471u);

    const std::string path = system.ProgramPath();
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << path;
    const std::string beside = BesideProgram(system, ".ini");
    EXPECT_EQ(beside, path.substr(0, path.size() - 4) + ".ini");

    // A value longer than the first buffer, and the style override.
    const std::string longValue(700, 'v');
    SetEnvironmentVariableA("NUBO_LONG", longValue.c_str());
    EXPECT_EQ(system.Environment("NUBO_LONG"), longValue);
    EXPECT_EQ(system.Environment("NUBO_UNSET_VARIABLE"), "");
    SetEnvironmentVariableA("NUBOTEST_WIZARD_STYLE", "old");
    EXPECT_EQ(system.CommonControls().minor, 70u);
    SetEnvironmentVariableA("NUBOTEST_WIZARD_STYLE", nullptr);

    SYSTEMTIME before{};
    GetLocalTime(&before);
    const LocalTime now = system.Now();
    EXPECT_EQ(now.year, before.wYear);
    EXPECT_EQ(now.month, before.wMonth);
}

TEST(Win32System, LanguageIdsReachTheirCatalogs) {
    const struct {
        unsigned langId;
        const char* catalog;
    } rows[] =
        {
            {0x0409, "en-US"}, {0x0809, "en-US"}, {0x0407, "de"},    {0x0807, "de"},
            {0x040C, "fr"},    {0x0410, "it"},    {0x0C0A, "es"},    {0x0816, "pt-PT"},
            {0x0416, "pt-PT"}, {0x0413, "nl"},    {0x0406, "da"},    {0x0414, "nb"},
            {0x0814, "nb"},    {0x040B, "fi"},    {0x0415, "pl"},    {0x0405, "cs"},
            {0x0419, "ru"},    {0x041F, "tr"},    {0x0411, "en-US"},  // a language without a
                                                                      // catalog
        };
    for (const auto& r : rows) {
        EXPECT_EQ(texts::LanguageForLocale(LocaleForLanguageId(r.langId)), r.catalog)
            << std::hex << r.langId << " " << LocaleForLanguageId(r.langId);
    }
}

// Writes HKLM\<path> value "Model"; the layer itself only reads.
void WriteModel(const std::string& path, const char* model) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Model", 0, REG_SZ, reinterpret_cast<const BYTE*>(model),
                   static_cast<DWORD>(std::strlen(model) + 1));
    RegCloseKey(key);
}

TEST(Win32Registry, InstalledModemsComeFromTheModemClass) {
    Win32System system;
    Win32Registry registry;
    const std::string entry7 = ModemClassKey(7, system);
    WriteModel(entry7, "NUBO 56K-PRO  ");
    RegistryModems installed(registry, system);
    const std::vector<std::string> models = installed.Models();
    ASSERT_EQ(models.size(), 10u);
    EXPECT_EQ(models[7], "NUBO 56K-PRO  ");
    // As the Windows program asks: through the installed-modems source.
    EXPECT_EQ(CheckTapiRegistration("NUBO 56K-PRO", {system, nullptr, &installed}), 1);
    EXPECT_EQ(CheckTapiRegistration("?56K", {system, &registry, nullptr}), 1);
    EXPECT_EQ(CheckTapiRegistration("NUBO 33K6", {system, &registry, nullptr}), -1);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, entry7.c_str());
    EXPECT_EQ(CheckTapiRegistration("NUBO 56K-PRO", {system, &registry, nullptr}), -1);
}

TEST(Win32Registry, ReadsKeysAndValuesOfTheSystem) {
    Win32Registry registry;
    const Registry::Key key =
        registry.Open(Registry::kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion");
    ASSERT_NE(key, 0);
    RegValue value;
    ASSERT_TRUE(registry.QueryValue(key, "CurrentVersion", value));
    EXPECT_EQ(value.type, RegType::String);
    ASSERT_FALSE(value.data.empty());
    EXPECT_EQ(value.data.back(), '\0');
    EXPECT_FALSE(registry.QueryValue(key, "No such value", value));
    std::uint32_t values = 0;
    while (registry.EnumValue(key, values, value)) ++values;
    EXPECT_GT(values, 2u);
    std::string name;
    EXPECT_TRUE(registry.EnumKey(key, 0, name));
    registry.Close(key);
    EXPECT_EQ(registry.Open(Registry::kLocalMachine, "Software\\No\\Such\\Key"), 0);
    EXPECT_FALSE(registry.EnumKey(0, 0, name));
}

// Some serial drivers refuse a second opener with a sharing violation rather
// than "access denied"; the user is told the same either way.
TEST(Win32SerialDriver, OpenErrorsSayWhy) {
    Win32SerialDriver driver;
    const struct {
        DWORD error;
        const char* said;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, "no such port"},
        {ERROR_ACCESS_DENIED, "held by another program"},
        {ERROR_SHARING_VIOLATION, "held by another program"},
        {ERROR_GEN_FAILURE, "cannot be opened (error 31)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribePortFailure("COM7", driver.ExplainOpenFailure("COM7", c.error)),
                  std::string("COM7: ") + c.said);
    }
}

// The port named by NUBO_COM_PORT has the modem emulator behind it.
class Win32Serial : public ::testing::Test {
protected:
    void SetUp() override {
        const char* port = std::getenv("NUBO_COM_PORT");
        if (!port) GTEST_SKIP() << "NUBO_COM_PORT names no port with the emulator";
        port_ = port;
    }
    std::string port_;
    Win32SerialDriver driver_;
    Win32Clock clock_;
};

TEST_F(Win32Serial, TheCoreIdentifiesTheModem) {
    DetectedModem modem;
    ASSERT_TRUE(IdentifyModem({driver_, clock_}, port_,
                              {"ATI", "Communications", "ATI3", "AT+GMM", "ATI7"}, modem));
    EXPECT_EQ(modem.modelName, "NUBO 56K-PRO");
    EXPECT_EQ(modem.firmware, "2.14");
}

TEST_F(Win32Serial, ExclusiveOpenAndReadTimeOut) {
    auto device = driver_.Open(port_);
    ASSERT_TRUE(device);
    // Windows' serial driver keeps a second opener out; Wine lets it in (its
    // COM ports are plain Unix devices), so there only Windows is checked.
    const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    if (!wine) {
        EXPECT_FALSE(driver_.Open(port_)) << "a second opener got the port";
        EXPECT_EQ(driver_.LastError(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    }

    SerialTimeouts t;
    ASSERT_TRUE(device->GetTimeouts(t));
    t.readInterval = 0;
    t.readTotalPerByte = 0;
    t.readTotalConstant = 500;
    ASSERT_TRUE(device->SetTimeouts(t));
    ASSERT_TRUE(device->PurgeInput());
    char byte = 0;
    std::uint32_t got = 1;
    const std::uint32_t start = clock_.TickCount();
    EXPECT_TRUE(device->Read(&byte, 1, got));
    const std::uint32_t waited = clock_.TickCount() - start;
    EXPECT_EQ(got, 0u);
    EXPECT_GE(waited, 400u);
    EXPECT_LT(waited, 1500u);
    EXPECT_FALSE(device->WaitForInput(50));

    // Wake ends another thread's wait on the silent line long before its
    // time-out; one that finds no wait ends the next at once. Wine 8 lets a
    // synchronous read run to its time-out although CancelIoEx reports it
    // cancelled, so there only the second is checked.
    std::thread waker([&] {
        clock_.Sleep(300);
        device->Wake();
    });
    const std::uint32_t waitStart = clock_.TickCount();
    EXPECT_FALSE(device->WaitForInput(wine ? 1000 : 10000));
    waker.join();
    const std::uint32_t woke = clock_.TickCount() - waitStart;
    EXPECT_TRUE(wine || woke < 5000u) << woke;
    device->Wake();
    const std::uint32_t readStart = clock_.TickCount();
    EXPECT_TRUE(device->Read(&byte, 1, got));
    EXPECT_LT(clock_.TickCount() - readStart, 400u);
    EXPECT_TRUE(device->Close());
    EXPECT_FALSE(device->Close());
}

TEST_F(Win32Serial, ThePortListNamesThePort) {
    Win32Registry registry;
    RegistryPorts ports(registry, PlatformFamily::NT);
    std::vector<std::string> names;
    EXPECT_TRUE(ports.ListPorts([&](const std::string& name) { names.push_back(name); }));
    EXPECT_NE(std::find(names.begin(), names.end(), port_), names.end());
}

}  // namespace

// A page's font must draw every language's texts whatever the machine's code
// page: a raster font covers only that code page and shows the rest as '?'.
// Windows takes the shell font only from an extended template with
// DS_SHELLFONT. (Wine substitutes a TrueType face even for the raster font's
// name, so only the template's kind tells the two apart here.)
TEST(Win32Pages, FontOfEveryPageDrawsEveryLanguage) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    for (const DialogTemplate& page : AllTemplates()) {
        const std::vector<DWORD> built = BuildDialog(page, L"caption");
        // The extended header: 26 bytes, then menu, class, caption, point
        // size, weight, italic and character set, and the face.
        const auto* words = reinterpret_cast<const WORD*>(built.data());
        ASSERT_EQ(words[1], 0xFFFF) << page.id;  // the extended kind
        ASSERT_TRUE(reinterpret_cast<const DWORD*>(words + 6)[0] & DS_SHELLFONT) << page.id;
        const wchar_t* caption = reinterpret_cast<const wchar_t*>(words + 15);
        const wchar_t* face = caption + wcslen(caption) + 1 + 3;
        HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, face);
        HGDIOBJ old = SelectObject(dc, font);
        for (const std::string& language : texts::Languages()) {
            for (const auto& [templateId, controlId] : texts::DialogTextIds(language)) {
                if (templateId != page.id) continue;
                const std::wstring text = Widen(texts::DialogText(language, templateId, controlId));
                std::vector<WORD> glyphs(text.size());
                GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                                 GGI_MARK_NONEXISTING_GLYPHS);
                for (size_t i = 0; i < text.size(); ++i) {
                    if (text[i] < L' ') continue;  // line breaks draw nothing
                    EXPECT_NE(glyphs[i], 0xFFFF)
                        << language << " page " << page.id << " control " << controlId
                        << ": no glyph for U+" << std::hex << static_cast<unsigned>(text[i]);
                }
            }
        }
        DeleteObject(SelectObject(dc, old));
    }
    DeleteDC(dc);
}

}  // namespace nubo
