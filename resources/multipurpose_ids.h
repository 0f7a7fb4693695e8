// Ids of template 138, the multi-purpose counter dialog, for the resource
// script, the core's multi-purpose layout and the dialog.
#pragma once

#define IDD_MULTIPURPOSE 138

#define IDC_MP_DEFAULTS 3

// Entry fields, decimal.
#define IDC_MP_DELAY   1101
#define IDC_MP_TIMEOUT 1102

// Register fields, hexadecimal, display only: Reg1-Reg5, Reg6, Reg7-Reg9.
#define IDC_MP_REG1 1105
#define IDC_MP_REG2 1106
#define IDC_MP_REG3 1107
#define IDC_MP_REG4 1108
#define IDC_MP_REG5 1109
#define IDC_MP_REG6 1121
#define IDC_MP_REG7 1126
#define IDC_MP_REG8 1127
#define IDC_MP_REG9 1128

// Input voltage range, code 0-3.
#define IDC_MP_RANGE_5V  1110
#define IDC_MP_RANGE_12V 1111
#define IDC_MP_RANGE_24V 1112
#define IDC_MP_RANGE_AC  1113

// Channel on show, channel index i at IDC_MP_CHANNEL1 + i.
#define IDC_MP_CHANNEL1 1114
#define IDC_MP_CHANNEL2 1115
#define IDC_MP_CHANNEL3 1116
#define IDC_MP_CHANNEL4 1117

// Gate voltage range, code 0-2 (code 3 has no button).
#define IDC_MP_GATE_5V  1118
#define IDC_MP_GATE_12V 1119
#define IDC_MP_GATE_24V 1120

#define IDC_MP_DIGITAL_FILTER 1122
#define IDC_MP_ANALOG_FILTER  1123

// Counter size, code 0-1.
#define IDC_MP_SIZE_16BIT 1124
#define IDC_MP_SIZE_24BIT 1125

#define IDC_MP_LOGO 501
