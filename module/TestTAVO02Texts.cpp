// CTestTAVO02's texts: messages, dialog titles and control captions from the
// host's language file, with the module's built-in English texts behind them.
#include "TestTAVO02.h"

#include <ctype.h>
#include <limits.h>
#include <stdlib.h>

#include "HostNumbers.h"
#include "Invariant.h"

namespace {

const char kSource[] = "TestTAVO02";

// Messages 20 to 46, in order.
const char* const kMessages[] = {
    /* 20 */ "Module address can not be greater than 125!\nNext unit will have initialize address as 1.",
    /* 21 */ "Communication address:\n\n     expected value is from 1 to 125",
    /* 22 */ "Answer delay:\n\n     expected value is from 0 to 254",
    /* 23 */ "Minimal pulse length of input I0:\n\n     expected value is from 0 to 637.5ms\t",
    /* 24 */ "Minimal pulse length of input I1:\n\n     expected value is from 0 to 637.5ms\t",
    /* 25 */ "Minimal pulse length of input I2:\n\n     expected value is from 0 to 637.5ms\t",
    /* 26 */ "Minimal pulse length of input I3:\n\n     expected value is from 0 to 637.5ms\t",
    /* 27 */ "Maximal pulse length of input I0:\n\n     expected value is from minimal to 637.5ms\t",
    /* 28 */ "Maximal pulse length of input I1:\n\n     expected value is from minimal to 637.5ms\t",
    /* 29 */ "Maximal pulse length of input I2:\n\n     expected value is from minimal to 637.5ms\t",
    /* 30 */ "Maximal pulse length of input I3:\n\n     expected value is from minimal to 637.5ms\t",
    /* 31 */ "configuration has been succesfully written to EEPROM",
    /* 32 */ "EEPROM configuration write error!",
    /* 33 */ "EEPROM configuration write error!",
    /* 34 */ "TAVO configuration",
    /* 35 */ ("Unit with this serial number already has been configured.!\t\n\n"
              "Do you really want to configure this unit again?\t"),
    /* 36 */ "unit series configuration user break",
    /* 37 */ "configuration dialog is displayed",
    /* 38 */ "dialog for new setting test is displayed",
    /* 39 */ "configuration for %s: address %d; %d Bd, parity %s",
    /* 40 */ "TAVO configuration has been succesfully finished",
    /* 41 */ "unit series configuration user break",
    /* 42 */ "new setting test error",
    /* 43 */ "configuration user break",
    /* 44 */ "for type %s",
    /* 45 */ "there is no configuration",
    /* 46 */ "Communication timeout:\n\n     expected value is from 1 to 65535\t",
};
const unsigned int kFirstMessage = 20;
const unsigned int kMessageCount = _countof(kMessages);

struct DialogText
{
    unsigned int nDialog;
    const char* pszTitle;
    int nMissingControlLine;  // where a caption no table answers is reported
};

const DialogText kDialogs[] = {
    {2020, "TAVO configuration", kConfigCaptionMissingLine},
    {2021, "TAVO configuration test", kTestConfigCaptionMissingLine},
    {2022, "Configuration of next unit ...", kConfirmCaptionMissingLine},
};

struct ControlText
{
    unsigned int nDialog;
    unsigned int nControl;
    const char* pszText;
};

const ControlText kControls[] = {
    {2020, 2, "Cancel"},
    {2020, 32786, "without response"},
    {2020, 32788, "Write and test"},
    {2020, 32789, "configuration unit series"},
    {2020, 32815, "Address:"},
    {2020, 32816, "Answer delay [ms]:"},
    {2020, 32817, "Baud rate [Bd]:"},
    {2020, 32818, "Parity:"},
    {2020, 32819, "Quadrature input:"},
    {2020, 32820, "Active input current I0 a I1:"},
    {2020, 32821, "Active input current I2 a I3:"},
    {2020, 32822, "minimum"},
    {2020, 32823, "maximum"},
    {2020, 32824, "I0 - time between pulses [ms]:"},
    {2020, 32825, "I1 - time between pulses [ms]:"},
    {2020, 32826, "I2 - time between pulses [ms]:"},
    {2020, 32827, "I3 - time between pulses [ms]:"},
    {2020, 32830, "Communication timeout [ms]"},
    {2021, 2, "Back to module configuration"},
    {2021, 32800, "Test of new TAVO configuration"},
    {2021, 32801, "Test is proceeding now. Dialog will close by succesfully test.\n\nTest remains no longer than 10s."},
    {2022, 1, "OK"},
    {2022, 2, "Cancel"},
    {2022, 32795, "Connect next unit for configration"},
};

const DialogText* OwnDialog(unsigned int dialogId)
{
    for (const DialogText& dialog : kDialogs) {
        if (dialog.nDialog == dialogId)
            return &dialog;
    }
    return nullptr;
}

// An ID attribute as a decimal number: leading white space, an optional sign,
// then digits up to the first other character; no digits read as 0, and a
// value beyond the signed 32-bit range is clamped to it.
int ReadId(const char* text)
{
    while (isspace(static_cast<unsigned char>(*text)))
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;  // already beyond the range; the clamp below decides
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// Walks the elements named item below the tester's cursor and stops on the
// first whose ID reads as id. Each ID text read goes through the scratch text.
bool FindItem(CTestTAVO02& test, const char* item, unsigned int id)
{
    for (int found = test.LanguageFileGetTag(kTagFirstChild, item); found;
         found = test.LanguageFileGetTag(kTagNextSibling, item)) {
        const char* idText = test.LanguageFileGetCurrentTagAttribute("ID");
        test.m_strScratch.InitBuffer(idText);
        if (idText && static_cast<unsigned int>(ReadId(idText)) == id)
            return true;
    }
    return false;
}

// The text attribute of the first item of group whose ID is id, or null. The
// first matching item ends the search, whether it has a text or not.
const char* FindLanguageText(CTestTAVO02& test, const char* group, const char* item, unsigned int id)
{
    test.LanguageFileGetTag(kTagRoot, "TesterLanguage");
    test.LanguageFileGetTag(kTagFirstChild, group);
    return FindItem(test, item, id) ? test.LanguageFileGetCurrentTagAttribute("text") : nullptr;
}

}  // namespace

const char* CTestTAVO02::GetMessageA(unsigned int id)
{
    if (const char* text = FindLanguageText(*this, "Message", "MessageItem", id))
        return text;
    if (id >= kFirstMessage && id - kFirstMessage < kMessageCount)
        return kMessages[id - kFirstMessage];
    return CTAVOTester::GetMessageA(id);
}

const char* CTestTAVO02::GetDialogName(unsigned int dialogId)
{
    if (const char* text = FindLanguageText(*this, "Dialog", "DialogItem", dialogId))
        return text;
    if (const DialogText* dialog = OwnDialog(dialogId))
        return dialog->pszTitle;
    return CTAVOTester::GetDialogName(dialogId);
}

const char* CTestTAVO02::GetDialogControlName(unsigned int dialogId, unsigned int controlId)
{
    LanguageFileGetTag(kTagRoot, "TesterLanguage");
    LanguageFileGetTag(kTagFirstChild, "Dialog");
    // Only the first DialogItem of the dialog is searched for the control.
    if (FindItem(*this, "DialogItem", dialogId) && FindItem(*this, "ControlItem", controlId)) {
        if (const char* text = LanguageFileGetCurrentTagAttribute("text"))
            return text;
    }
    const DialogText* dialog = OwnDialog(dialogId);
    if (!dialog)
        return CTAVOTester::GetDialogControlName(dialogId, controlId);
    for (const ControlText& control : kControls) {
        if (control.nDialog == dialogId && control.nControl == controlId)
            return control.pszText;
    }
    // The module asks only for the captions above; anything else is a caller's error.
    ReportInvariant(kInvariantCondition, kSource, dialog->nMissingControlLine);
    return "";
}
