// Resource, command and control ids of Tarvik. Shared by the .rc templates and the code;
// no numeric id appears anywhere else. Control ids follow ranges by kind: labels 1001-1017,
// push buttons 1040-1059 (and 1198, 1199, 1250-1261), radio buttons 1061-1066, edit fields
// 1071-1121, combo boxes 1201-1202, check boxes 1221-1222, list boxes 1231. The same number
// means different controls in different dialogs; each dialog has its own names below.
#pragma once

// ---- strings, icon, image strips ---------------------------------------------------------
#define IDS_WINDOW_TITLE 99
#define IDS_WINDOW_CLASS 1203
#define IDI_TARVIK 101
#define IDB_TOOLBAR_LIGHT 92
#define IDB_TOOLBAR_DARK 93
#define IDB_TOOLBAR_LIGHT_24 94 // the same strips in 24 x 24 and 32 x 32 tiles, for high DPI
#define IDB_TOOLBAR_DARK_24 95
#define IDB_TOOLBAR_LIGHT_32 96
#define IDB_TOOLBAR_DARK_32 97

// ---- main window children ----------------------------------------------------------------
#define IDC_STATUS_BAR 328
#define IDC_TOOLBAR 329
#define IDT_REFRESH 1 // timer 1 of the main window

// ---- menu commands and their toolbar twins -----------------------------------------------
#define IDM_SAVE_LOG 201
#define IDM_LOAD_LOG 202
#define IDM_EXIT 203
#define IDM_REPAINT 204
#define IDM_EXPORT_PCAPNG 205 // File: the buffer as a pcapng file
#define IDM_CAPTURE 206       // File: capture to a pcapng file on/off
#define IDM_CLEAR 211
#define IDM_SCROLL_END 212
#define IDM_SCROLL_START 213
#define IDM_LAST_LINE 214
#define IDM_FIRST_LINE 215
#define IDM_FIND 216          // View: the find dialog
#define IDM_FIND_NEXT 217     // View: find the last pattern again, forward (F3)
#define IDM_FIND_PREVIOUS 218 // View: the same backward (Shift+F3)
#define IDM_COPY_PRESET 219   // Edit: the selection as preset lines
#define IDM_SELECT_ALL 220    // Edit: every data byte of the buffer
#define IDM_INPUT_SEND 221
#define IDM_PRESET_SEND 222
#define IDM_MACRO 223
#define IDM_RESPONDER 224        // Send: the Responder dialog
#define IDM_RESPONDER_SWITCH 225 // Send: the responder on/off
#define IDM_PRESET_EDIT 226
#define IDM_SCRATCH_TEXT 227
#define IDM_EDIT_MACRO 228
#define IDM_COPY_HEX 229  // Edit: the selection as hexadecimal pairs (Ctrl+C)
#define IDM_COPY_TEXT 230 // Edit: the selection as text
#define IDM_CONNECTION_SETTINGS 231
#define IDM_OPEN 232
#define IDM_CLOSE 233
#define IDM_HOST_NAME 234
#define IDM_ENVIRONMENT 241
#define IDM_DARK_MODE 242
#define IDM_LANGUAGE 243
#define IDM_COLOURS 244
#define IDM_ABOUT 251
#define IDM_MANUAL 252
#define IDM_HOME_PAGE 253

#define IDT_SAVE_LOG 330
#define IDT_LOAD_LOG 331
#define IDT_REPAINT 332
#define IDT_CLEAR 333
#define IDT_SCROLL_END 334
#define IDT_SCROLL_START 335
#define IDT_LAST_LINE 336
#define IDT_FIRST_LINE 337
#define IDT_INPUT_SEND 338
#define IDT_PRESET_SEND 339
#define IDT_MACRO 340
#define IDT_CONNECTION_SETTINGS 341
#define IDT_OPEN 342
#define IDT_CLOSE 343
#define IDT_HOST_NAME 344
#define IDT_PRESET_EDIT 345
#define IDT_SCRATCH_TEXT 346
#define IDT_EDIT_MACRO 347
#define IDT_ENVIRONMENT 348
#define IDT_DARK_MODE 349
#define IDT_LANGUAGE 350
#define IDT_COLOURS 351
#define IDT_ABOUT 352
#define IDT_MANUAL 353
#define IDT_HOME_PAGE 354
#define IDT_EXIT 355
#define IDT_EXPORT_PCAPNG 356
#define IDT_CAPTURE 357
#define IDT_RESPONDER_SWITCH 358

// ---- dialog templates --------------------------------------------------------------------
#define IDD_ABOUT 120
#define IDD_CONNECTION_SETTINGS 121
#define IDD_INPUT_SEND 124
#define IDD_PRESET_SEND 125
#define IDD_ENVIRONMENT 126
#define IDD_MACRO 127
#define IDD_LANGUAGE 128
#define IDD_ADAPTER_LIST 129
#define IDD_CONNECT_ADDRESS 130
#define IDD_DARK_MODE 134
#define IDD_COLOURS 135
#define IDD_PRESET_EDIT 136
#define IDD_IP_ADDRESS_SETTING 137
#define IDD_ADD_IP_ADDRESS 138
#define IDD_FIND 139

// ---- keyboard accelerator tables -----------------------------------------------------------
#define IDA_MAIN_KEYS 1 // the main window's shortcuts
#define IDA_FIND_KEYS 2 // those that also work while the find dialog has the focus
#define IDD_RESPONDER 140

// ---- character entry editor (input send 124 and preset edit 136) ---------------------------
#define IDC_INPUT_CAPTURE 501
#define IDC_EDIT_CAPTURE 502
#define IDC_ENTRY_SCROLL_LEFT 1044
#define IDC_ENTRY_SCROLL_RIGHT 1045
#define IDC_ENTRY_MODE_LABEL 1001
#define IDC_ENTRY_ASC 1061
#define IDC_ENTRY_HEX 1062

// ---- about box 120 -----------------------------------------------------------------------
#define IDC_ABOUT_VERSION 1001
#define IDC_ABOUT_OK 1041
#define IDC_ABOUT_NEW_VERSION 1042

// ---- connection settings 121 ---------------------------------------------------------------
#define IDC_CS_LABEL_MODE 1001
#define IDC_CS_LABEL_TRANSPORT 1002
#define IDC_CS_LABEL_BIND 1003
#define IDC_CS_LABEL_CONNECT 1004
#define IDC_CS_LABEL_LOCAL_PORT 1005
#define IDC_CS_LABEL_PEER_PORT 1006
#define IDC_CS_OK 1041
#define IDC_CS_CANCEL 1042
#define IDC_CS_ADAPTER_SEARCH 1043
#define IDC_CS_CONNECT_SEARCH 1044
#define IDC_CS_NETWORK_CENTER 1045
#define IDC_CS_IP_ADDRESS_SET 1046
#define IDC_CS_CLIENT 1061
#define IDC_CS_SERVER 1062
#define IDC_CS_TIP 1063
#define IDC_CS_UDP 1064
#define IDC_CS_BIND_AUTO 1065
#define IDC_CS_BIND_VALID 1066
#define IDC_CS_LOCAL_OCTET1 1071
#define IDC_CS_LOCAL_OCTET2 1072
#define IDC_CS_LOCAL_OCTET3 1073
#define IDC_CS_LOCAL_OCTET4 1074
#define IDC_CS_LOCAL_PORT 1075
#define IDC_CS_PEER_OCTET1 1076
#define IDC_CS_PEER_OCTET2 1077
#define IDC_CS_PEER_OCTET3 1078
#define IDC_CS_PEER_OCTET4 1079
#define IDC_CS_PEER_PORT 1080
#define IDC_CS_WSA_VERSION 1202
#define IDC_CS_AD 1221
#define IDC_CS_TLS 1223

// ---- input send 124 ----------------------------------------------------------------------
#define IDC_IS_LABEL_TARGET 1003
#define IDC_IS_SEND 1041
#define IDC_IS_CLOSE 1042
#define IDC_IS_CLEAR 1043
#define IDC_IS_DELETE_ROW0 1046 // 1046..1050: delete history row 0..4
#define IDC_IS_BACKSPACE 1051
#define IDC_IS_PAGE_BACK 1052
#define IDC_IS_PAGE_FORWARD 1053
#define IDC_IS_REFRESH_TARGETS 1056
#define IDC_IS_SHORT_FORM 1057
#define IDC_IS_TARGET 1202
#define IDC_IS_SEND_ROW0 1250 // 1250..1254: send history row 0..4
#define IDC_IS_CLEAR_HISTORY 1260
#define IDC_IS_SAVE_HISTORY 1261

// ---- preset send 125 ---------------------------------------------------------------------
#define IDC_PS_ROW_NUMBER0 1001 // 1001..1010
#define IDC_PS_HEADING 1011
#define IDC_PS_LABEL_TARGET 1012
#define IDC_PS_SEND_ROW0 1041 // 1041..1050
#define IDC_PS_CLOSE 1051
#define IDC_PS_PAGE_BACK 1052
#define IDC_PS_PAGE_FORWARD 1053
#define IDC_PS_RELOAD 1054
#define IDC_PS_LOAD_OTHER 1055
#define IDC_PS_REFRESH_TARGETS 1056
#define IDC_PS_NARROW_FORM 1057
#define IDC_PS_TARGET 1202

// ---- environment settings 126 --------------------------------------------------------------
#define IDC_ENV_LABEL_SCROLL 1011
#define IDC_ENV_LABEL_PERIOD 1012
#define IDC_ENV_OK 1041
#define IDC_ENV_PERIOD 1071
#define IDC_ENV_SCROLL 1201
#define IDC_ENV_LOWER_CASE 1221
#define IDC_ENV_NO_AUTO_FOCUS 1222

// ---- macro 127 ---------------------------------------------------------------------------
#define IDC_MACRO_LABEL_FILE 1001
#define IDC_MACRO_STEP 1002
#define IDC_MACRO_LINE 1003
#define IDC_MACRO_START 1041
#define IDC_MACRO_CLOSE 1042
#define IDC_MACRO_BROWSE 1043
#define IDC_MACRO_ABORT 1044
#define IDC_MACRO_FILE 1071

// ---- language 128 ------------------------------------------------------------------------
#define IDC_LANG_OK 1041
#define IDC_LANG_NAME 1201

// ---- adapter list 129 and connect-address list 130 -----------------------------------------
#define IDC_LIST_SET 1041
#define IDC_LIST_CLOSE 1042
#define IDC_LIST_BOX 1231

// ---- dark and light mode 134 ---------------------------------------------------------------
#define IDC_DM_WRITE 1041
#define IDC_DM_CLOSE 1042
#define IDC_DM_DARK 1221
#define IDC_DM_NO_MENU_BAR 1222

// ---- colour setting 135 --------------------------------------------------------------------
#define IDC_COL_LABEL0 1001 // 1001..1018: row labels
#define IDC_COL_CANCEL 1040
#define IDC_COL_BUTTON0 1041 // 1041..1058: colour chooser of row 0..17
#define IDC_COL_LIGHT 1061
#define IDC_COL_DARK 1062
#define IDC_COL_FIELD0 1071 // 1071..1124: red, green, blue of row 0..17
#define IDC_COL_REWRITE 1198
#define IDC_COL_SET 1199

// ---- preset edit 136 ---------------------------------------------------------------------
#define IDC_PE_CLOSE 1041
#define IDC_PE_ASSEMBLE 1042
#define IDC_PE_CLEAR 1046
#define IDC_PE_BACKSPACE 1047
#define IDC_PE_ROW0 1048 // 1048..1057: select row 0..9
#define IDC_PE_PAGE_BACK 1058
#define IDC_PE_PAGE_FORWARD 1059
#define IDC_PE_MOVE_DOWN 1256
#define IDC_PE_MOVE_UP 1257
#define IDC_PE_DELETE 1258
#define IDC_PE_LOAD 1259
#define IDC_PE_DELETE_ALL 1260
#define IDC_PE_SAVE 1261

// ---- IP address setting 137 and add IP address 138 ----------------------------------------
#define IDC_IP_LABEL 1001
#define IDC_IP_CHANGE 1041
#define IDC_IP_ADD 1042
#define IDC_IP_DELETE 1043
#define IDC_IP_CANCEL 1044
#define IDC_IP_PASSWORD_TOOL 1221
#define IDC_IP_ID_DELAY 1071
#define IDC_IP_PW_DELAY 1072
#define IDC_IP_ID 1073
#define IDC_IP_PASSWORD 1074
#define IDC_IP_LIST 1231

#define IDC_ADD_SEARCH 1041
#define IDC_ADD_SET 1042
#define IDC_ADD_CLOSE 1043
#define IDC_ADD_AUTO 1221
#define IDC_ADD_ADDRESS1 1071 // 1071..1074
#define IDC_ADD_MASK1 1075    // 1075..1078
#define IDC_ADD_LIST 1231

// ---- find 139 ----------------------------------------------------------------------------
#define IDC_FIND_PATTERN 1301
#define IDC_FIND_ASC 1302
#define IDC_FIND_HEX 1303
#define IDC_FIND_BOTH 1304
#define IDC_FIND_READ 1305
#define IDC_FIND_SEND 1306
#define IDC_FIND_NEXT 1307
#define IDC_FIND_PREVIOUS 1308
#define IDC_FIND_STATUS 1309
#define IDC_FIND_LABEL_PATTERN 1310
#define IDC_FIND_LABEL_LOOK_IN 1311

// ---- responder 140 (modeless) -------------------------------------------------------------
#define IDC_RSP_LABEL_FILE 1320
#define IDC_RSP_FILE 1321
#define IDC_RSP_LOAD 1322
#define IDC_RSP_RELOAD 1323
#define IDC_RSP_ON 1324
#define IDC_RSP_LIST 1325
#define IDC_RSP_COUNTS 1326
#define IDC_RSP_CLOSE 1327
