// Names of the text table entries that the code shows. The texts themselves live in
// Tarvik_char2.ini (docs/text_table.md lists them); a name says what the entry is for.
#pragma once

// ---- general -----------------------------------------------------------------------------
// The menu bar's titles are kTextMenuFirstTitle and the entries after it, one a popup; a
// menu item's text is also its toolbar button's tooltip.
constexpr int kTextManualCaption = 0;
constexpr int kTextManualMissing = 1;
constexpr int kTextMacroNameMissing = 2;
constexpr int kTextClearBufferQuestion = 5;
constexpr int kTextBufferNoMemory = 6;
constexpr int kTextSaveAsTitle = 10;
constexpr int kTextOpenFileTitle = 11;
constexpr int kTextNothingToSave = 12;
constexpr int kTextFileNotOpened = 13;
constexpr int kTextMacroRanOut = 15;
constexpr int kTextMacroFinished = 16;
constexpr int kTextMacroStopped = 17;
constexpr int kTextCloseConnectionCaption = 21;
constexpr int kTextClientStillConnected = 22;
constexpr int kTextNoByteOrderMark = 23;
constexpr int kTextFileEmpty = 24;
constexpr int kTextNoClient = 32;
constexpr int kTextNoClientCaption = 33;
constexpr int kTextFileNotOpenedOrCreated = 34;
constexpr int kTextRefreshPeriodLabel = 35;
constexpr int kTextDeleteQuestion = 36;
constexpr int kTextAboutCaption = 40;
constexpr int kTextCancel = 41;
constexpr int kTextPortLabel = 43;
constexpr int kTextClientOrServer = 44;
constexpr int kTextClient = 45;
constexpr int kTextServer = 46;
constexpr int kTextInputSendTitle = 60;
constexpr int kTextSendHistory = 61;
constexpr int kTextNoAutoFocus = 65;
constexpr int kTextAsc = 67;
constexpr int kTextHex = 68;
constexpr int kTextCloseSender = 69;
constexpr int kTextPresetSendTitle = 70;
constexpr int kTextPresets = 71;
constexpr int kTextSend = 72;
constexpr int kTextSendTo = 73;
constexpr int kTextCloseTool = 74;
constexpr int kTextPreferencesTitle = 75;
constexpr int kTextScrollLines = 76;
constexpr int kTextLowerCaseHex = 77;
constexpr int kTextInputMode = 79;
constexpr int kTextTipOrUdp = 80;
constexpr int kTextNowAsc = 81;
constexpr int kTextNowHex = 82;
constexpr int kTextInputModeCaption = 83;
constexpr int kTextDataToSend = 84;
constexpr int kTextPageBack = 85;
constexpr int kTextPageForward = 86;
constexpr int kTextReload = 87;
constexpr int kTextLoad = 88;
constexpr int kTextRefreshTargets = 89;
constexpr int kTextRunMacro = 90;
constexpr int kTextMacroFileName = 91;
constexpr int kTextStop = 92;
constexpr int kTextPresetData = 95;
constexpr int kTextBatchFiles = 96;
constexpr int kTextTypePassword = 97;
constexpr int kTextAdd = 98;
constexpr int kTextAdapterSearch = 99;
constexpr int kTextSetIpAddress = 100;
constexpr int kTextNetworkPanel = 101;
constexpr int kTextFindPeers = 102;
constexpr int kTextConnectionSettingsCaption = 110;
constexpr int kTextPortOutOfRange = 111;
constexpr int kTextOctetOutOfRange = 112;
constexpr int kTextPresetModeCaption = 140;
constexpr int kTextPresetNowAsc = 141;
constexpr int kTextPresetNowHex = 142;
constexpr int kTextScrollWidthRefused = 145;
constexpr int kTextAdapterListUnread = 150;
constexpr int kTextAdapterNameUnwritable = 155;
constexpr int kTextBatchFileIncomplete = 156;
constexpr int kTextMenuExportPcapng = 160;
constexpr int kTextMenuCapture = 161;
constexpr int kTextExportPcapngTitle = 162;
constexpr int kTextCaptureFileTitle = 163;
constexpr int kTextCaptureWriteFailed = 164;
constexpr int kTextExportWriteFailed = 165;
constexpr int kTextDarkMode = 180;
constexpr int kTextNoMenuBar = 181;
constexpr int kTextSaveAndRestart = 182;
constexpr int kTextPresetEditTitle = 183;
constexpr int kTextDeleteAll = 186;
constexpr int kTextSaveList = 187;
constexpr int kTextLoadList = 188;
constexpr int kTextAddToList = 190;
constexpr int kTextMenuFirstTitle = 200;
constexpr int kTextMenuSaveLog = 210;
constexpr int kTextMenuLoadLog = 211;
constexpr int kTextMenuExit = 212;
constexpr int kTextMenuRepaint = 220;
constexpr int kTextMenuClear = 221;
constexpr int kTextMenuScrollEnd = 222;
constexpr int kTextMenuScrollStart = 223;
constexpr int kTextMenuLastLine = 224;
constexpr int kTextMenuFirstLine = 225;
constexpr int kTextMenuInputSend = 230;
constexpr int kTextMenuPresetSend = 231;
constexpr int kTextMenuMacro = 232;
constexpr int kTextMenuPresetEdit = 240;
constexpr int kTextMenuScratchText = 241;
constexpr int kTextMenuEditMacro = 242;
constexpr int kTextMenuConnectionSettings = 250;
constexpr int kTextMenuOpen = 251;
constexpr int kTextMenuClose = 252;
constexpr int kTextMenuHostName = 253;
constexpr int kTextMenuEnvironment = 260;
constexpr int kTextMenuDarkMode = 261;
constexpr int kTextMenuLanguage = 262;
constexpr int kTextMenuColours = 263;
constexpr int kTextMenuAbout = 270;
constexpr int kTextMenuManual = 271;
constexpr int kTextMenuHomePage = 272;

// ---- the wire: peer close and client slots (113-119) --------------------------------------
constexpr int kTextNoClientAtSlot = 113;
constexpr int kTextPeerClosed = 114;

// ---- find, select and copy (120-129; menu items in their popups' decades) -----------------
constexpr int kTextFindPattern = 120;      // find dialog: label of the pattern field
constexpr int kTextFindLookIn = 121;       // find dialog: label of the READ/SEND choice
constexpr int kTextFound = 122;            // find status texts
constexpr int kTextNotFound = 123;
constexpr int kTextFoundWrappedStart = 124;
constexpr int kTextFoundWrappedEnd = 125;
constexpr int kTextOddHexDigits = 126;
constexpr int kTextNotHexDigit = 127;
constexpr int kTextFindNeedsClosed = 128;
constexpr int kTextNotAnsi = 129;
constexpr int kTextMenuFind = 226;         // View popup; also the find dialog's title
constexpr int kTextMenuFindNext = 227;     // also the dialog's button
constexpr int kTextMenuFindPrevious = 228; // also the dialog's button
constexpr int kTextMenuCopyHex = 243;      // Edit popup
constexpr int kTextMenuCopyText = 244;
constexpr int kTextMenuCopyPreset = 245;
constexpr int kTextMenuSelectAll = 246;

// ---- TLS (130-139) ------------------------------------------------------------------------
constexpr int kTextTlsCheckBox = 130;    // the connection settings' TLS check box
constexpr int kTextTlsQuestion = 131;    // an unknown certificate: trust it?
constexpr int kTextTlsQuestionEnd = 132; // what Yes and No do
constexpr int kTextTlsChanged = 133;     // the certificate differs from the pinned one
constexpr int kTextTlsTimeout = 134;     // no handshake within 10 s
constexpr int kTextTlsFailed = 135;      // the handshake failed
constexpr int kTextTlsPinned = 136;      // label of the pinned fingerprint
constexpr int kTextTlsSubject = 137;     // labels of the certificate's fields
constexpr int kTextTlsIssuer = 138;
constexpr int kTextTlsValid = 139;

// ---- responder (166-179; menu items in their popups' decades) -----------------------------
