// Names in this file: the kinds of a host report line and the IDs of the
// module's messages, which the host and the language file know by number.
#pragma once

// The kind SendTestResult gives a report line.
enum ReportKind : unsigned char
{
    REPORT_PROGRESS = 112,
    REPORT_FAILURE = 113,  // a failure or the operator's break
    REPORT_SUCCESS = 114,
    REPORT_DETAIL = 117,
};

// The module's messages (GetMessageA).
enum MessageId : unsigned int
{
    MSG_ADDRESS_WRAPPED = 20,        // the next unit starts again at address 1
    MSG_BAD_ADDRESS = 21,            // rejected values: what is expected
    MSG_BAD_ANSWER_DELAY = 22,
    MSG_BAD_MIN_PULSE_I0 = 23,       // 23..26 for I0..I3
    MSG_BAD_MAX_PULSE_I0 = 27,       // 27..30 for I0..I3
    MSG_WRITTEN = 31,
    MSG_WRITE_FAILED_REPORT = 32,
    MSG_WRITE_FAILED_BOX = 33,
    MSG_CONFIGURATION = 34,          // opens every pass of the series
    MSG_ALREADY_CONFIGURED = 35,     // configure this unit again?
    MSG_SERIES_BROKEN_AT_REPEAT = 36,
    MSG_CONFIG_DIALOG_SHOWN = 37,
    MSG_TEST_DIALOG_SHOWN = 38,
    MSG_CONFIGURATION_LINE = 39,     // serial, address, baud rate, parity
    MSG_FINISHED = 40,
    MSG_SERIES_BROKEN_AT_NEXT = 41,
    MSG_TEST_FAILED = 42,
    MSG_CONFIG_CANCELLED = 43,
    MSG_FOR_TYPE = 44,
    MSG_NO_CONFIGURATION = 45,
    MSG_BAD_TIMEOUT = 46,
};
