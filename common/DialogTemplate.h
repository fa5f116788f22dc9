// Functions in this file: ReadDialogTemplate, a dialog resource's controls
// as the dialog manager creates them (DIALOG and DIALOGEX alike), read from
// its bytes within their bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DialogControl
{
    uint32_t dwId;
    std::string strClass;  // "Button", "Edit", "Static", "ComboBox", ... or the template's own name
    uint32_t dwStyle;
    int cx, cy;  // in dialog units
};

struct DialogTemplate
{
    int cx, cy;  // in dialog units
    std::string strFont;
    int nPointSize = 0;
    std::vector<DialogControl> controls;
};

// False when the bytes end before the template does.
bool ReadDialogTemplate(const unsigned char* bytes, size_t size, DialogTemplate* dialog);

// What a person sees of a control: "a label", "a check box", "a push button", ...
std::string ControlKind(const DialogControl& control);
