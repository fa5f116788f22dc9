// The module's built-in English texts, written down independently of the
// module, and the texts a host gets without a language file.
#pragma once

#include <string>

struct BuiltInText
{
    unsigned int nDialog;   // 0 for a message
    unsigned int nId;       // message, dialog or control ID
    const char* pszText;
};

inline constexpr BuiltInText kBuiltInMessages[] = {
    {0, 20, "Module address can not be greater than 125!\nNext unit will have initialize address as 1."},
    {0, 21, "Communication address:\n\n     expected value is from 1 to 125"},
    {0, 22, "Answer delay:\n\n     expected value is from 0 to 254"},
    {0, 23, "Minimal pulse length of input I0:\n\n     expected value is from 0 to 637.5ms\t"},
    {0, 24, "Minimal pulse length of input I1:\n\n     expected value is from 0 to 637.5ms\t"},
    {0, 25, "Minimal pulse length of input I2:\n\n     expected value is from 0 to 637.5ms\t"},
    {0, 26, "Minimal pulse length of input I3:\n\n     expected value is from 0 to 637.5ms\t"},
    {0, 27, "Maximal pulse length of input I0:\n\n     expected value is from minimal to 637.5ms\t"},
    {0, 28, "Maximal pulse length of input I1:\n\n     expected value is from minimal to 637.5ms\t"},
    {0, 29, "Maximal pulse length of input I2:\n\n     expected value is from minimal to 637.5ms\t"},
    {0, 30, "Maximal pulse length of input I3:\n\n     expected value is from minimal to 637.5ms\t"},
    {0, 31, "configuration has been succesfully written to EEPROM"},
    {0, 32, "EEPROM configuration write error!"},
    {0, 33, "EEPROM configuration write error!"},
    {0, 34, "TAVO configuration"},
    {0, 35,
     "Unit with this serial number already has been configured.!\t\n\nDo you really want to configure this unit "
     "again?\t"},
    {0, 36, "unit series configuration user break"},
    {0, 37, "configuration dialog is displayed"},
    {0, 38, "dialog for new setting test is displayed"},
    {0, 39, "configuration for %s: address %d; %d Bd, parity %s"},
    {0, 40, "TAVO configuration has been succesfully finished"},
    {0, 41, "unit series configuration user break"},
    {0, 42, "new setting test error"},
    {0, 43, "configuration user break"},
    {0, 44, "for type %s"},
    {0, 45, "there is no configuration"},
    {0, 46, "Communication timeout:\n\n     expected value is from 1 to 65535\t"},
};

inline constexpr BuiltInText kBuiltInTitles[] = {
    {0, 2020, "TAVO configuration"},
    {0, 2021, "TAVO configuration test"},
    {0, 2022, "Configuration of next unit ..."},
};

inline constexpr BuiltInText kBuiltInCaptions[] = {
    {2020, 2, "Cancel"}, {2020, 32786, "without response"}, {2020, 32788, "Write and test"},
    {2020, 32789, "configuration unit series"}, {2020, 32815, "Address:"}, {2020, 32816, "Answer delay [ms]:"},
    {2020, 32817, "Baud rate [Bd]:"}, {2020, 32818, "Parity:"}, {2020, 32819, "Quadrature input:"},
    {2020, 32820, "Active input current I0 a I1:"}, {2020, 32821, "Active input current I2 a I3:"},
    {2020, 32822, "minimum"}, {2020, 32823, "maximum"}, {2020, 32824, "I0 - time between pulses [ms]:"},
    {2020, 32825, "I1 - time between pulses [ms]:"}, {2020, 32826, "I2 - time between pulses [ms]:"},
    {2020, 32827, "I3 - time between pulses [ms]:"}, {2020, 32830, "Communication timeout [ms]"},
    {2021, 2, "Back to module configuration"}, {2021, 32800, "Test of new TAVO configuration"},
    {2021, 32801, "Test is proceeding now. Dialog will close by succesfully test.\n\nTest remains no longer than 10s."},
    {2022, 1, "OK"}, {2022, 2, "Cancel"}, {2022, 32795, "Connect next unit for configration"},
};

// A message without a language file: the module's own, or the tester
// library's for an ID the module leaves to it.
inline std::string MessageWithoutFile(unsigned int id)
{
    for (const BuiltInText& message : kBuiltInMessages) {
        if (message.nId == id)
            return message.pszText;
    }
    return "TAVO tester message " + std::to_string(id);
}

inline std::string TitleWithoutFile(unsigned int dialog)
{
    for (const BuiltInText& title : kBuiltInTitles) {
        if (title.nId == dialog)
            return title.pszText;
    }
    return "TAVO tester dialog " + std::to_string(dialog);
}

// A caption the module does not know of its own dialogs is empty.
inline std::string CaptionWithoutFile(unsigned int dialog, unsigned int control)
{
    for (const BuiltInText& caption : kBuiltInCaptions) {
        if (caption.nDialog == dialog && caption.nId == control)
            return caption.pszText;
    }
    if (dialog >= 2020 && dialog <= 2022)
        return "";
    return "TAVO tester control " + std::to_string(dialog) + "/" + std::to_string(control);
}
