// Resource and control IDs of the TestTAVO02 module.
#pragma once

// Unit configuration dialog.
#define IDD_CONFIG              2020
#define IDB_UNIT_BOARD          2023
#define IDC_ADDRESS             32771
#define IDC_ANSWER_DELAY        32772
#define IDC_BAUD_RATE           32773
#define IDC_PARITY              32774
#define IDC_QUADRATURE_I0_I1    32776
#define IDC_QUADRATURE_I2_I3    32777
#define IDC_MIN_PULSE_I0        32778   // the minima of I0..I3, then their maxima, each in a row
#define IDC_MIN_PULSE_I1        32779
#define IDC_MIN_PULSE_I2        32780
#define IDC_MIN_PULSE_I3        32781
#define IDC_MAX_PULSE_I0        32782
#define IDC_MAX_PULSE_I1        32783
#define IDC_MAX_PULSE_I2        32784
#define IDC_MAX_PULSE_I3        32785
#define IDC_NO_ANSWER           32786
#define IDC_PICTURE             32787
#define IDC_WRITE_AND_TEST      32788
#define IDC_SERIES              32789
#define IDC_CURRENT_I0_I1       32790
#define IDC_CURRENT_I2_I3       32791
#define IDC_MIN_PULSE_SPIN_I0   32805   // their up-down controls, in the same order
#define IDC_MIN_PULSE_SPIN_I1   32806
#define IDC_MIN_PULSE_SPIN_I2   32807
#define IDC_MIN_PULSE_SPIN_I3   32808
#define IDC_MAX_PULSE_SPIN_I0   32809
#define IDC_MAX_PULSE_SPIN_I1   32810
#define IDC_MAX_PULSE_SPIN_I2   32811
#define IDC_MAX_PULSE_SPIN_I3   32812
#define IDC_ADDRESS_LABEL       32815
#define IDC_ANSWER_DELAY_LABEL  32816
#define IDC_BAUD_RATE_LABEL     32817
#define IDC_PARITY_LABEL        32818
#define IDC_QUADRATURE_LABEL    32819
#define IDC_CURRENT_I0_I1_LABEL 32820
#define IDC_CURRENT_I2_I3_LABEL 32821
#define IDC_MINIMUM_HEADING     32822
#define IDC_MAXIMUM_HEADING     32823
#define IDC_PULSE_I0_LABEL      32824   // ..32827 for I0..I3
#define IDC_PULSE_I1_LABEL      32825
#define IDC_PULSE_I2_LABEL      32826
#define IDC_PULSE_I3_LABEL      32827
#define IDC_TIMEOUT_CHECK       32830
#define IDC_TIMEOUT             32831

// New-setting test dialog.
#define IDD_TEST_CONFIG         2021
#define IDC_TEST_HEADING        32800   // coloured text, created at run time
#define IDC_TEST_EXPLANATION    32801

// Next-unit dialog.
#define IDD_CONFIRM             2022
#define IDC_CONFIRM_TEXT        32795   // coloured text, created at run time
