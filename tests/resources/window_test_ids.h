// Control IDs of the window library's probe dialog.
#pragma once

#define IDD_PROBE       100
#define IDC_PROBE_EDIT  1001
#define IDC_PROBE_END2  1002
#define IDC_PROBE_CHECK 1003
