// Ids of template 136, the universal input dialog, for the resource script,
// the core (the list ids are the values of UniversalList) and the dialog.
#pragma once

#define IDD_UNIVERSAL 136

#define IDC_UNI_DEFAULTS 3

// Channel group radio buttons, group g at IDC_UNI_GROUP1 + g.
#define IDC_UNI_GROUP1 1009
#define IDC_UNI_GROUP2 1010
#define IDC_UNI_GROUP3 1011
#define IDC_UNI_GROUP4 1012

// Input type radio buttons, type code t at IDC_UNI_TYPE_VOLTAGE + t.
#define IDC_UNI_TYPE_VOLTAGE      1013
#define IDC_UNI_TYPE_CURRENT      1014
#define IDC_UNI_TYPE_THERMOCOUPLE 1015
#define IDC_UNI_TYPE_RTD          1016
#define IDC_UNI_TYPE_RESISTANCE   1017
#define IDC_UNI_TYPE_CJC          1018

// List boxes.
#define IDC_UNI_CURRENT      1019
#define IDC_UNI_VOLTAGE      1020
#define IDC_UNI_THERMOCOUPLE 1021
#define IDC_UNI_RTD          1022
#define IDC_UNI_RESISTANCE   1023
#define IDC_UNI_UNITS        1024
#define IDC_UNI_RTD_WIRING   1025
#define IDC_UNI_FORMAT       1026
#define IDC_UNI_FILTER       1027
#define IDC_UNI_FAULT        1028
#define IDC_UNI_RES_WIRING   1032

// Register edits, "Reg1" to "Reg8" (1032 is a list, hence the gap).
#define IDC_UNI_REG1 1029
#define IDC_UNI_REG2 1030
#define IDC_UNI_REG3 1031
#define IDC_UNI_REG4 1033
#define IDC_UNI_REG5 1034
#define IDC_UNI_REG6 1035
#define IDC_UNI_REG7 1036
#define IDC_UNI_REG8 1037

#define IDC_UNI_LOGO 501
