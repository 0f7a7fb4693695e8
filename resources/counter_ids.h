// Ids of template 137, the counter dialog of the 8- and 4-channel counter
// modules, for the resource script, the core's counter layout and the dialog.
#pragma once

#define IDD_COUNTER 137

#define IDC_CNT_DEFAULTS 3

// Channel radio buttons, channel index i at IDC_CNT_CHANNEL1 + i.
#define IDC_CNT_CHANNEL1 1079
#define IDC_CNT_CHANNEL2 1080
#define IDC_CNT_CHANNEL3 1081
#define IDC_CNT_CHANNEL4 1082
#define IDC_CNT_CHANNEL5 1083
#define IDC_CNT_CHANNEL6 1084
#define IDC_CNT_CHANNEL7 1085
#define IDC_CNT_CHANNEL8 1086

// Input voltage range, code 0-3.
#define IDC_CNT_RANGE_5V  1041
#define IDC_CNT_RANGE_12V 1042
#define IDC_CNT_RANGE_24V 1043
#define IDC_CNT_RANGE_AC  1044

// Counter mode, code 0-3.
#define IDC_CNT_MODE_UNI    1045
#define IDC_CNT_MODE_BI     1046
#define IDC_CNT_MODE_QUAD1X 1047
#define IDC_CNT_MODE_QUAD4X 1048

// Counter size, code 0-1.
#define IDC_CNT_SIZE_16 1049
#define IDC_CNT_SIZE_24 1050

// Rate scale, code 0-1, in its group box.
#define IDC_CNT_RATE_BOX  1102
#define IDC_CNT_RATE_1HZ  1103
#define IDC_CNT_RATE_01HZ 1104

#define IDC_CNT_DIGITAL_FILTER 1099
#define IDC_CNT_ANALOG_FILTER  1100

#define IDC_CNT_DELAY 1101

// Register edits "Reg1:" to "Reg9:" (display only).
#define IDC_CNT_REG1 1071
#define IDC_CNT_REG2 1072
#define IDC_CNT_REG3 1073
#define IDC_CNT_REG4 1074
#define IDC_CNT_REG5 1075
#define IDC_CNT_REG6 1076
#define IDC_CNT_REG7 1077
#define IDC_CNT_REG8 1078
#define IDC_CNT_REG9 1087

// Labels "Reg5:" to "Reg9:"; "Reg1:" to "Reg4:" are never touched and have no id.
#define IDC_CNT_REG5_LABEL 1091
#define IDC_CNT_REG6_LABEL 1092
#define IDC_CNT_REG7_LABEL 1093
#define IDC_CNT_REG8_LABEL 1094
#define IDC_CNT_REG9_LABEL 1095

#define IDC_CNT_LOGO 501
