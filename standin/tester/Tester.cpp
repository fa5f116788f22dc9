// CTAVOTester and CEEPROMCache: the tester library's base of the TAVO test
// modules, over the test bench's language-file reader and simulated units.
#include "TAVOTester.h"

#include <stdlib.h>
#include <string.h>

#include "TestBench.h"

namespace {

const int kImageSize = 256;

// A copy of text on the heap, or null.
char* Duplicate(const char* text)
{
    if (!text)
        return nullptr;
    const size_t size = strlen(text) + 1;
    char* copy = static_cast<char*>(malloc(size));
    if (copy)
        memcpy(copy, text, size);
    return copy;
}

}  // namespace

// One of the tester's own texts; it stays valid while the tester lives.
struct TesterText
{
    char* pszText;
    TesterText* pNext;
};

// ---- CEEPROMCache ------------------------------------------------------------

CEEPROMCache::CEEPROMCache() : m_abyImage() {}

unsigned char* CEEPROMCache::GetEEPROMCacheFrom(unsigned char offset, int /*bank*/)
{
    return m_abyImage + offset;
}

// ---- CTAVOTester -------------------------------------------------------------

CTAVOTester::CTAVOTester(void* reserved)
    : CTest(reserved), m_pszLanguagePath(nullptr), m_pLanguageFile(nullptr), m_pKeptTexts(nullptr)
{
}

CTAVOTester::~CTAVOTester()
{
    CloseLanguageFile();
    free(m_pszLanguagePath);
    while (TesterText* text = m_pKeptTexts) {
        m_pKeptTexts = text->pNext;
        free(text->pszText);
        free(text);
    }
}

// The tester's own text for an ID its modules leave to it, one copy each.
const char* CTAVOTester::KeepText(const char* text)
{
    for (TesterText* kept = m_pKeptTexts; kept; kept = kept->pNext) {
        if (strcmp(kept->pszText, text) == 0)
            return kept->pszText;
    }
    TesterText* kept = static_cast<TesterText*>(malloc(sizeof(TesterText)));
    char* copy = Duplicate(text);
    if (!kept || !copy) {
        free(kept);
        free(copy);
        return "";
    }
    *kept = {copy, m_pKeptTexts};
    m_pKeptTexts = kept;
    return copy;
}

void CTAVOTester::CloseLanguageFile()
{
    BenchLanguageClose(m_pLanguageFile);
    m_pLanguageFile = nullptr;
}

int CTAVOTester::GetProductName(void* buffer, void* /*reserved*/, unsigned int size)
{
    static const char kName[] = "TAVO tester";
    if (!buffer || size < sizeof(kName))
        return 0;
    memcpy(buffer, kName, sizeof(kName));
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
    CloseLanguageFile();
    free(m_pszLanguagePath);
    m_pszLanguagePath = path && *path ? Duplicate(path) : nullptr;
    return 1;
}

// Opens the file set last. A file that cannot be used finds nothing, so every
// text falls back to its built-in default; the bench keeps the reason.
int CTAVOTester::LanguageFileOpen()
{
    CloseLanguageFile();
    if (!m_pszLanguagePath)
        return 0;
    m_pLanguageFile = BenchLanguageOpen(m_pszLanguagePath);
    if (!m_pLanguageFile) {
        ::OutputDebugStringA("Language file not used: ");
        ::OutputDebugStringA(BenchLanguageError());
        ::OutputDebugStringA("\n");
        return 0;
    }
    return 1;
}

int CTAVOTester::LanguageFileClose()
{
    CloseLanguageFile();
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
    if (!id || !m_pszLanguagePath)
        return 0;
    *id = 1;
    return 1;
}

int CTAVOTester::GetNextLanguage(unsigned int*) { return 0; }

unsigned int CTAVOTester::GetCurrentLanguageID()
{
    return m_pLanguageFile ? 1 : 0;
}

int CTAVOTester::SetCurrentLanguage(unsigned int id)
{
    return id == 1 && LanguageFileOpen();
}

const char* CTAVOTester::GetLanguageFileName(unsigned int id)
{
    return id == 1 ? m_pszLanguagePath : nullptr;
}

const char* CTAVOTester::GetLanguageValue(unsigned int id)
{
    BENCH_LANGUAGE* file = m_pLanguageFile;
    if (id != 1 || !BenchLanguageGetTag(file, BENCH_TAG_ROOT, "TesterLanguage"))
        return nullptr;
    return BenchLanguageAttribute(file, "Language");
}

int CTAVOTester::LanguageFileGetTag(unsigned long flags, const char* name)
{
    return BenchLanguageGetTag(m_pLanguageFile, flags, name);
}

const char* CTAVOTester::LanguageFileGetCurrentTagAttribute(const char* name)
{
    return BenchLanguageAttribute(m_pLanguageFile, name);
}

const char* CTAVOTester::LanguageFileGetCurrentTagName()
{
    return BenchLanguageTagName(m_pLanguageFile);
}

// The tester's own texts for the IDs its modules leave to it.
const char* CTAVOTester::GetMessageA(unsigned int id)
{
    char text[64];
    ::wsprintfA(text, "TAVO tester message %u", id);
    return KeepText(text);
}

const char* CTAVOTester::GetDialogName(unsigned int dialogId)
{
    char text[64];
    ::wsprintfA(text, "TAVO tester dialog %u", dialogId);
    return KeepText(text);
}

const char* CTAVOTester::GetDialogControlName(unsigned int dialogId, unsigned int controlId)
{
    char text[64];
    ::wsprintfA(text, "TAVO tester control %u/%u", dialogId, controlId);
    return KeepText(text);
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
// ExitConfig, Reconnect and MeasureValue run on the test worker thread.

int CTAVOTester::CheckEEPROM(void* window, unsigned short value, int mode)
{
    unsigned char* image = m_EEPROMCache.GetEEPROMCacheFrom(0, 1);
    memset(image, 0, kImageSize);
    return BenchCheckEEPROM(window, value, mode, image, kImageSize);
}

unsigned char* CTAVOTester::ReadUserConfig()
{
    unsigned char* config = m_EEPROMCache.GetEEPROMCacheFrom(BENCH_USER_OFFSET, 1);
    return BenchReadUserConfig(config, BENCH_CONFIG_SIZE) ? config : nullptr;
}

unsigned char* CTAVOTester::ReadDefaultConfig(unsigned char selector)
{
    if (selector != 1 && selector != 2)
        return nullptr;
    unsigned char* block = m_EEPROMCache.GetEEPROMCacheFrom(BENCH_DEFAULT_OFFSET, 1);
    if (!BenchReadDefaultConfig(block, kImageSize - BENCH_DEFAULT_OFFSET))
        return nullptr;
    return selector == 2 ? block : nullptr;
}

int CTAVOTester::WriteConfig(unsigned short offset, unsigned char* record, unsigned char count)
{
    if (!BenchWriteConfig(offset, record, count))
        return 0;
    memcpy(m_EEPROMCache.GetEEPROMCacheFrom(static_cast<unsigned char>(BENCH_USER_OFFSET + offset), 1), record, count);
    return 1;
}

int CTAVOTester::ExitConfig()
{
    return BenchExitConfig();
}

int CTAVOTester::Reconnect(int baud, int dataBits, int parity)
{
    return BenchReconnect(baud, dataBits, parity);
}

int CTAVOTester::MeasureValue(unsigned char address, unsigned long* v0, unsigned long* v1,
                              unsigned long* v2, unsigned long* v3, unsigned long* v4,
                              unsigned long* v5, unsigned long* v6, unsigned long* v7,
                              unsigned long* v8, unsigned long* v9, unsigned char*)
{
    // The second value tells whether the unit answered; the other nine are
    // the tester's own business and never zero here, answer or not.
    const int answered = BenchPoll(address);
    unsigned long* const values[] = {v0, v1, v2, v3, v4, v5, v6, v7, v8, v9};
    for (unsigned long i = 0; i < 10; ++i) {
        if (values[i])
            *values[i] = i == 1 ? static_cast<unsigned long>(answered) : 0x100 + i;
    }
    return answered;
}
