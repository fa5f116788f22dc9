// The texts TestTAVO02 shows, by ID: what a translation has to cover.
#pragma once

struct ModuleControlText
{
    unsigned int nDialog;
    unsigned int nControl;
};

const unsigned int kModuleFirstMessage = 20;
const unsigned int kModuleLastMessage = 46;
const unsigned int kModuleDialogs[] = {2020, 2021, 2022};
const ModuleControlText kModuleControls[] = {
    {2020, 2}, {2020, 32786}, {2020, 32788}, {2020, 32789}, {2020, 32815}, {2020, 32816},
    {2020, 32817}, {2020, 32818}, {2020, 32819}, {2020, 32820}, {2020, 32821}, {2020, 32822},
    {2020, 32823}, {2020, 32824}, {2020, 32825}, {2020, 32826}, {2020, 32827}, {2020, 32830},
    {2021, 2}, {2021, 32800}, {2021, 32801},
    {2022, 1}, {2022, 2}, {2022, 32795},
};
