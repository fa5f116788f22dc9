// CTAVOTester: the tester library's base of the TAVO test modules, over the
// host's language file and the simulated bench.
#include "TAVOTester.h"

#include <cstdio>
#include <initializer_list>
#include <set>
#include <string>

#include "Bench.h"
#include "LanguageFile.h"

namespace {

std::string g_languageError;

}  // namespace

struct CTAVOTester::State
{
    std::string strLanguagePath;
    CLanguageFile languageFile;
    std::set<std::string> baseTexts;  // the tester's own texts, one copy each

    const char* Keep(const std::string& text) { return baseTexts.insert(text).first->c_str(); }
};

const char* TesterGetLanguageFileError(void)
{
    return g_languageError.c_str();
}

CTAVOTester::CTAVOTester(void* reserved) : CTest(reserved), m_pState(new State) {}

CTAVOTester::~CTAVOTester()
{
    delete m_pState;
}

int CTAVOTester::GetProductName(void* buffer, void* /*reserved*/, unsigned int size)
{
    if (!buffer || size == 0)
        return 0;
    snprintf(static_cast<char*>(buffer), size, "%s", "TAVO tester");
    return 1;
}

// The tester's test menu and help: not supported by this stand-in, which
// serves the configuration command only.
int CTAVOTester::Test(unsigned int, void*, unsigned short, void*) { return 0; }
int CTAVOTester::ShowHelp(void*, unsigned int, unsigned long) { return 0; }
int CTAVOTester::InitTestMenu(void*) { return 0; }
const char* CTAVOTester::GetMenuTooltip(unsigned int, unsigned int) { return nullptr; }

// ---- Languages: one language, the file the host set ------------------------

int CTAVOTester::SetLanguageFile(const char* path)
{
    m_pState->languageFile.Close();
    m_pState->strLanguagePath = path ? path : "";
    return 1;
}

// Opens the file set last. A file that cannot be used finds nothing, so every
// text falls back to its built-in default; the reason is told once.
int CTAVOTester::LanguageFileOpen()
{
    if (m_pState->strLanguagePath.empty())
        return 0;
    if (m_pState->languageFile.Open(m_pState->strLanguagePath)) {
        g_languageError.clear();
        return 1;
    }
    g_languageError = m_pState->languageFile.Error();
    ::OutputDebugStringA(("Language file not used: " + g_languageError + "\n").c_str());
    return 0;
}

int CTAVOTester::LanguageFileClose()
{
    m_pState->languageFile.Close();
    return 1;
}

int CTAVOTester::InitLanguage()
{
    return LanguageFileOpen();
}

int CTAVOTester::SetLanguage(const char* path)
{
    return SetLanguageFile(path) && LanguageFileOpen();
}

int CTAVOTester::GetFirstLanguage(unsigned int* id)
{
    if (!id || m_pState->strLanguagePath.empty())
        return 0;
    *id = 1;
    return 1;
}

int CTAVOTester::GetNextLanguage(unsigned int*) { return 0; }

unsigned int CTAVOTester::GetCurrentLanguageID()
{
    return m_pState->languageFile.IsOpen() ? 1 : 0;
}

int CTAVOTester::SetCurrentLanguage(unsigned int id)
{
    return id == 1 && LanguageFileOpen();
}

const char* CTAVOTester::GetLanguageFileName(unsigned int id)
{
    return id == 1 && !m_pState->strLanguagePath.empty() ? m_pState->strLanguagePath.c_str() : nullptr;
}

const char* CTAVOTester::GetLanguageValue(unsigned int id)
{
    if (id != 1 || !m_pState->languageFile.IsOpen())
        return nullptr;
    CLanguageFile& file = m_pState->languageFile;
    return file.GetTag(CLanguageFile::TAG_ROOT, "TesterLanguage") ? file.GetAttribute("Language") : nullptr;
}

int CTAVOTester::LanguageFileGetTag(unsigned long flags, const char* name)
{
    return m_pState->languageFile.GetTag(flags, name);
}

const char* CTAVOTester::LanguageFileGetCurrentTagAttribute(const char* name)
{
    return m_pState->languageFile.GetAttribute(name);
}

const char* CTAVOTester::LanguageFileGetCurrentTagName()
{
    return m_pState->languageFile.GetTagName();
}

// The tester's own texts for the IDs its modules leave to it.
const char* CTAVOTester::GetMessageA(unsigned int id)
{
    return m_pState->Keep("TAVO tester message " + std::to_string(id));
}

const char* CTAVOTester::GetDialogName(unsigned int dialogId)
{
    return m_pState->Keep("TAVO tester dialog " + std::to_string(dialogId));
}

const char* CTAVOTester::GetDialogControlName(unsigned int dialogId, unsigned int controlId)
{
    return m_pState->Keep("TAVO tester control " + std::to_string(dialogId) + "/" + std::to_string(controlId));
}

// ---- The tester's own tests: not supported by this stand-in ----------------

int CTAVOTester::AutoTest(void*, unsigned short) { return 0; }
int CTAVOTester::ShowEEPROM(void*, unsigned short, int) { return 0; }
int CTAVOTester::SaveEEPROMToFile(void*, unsigned short) { return 0; }
int CTAVOTester::ClearEEPROM(void*, unsigned short) { return 0; }
int CTAVOTester::ConfigureThermometer(void*, unsigned short, int) { return 0; }
int CTAVOTester::WriteEEPROM(void*, int, unsigned short) { return 0; }
int CTAVOTester::ShowConfigure(void*, unsigned short) { return 0; }
int CTAVOTester::MeasureTest(void*, unsigned short) { return 0; }

// ---- The connected unit, on the simulated bench -----------------------------
// ExitConfig, Reconnect and MeasureValue run on the test worker thread; the
// bench serialises them against the user interface thread.

int CTAVOTester::CheckEEPROM(void*, unsigned short, int mode)
{
    CBench::Get().Log("CheckEEPROM " + std::to_string(mode));
    int answer = 0;
    if (CBench::Get().Fault("CheckEEPROM", &answer))
        return answer;
    return CBench::Get().ReadImage(m_EEPROMCache);
}

unsigned char* CTAVOTester::ReadUserConfig()
{
    if (CBench::Get().Fault("ReadUserConfig") || !CBench::Get().ReadUserConfig(m_EEPROMCache))
        return nullptr;
    return m_EEPROMCache.GetEEPROMCacheFrom(BenchUnit::USER_OFFSET, 1);
}

unsigned char* CTAVOTester::ReadDefaultConfig(unsigned char selector)
{
    if (selector != 1 && selector != 2)
        return nullptr;
    if (CBench::Get().Fault("ReadDefaultConfig") || !CBench::Get().ReadDefaultConfig(m_EEPROMCache))
        return nullptr;
    return selector == 2 ? m_EEPROMCache.GetEEPROMCacheFrom(BenchUnit::DEFAULT_OFFSET, 1) : nullptr;
}

int CTAVOTester::WriteConfig(unsigned short offset, unsigned char* record, unsigned char count)
{
    if (CBench::Get().Fault("WriteConfig"))
        return 0;
    return CBench::Get().WriteConfig(offset, record, count, m_EEPROMCache);
}

int CTAVOTester::ExitConfig()
{
    if (CBench::Get().Fault("ExitConfig"))
        return 0;
    return CBench::Get().ExitConfig();
}

int CTAVOTester::Reconnect(int baud, int dataBits, int parity)
{
    if (CBench::Get().Fault("Reconnect"))
        return 0;
    return CBench::Get().Reconnect(baud, dataBits, parity);
}

int CTAVOTester::MeasureValue(unsigned char address, unsigned long* v0, unsigned long* v1,
                              unsigned long* v2, unsigned long* v3, unsigned long* v4,
                              unsigned long* v5, unsigned long* v6, unsigned long* v7,
                              unsigned long* v8, unsigned long* v9, unsigned char*)
{
    const int answered = !CBench::Get().Fault("MeasureValue") && CBench::Get().Poll(address);
    unsigned long* const values[] = {v0, v1, v2, v3, v4, v5, v6, v7, v8, v9};
    for (unsigned long* value : values) {
        if (value)
            *value = 0;
    }
    if (answered) {
        if (v0)
            *v0 = address;
        if (v1)
            *v1 = 1;  // the unit answered
    }
    return answered;
}
