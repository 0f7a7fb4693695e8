// Ids of templates 102 (the analog input dialog of modules 0-3) and 134 (the
// alarm setpoint dialog of module 3). The core's analog tables name the same
// ids; the dialogs check that they agree.
#pragma once

#define IDD_ANALOG_INPUT           102
#define IDD_ALARM_LIMITS           134

// Template 102.
#define IDC_ANALOG_CALIBRATION     405
#define IDC_ANALOG_ACQUISITION1    408
#define IDC_ANALOG_ACQUISITION2    410
#define IDC_ANALOG_ACQUISITION3    412
#define IDC_ANALOG_ACQUISITION4    414
#define IDC_ANALOG_FORMAT1         417
#define IDC_ANALOG_FORMAT2         419
#define IDC_ANALOG_FORMAT3         421
#define IDC_ANALOG_FORMAT4         423
#define IDC_ANALOG_FILTER1         426
#define IDC_ANALOG_FILTER2         428
#define IDC_ANALOG_FILTER3         430
#define IDC_ANALOG_FILTER4         432
#define IDC_ANALOG_REG1            434
#define IDC_ANALOG_REG2            435
#define IDC_ANALOG_REG3            436
#define IDC_ANALOG_REG1_LABEL      437
#define IDC_ANALOG_REG2_LABEL      438
#define IDC_ANALOG_REG3_LABEL      439
#define IDC_ANALOG_GROUP1          441
#define IDC_ANALOG_RANGE1          442
#define IDC_ANALOG_GROUP2          443
#define IDC_ANALOG_RANGE2          444
#define IDC_ANALOG_GROUP3          445
#define IDC_ANALOG_RANGE3          446
#define IDC_ANALOG_GROUP4          447
#define IDC_ANALOG_RANGE4          448
#define IDC_ANALOG_TIMESTAMP       450
#define IDC_ANALOG_TRIGGER         451
#define IDC_ANALOG_ALARMS          452
#define IDC_ANALOG_DEFAULTS        454
#define IDC_ANALOG_LOGO            501

// Template 134. Row k (1-8) holds channels 4k-3 to 4k; its minimum is the
// even register, its maximum the odd one.
#define IDC_ALARM_LOGO             501
#define IDC_ALARM_ROW1             504
#define IDC_ALARM_ROW2             505
#define IDC_ALARM_ROW3             506
#define IDC_ALARM_ROW4             507
#define IDC_ALARM_ROW5             508
#define IDC_ALARM_ROW6             509
#define IDC_ALARM_ROW7             510
#define IDC_ALARM_ROW8             511
#define IDC_ALARM_MAX_BOX          512
#define IDC_ALARM_MIN_BOX          555
#define IDC_ALARM_DEFAULTS         590

// Minimum setpoints: value (editable), label, word (hex) and range/format text.
#define IDC_ALARM_MIN1_VALUE       556
#define IDC_ALARM_MIN2_VALUE       557
#define IDC_ALARM_MIN3_VALUE       558
#define IDC_ALARM_MIN4_VALUE       559
#define IDC_ALARM_MIN5_VALUE       560
#define IDC_ALARM_MIN6_VALUE       561
#define IDC_ALARM_MIN7_VALUE       562
#define IDC_ALARM_MIN8_VALUE       563
#define IDC_ALARM_MIN1_TEXT        564
#define IDC_ALARM_MIN2_TEXT        565
#define IDC_ALARM_MIN3_TEXT        566
#define IDC_ALARM_MIN4_TEXT        567
#define IDC_ALARM_MIN5_TEXT        568
#define IDC_ALARM_MIN6_TEXT        569
#define IDC_ALARM_MIN7_TEXT        570
#define IDC_ALARM_MIN8_TEXT        571
#define IDC_ALARM_MIN1_HEX         572
#define IDC_ALARM_MIN2_HEX         573
#define IDC_ALARM_MIN3_HEX         574
#define IDC_ALARM_MIN4_HEX         575
#define IDC_ALARM_MIN5_HEX         576
#define IDC_ALARM_MIN6_HEX         577
#define IDC_ALARM_MIN7_HEX         578
#define IDC_ALARM_MIN8_HEX         579
#define IDC_ALARM_MIN1_LABEL       580
#define IDC_ALARM_MIN2_LABEL       581
#define IDC_ALARM_MIN3_LABEL       582
#define IDC_ALARM_MIN4_LABEL       583
#define IDC_ALARM_MIN5_LABEL       584
#define IDC_ALARM_MIN6_LABEL       585
#define IDC_ALARM_MIN7_LABEL       586
#define IDC_ALARM_MIN8_LABEL       587

// Maximum setpoints, the same four controls.
#define IDC_ALARM_MAX1_VALUE       513
#define IDC_ALARM_MAX2_VALUE       514
#define IDC_ALARM_MAX3_VALUE       515
#define IDC_ALARM_MAX4_VALUE       516
#define IDC_ALARM_MAX5_VALUE       517
#define IDC_ALARM_MAX6_VALUE       518
#define IDC_ALARM_MAX7_VALUE       519
#define IDC_ALARM_MAX8_VALUE       520
#define IDC_ALARM_MAX1_TEXT        521
#define IDC_ALARM_MAX2_TEXT        522
#define IDC_ALARM_MAX3_TEXT        523
#define IDC_ALARM_MAX4_TEXT        524
#define IDC_ALARM_MAX5_TEXT        525
#define IDC_ALARM_MAX6_TEXT        526
#define IDC_ALARM_MAX7_TEXT        527
#define IDC_ALARM_MAX8_TEXT        528
#define IDC_ALARM_MAX1_HEX         539
#define IDC_ALARM_MAX2_HEX         540
#define IDC_ALARM_MAX3_HEX         541
#define IDC_ALARM_MAX4_HEX         542
#define IDC_ALARM_MAX5_HEX         543
#define IDC_ALARM_MAX6_HEX         544
#define IDC_ALARM_MAX7_HEX         545
#define IDC_ALARM_MAX8_HEX         546
#define IDC_ALARM_MAX1_LABEL       547
#define IDC_ALARM_MAX2_LABEL       548
#define IDC_ALARM_MAX3_LABEL       549
#define IDC_ALARM_MAX4_LABEL       550
#define IDC_ALARM_MAX5_LABEL       551
#define IDC_ALARM_MAX6_LABEL       552
#define IDC_ALARM_MAX7_LABEL       553
#define IDC_ALARM_MAX8_LABEL       554
