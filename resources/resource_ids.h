/* Resource and control identifiers shared by velmora.rc and the code.
   Plain #defines only: windres reads this file too. */
#ifndef VELMORA_RESOURCE_IDS_H
#define VELMORA_RESOURCE_IDS_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Dialog templates and the icon group. */
#define IDD_CONTROL_SETTINGS 101
#define IDD_CALIBRATION 103
#define IDI_VELMORA 104
#define IDD_GRAPHIC_SETTINGS 105
#define IDD_LAUNCHER 106
#define IDD_INPUT_TEST 107

/* Launcher (106). */
#define IDC_LAUNCHER_GRAPHICS 1021
#define IDC_LAUNCHER_CONTROLS 1023

/* Graphic settings (105). */
#define IDC_GRAPHIC_DEVICE 1028
#define IDC_GRAPHIC_MULTITEXTURE 1029
#define IDC_GRAPHIC_MODE 1030
#define IDC_GRAPHIC_TEXTURE_DEPTH 1031
#define IDC_GRAPHIC_COMPRESS 1032
#define IDC_GRAPHIC_QUALITY 1034
#define IDC_GRAPHIC_TEST 1035
#define IDC_GRAPHIC_TEST_STATUS 1036

/* Control settings (101). */
#define IDC_CONTROL_DEVICE 1001
#define IDC_CONTROL_FORCE_FEEDBACK 1003
#define IDC_CONTROL_LEFT 1006
#define IDC_CONTROL_ACCELE 1007
#define IDC_CONTROL_BRAKE 1009
#define IDC_CONTROL_SHIFTUP 1010
#define IDC_CONTROL_SHIFTDOWN 1011
#define IDC_CONTROL_VIEWUP 1012
#define IDC_CONTROL_LEFT_MODE 1013
#define IDC_CONTROL_RIGHT 1014
#define IDC_CONTROL_ACCELE_MODE 1015
#define IDC_CONTROL_BRAKE_MODE 1016
#define IDC_CONTROL_VIEWDOWN 1017
#define IDC_CONTROL_SIDEBRAKE 1018
#define IDC_CONTROL_RESET 1019
#define IDC_CONTROL_LIGHT 1020
#define IDC_CONTROL_CALIBRATE_LEFT 1021
#define IDC_CONTROL_CALIBRATE_BRAKE 1022
#define IDC_CONTROL_CALIBRATE_ACCELE 1023
#define IDC_CONTROL_TEST 1037
/* What the control settings say about the chosen controller; empty when nothing. */
#define IDC_CONTROL_NOTE 1038

/* Input test (107). Function k (FunctionComboIds order) shows its value in
   1060 + k, its label in 1110 + k, its input in 1120 + k and, for LEFT to BRAKE,
   its bar in 1130 + k; axis a (0-7) its value in 1070 + a, its name in 1140 + a
   and its bar in 1150 + a; hat p (0-3) its value in 1078 + p and its label in
   1158 + p; button i (0-31) its box in 1162 + i. The force-feedback test has
   its button in 1084 and its status in 1085. */
#define IDC_INPUT_TEST_FUNCTION_VALUE 1060
#define IDC_INPUT_TEST_AXIS_VALUE 1070
#define IDC_INPUT_TEST_POV_VALUE 1078
#define IDC_INPUT_TEST_BUTTONS_DOWN 1082
#define IDC_INPUT_TEST_NOTES 1083
#define IDC_INPUT_TEST_FORCE_FEEDBACK 1084
#define IDC_INPUT_TEST_FORCE_FEEDBACK_STATUS 1085
#define IDC_INPUT_TEST_FUNCTION_LABEL 1110
#define IDC_INPUT_TEST_FUNCTION_INPUT 1120
#define IDC_INPUT_TEST_FUNCTION_BAR 1130
#define IDC_INPUT_TEST_AXIS_NAME 1140
#define IDC_INPUT_TEST_AXIS_BAR 1150
#define IDC_INPUT_TEST_POV_LABEL 1158
#define IDC_INPUT_TEST_BUTTON_BOX 1162
#define IDC_INPUT_TEST_FUNCTIONS_HEADING 1194
#define IDC_INPUT_TEST_INPUTS_HEADING 1195
#define IDC_INPUT_TEST_BUTTONS_LABEL 1196

/* Calibration (103). */
#define IDC_CALIBRATION_RESET 1019
#define IDC_CALIBRATION_SLIDER 1025
#define IDC_CALIBRATION_MINIMUM 1026
#define IDC_CALIBRATION_MAXIMUM 1027

/* Texts no template holds, in a STRINGTABLE under each language. The tests before
   the game own 64 ids each (four whole string blocks), so each adds its texts
   beside the others without renumbering: 2000-2063 the graphics test,
   2064-2127 the input test window, 2128-2191 the force-feedback test, 2192-2255
   the control settings' note. */
#define IDS_GRAPHICS_TEST_FIRST 2000
/* Over the test scene; the countdown and the textures line take %d. */
#define IDS_GRAPHICS_TEST_PROMPT 2000
#define IDS_GRAPHICS_TEST_COUNTDOWN 2001
#define IDS_GRAPHICS_TEST_TEXTURES 2002
#define IDS_GRAPHICS_TEST_TWO_STAGES 2003
#define IDS_GRAPHICS_TEST_TWO_STAGES_MISSING 2004
#define IDS_GRAPHICS_TEST_COMPRESSED 2005
#define IDS_GRAPHICS_TEST_COMPRESSED_MISSING 2006
/* The status after a test; the failure takes the step (%s) and its code. */
#define IDS_GRAPHICS_TEST_CONFIRMED 2016
#define IDS_GRAPHICS_TEST_NOT_CONFIRMED 2017
#define IDS_GRAPHICS_TEST_FAILED 2018
/* The failed steps, in the order of the test's steps. */
#define IDS_GRAPHICS_TEST_STEP_PREPARING 2032
#define IDS_GRAPHICS_TEST_STEP_DISPLAY_MODE 2033
#define IDS_GRAPHICS_TEST_STEP_SCREEN 2034
#define IDS_GRAPHICS_TEST_STEP_DEVICE 2035
#define IDS_GRAPHICS_TEST_STEP_TEXTURES 2036
#define IDS_GRAPHICS_TEST_STEP_DRAWING 2037
#define IDS_INPUT_TEST_FIRST 2064
/* The input test's notes, one line each. */
#define IDS_INPUT_TEST_TRIGGERS_NOTE 2064
#define IDS_INPUT_TEST_NOT_CONNECTED_NOTE 2065
#define IDS_FORCE_FEEDBACK_TEST_FIRST 2128
/* The status while the force plays, and after; the failure takes the step (%s)
   and its code. The button reads IDS_FORCE_FEEDBACK_STOP while the force plays. */
#define IDS_FORCE_FEEDBACK_HOLD_WHEEL 2128
#define IDS_FORCE_FEEDBACK_HOLD_CONTROLLER 2129
#define IDS_FORCE_FEEDBACK_PLAYED_LEFT_RIGHT 2130
#define IDS_FORCE_FEEDBACK_PLAYED_VIBRATION 2131
#define IDS_FORCE_FEEDBACK_STOPPED 2132
#define IDS_FORCE_FEEDBACK_NO_EFFECT 2133
#define IDS_FORCE_FEEDBACK_FAILED 2134
#define IDS_FORCE_FEEDBACK_STOP 2135
/* The failed steps, in the order of the test's steps. */
#define IDS_FORCE_FEEDBACK_STEP_TAKING 2144
#define IDS_FORCE_FEEDBACK_STEP_CREATING 2145
#define IDS_FORCE_FEEDBACK_STEP_PLAYING 2146
#define IDS_CONTROL_NOTE_FIRST 2192
/* The control settings' notes, two lines at most; the third is the input
   test's IDS_INPUT_TEST_TRIGGERS_NOTE. */
#define IDS_CONTROL_NOTE_STEAM_PAD 2192
#define IDS_CONTROL_NOTE_PEDALS_FROM_REST 2193

#endif
