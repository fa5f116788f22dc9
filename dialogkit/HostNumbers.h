// The numbers the host's logs and tests depend on, named once. The invariant
// reports' condition and lines are those the line's log filters and the test
// suites look for ("Invariant failed: 0 (DlgConfig, line 74)"); the tag modes
// are the tester library's. However arbitrary they look, none may change.
#pragma once

// The condition every invariant report names.
const char kInvariantCondition[] = "0";

// The lines of the modal runs' reports: no dialog procedure, no instance
// handle, a dialog that cannot be created.
const int kDlgConfigNoDialogProcLine = 68;
const int kDlgConfigNoInstanceLine = 74;
const int kDlgConfirmNoDialogProcLine = 75;
const int kDlgConfirmNoInstanceLine = 81;
const int kDlgTestConfigNoDialogProcLine = 46;
const int kDlgTestConfigNoInstanceLine = 52;
const int kDlgTestConfigNotCreatedLine = 63;

// The test dialog's worker: the tester refused to reconnect on the new setting.
const int kDlgTestConfigReconnectLine = 135;

// The configured-units list: no element to link behind, a tail that is not
// the last element, no memory for a new element.
const int kConfigListNoTailLine = 100;
const int kConfigListTailNotLastLine = 101;
const int kConfigListNoMemoryLine = 103;

// A control caption that no table of the module answers, by dialog.
const int kConfigCaptionMissingLine = 374;
const int kTestConfigCaptionMissingLine = 333;
const int kConfirmCaptionMissingLine = 322;

// LanguageFileGetTag's modes: the root tag, the first child of the current
// element, the next element on the current one's level.
const unsigned long kTagRoot = 1;
const unsigned long kTagFirstChild = 16;
const unsigned long kTagNextSibling = 256;
