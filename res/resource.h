// Resource ids shared by every subsystem and by Sivrel.rc.
// The resource compiler reads this file too: keep it to plain "#define NAME number" lines.

// Frame resources: the tray menu; also the tray icon's identifier. There is deliberately no
// icon, string table or accelerator table with this id: start-up relies on their absence.
#define IDR_TRAYMENU 201

// Icons. Status icons come in pairs: a flat set for Windows 8 and later, a glossy one before.
#define IDI_APP 128
#define IDI_STATUS_RECORDING 207
#define IDI_STATUS_NOT_CONNECTED 208
#define IDI_STATUS_NOT_AUTHORIZED 254
#define IDI_STATUS_MONITORED 255
#define IDI_STATUS_CONNECTED 210
#define IDI_STATUS_RECORDING_LEGACY 277
#define IDI_STATUS_NOT_CONNECTED_LEGACY 275
#define IDI_STATUS_NOT_AUTHORIZED_LEGACY 274
#define IDI_STATUS_MONITORED_LEGACY 278
#define IDI_STATUS_CONNECTED_LEGACY 273

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_MAINDLG 129

// Controls of the comments window (template 129); its title picture has no id
#define IDC_START_SUBMIT 1000
#define IDC_STOP 1001
#define IDC_PAUSE_RESUME 1002
#define IDC_CLOSE 1011
#define IDC_COMMENT 1016
#define IDC_BUSY 1020
#define IDC_WHAT_IS_THIS 1021
#define IDC_UPLOADING 1027
#define IDC_UPLOADED 1028

// Commands (WM_COMMAND low word) handled by the tray frame
#define ID_COMMENTS_HIDE 32769
#define ID_RECORDING_START 32770
#define ID_COMMENT_SUBMIT 32771
#define ID_RECORDING_STOP 32772
#define ID_RECORDING_PAUSE 32773
#define ID_RECORDING_RESUME 32774
#define ID_TRAY_OPEN 32775
#define ID_TRAY_RESTART 32777
#define ID_AUTORECORD_TOGGLE 32782
#define ID_TRAY_VERSION 32784
#define ID_ABOUT_DIALOG 57664
#define ID_TRAY_EXIT 57665

// The busy animation, resource type "GIF"
#define IDR_BUSY_GIF 239

// Bitmaps of the comments window, one set per display DPI (96, 120, 144, 192)
// skin background, 454 x 190 at 96 DPI
#define IDB_SKIN_96 202
#define IDB_SKIN_120 256
#define IDB_SKIN_144 247
#define IDB_SKIN_192 240
// idle title, 234 x 36 at 96 DPI
#define IDB_TITLE_IDLE_96 229
#define IDB_TITLE_IDLE_120 261
#define IDB_TITLE_IDLE_144 252
#define IDB_TITLE_IDLE_192 241
// recording title, 208 x 23 at 96 DPI
#define IDB_TITLE_RECORDING_96 230
#define IDB_TITLE_RECORDING_120 262
#define IDB_TITLE_RECORDING_144 253
#define IDB_TITLE_RECORDING_192 242
// paused title, 154 x 21 at 96 DPI
#define IDB_TITLE_PAUSED_96 295
#define IDB_TITLE_PAUSED_120 303
#define IDB_TITLE_PAUSED_144 304
#define IDB_TITLE_PAUSED_192 305
// Start face, 79 x 29 at 96 DPI
#define IDB_START_96 228
#define IDB_START_120 260
#define IDB_START_144 251
#define IDB_START_192 244
// Submit face, 79 x 30 at 96 DPI
#define IDB_SUBMIT_96 279
#define IDB_SUBMIT_120 280
#define IDB_SUBMIT_144 281
#define IDB_SUBMIT_192 282
// submitted face, 79 x 29 at 96 DPI
#define IDB_SUBMITTED_96 283
#define IDB_SUBMITTED_120 284
#define IDB_SUBMITTED_144 285
#define IDB_SUBMITTED_192 286
// pause face, 23 x 25 at 96 DPI
#define IDB_PAUSE_96 291
#define IDB_PAUSE_120 292
#define IDB_PAUSE_144 293
#define IDB_PAUSE_192 294
// resume face, 23 x 25 at 96 DPI
#define IDB_RESUME_96 298
#define IDB_RESUME_120 300
#define IDB_RESUME_144 301
#define IDB_RESUME_192 302
// close face, 21 x 22 at 96 DPI
#define IDB_CLOSE_96 223
#define IDB_CLOSE_120 257
#define IDB_CLOSE_144 248
#define IDB_CLOSE_192 245
// stop face, 25 x 25 at 96 DPI
#define IDB_STOP_96 287
#define IDB_STOP_120 288
#define IDB_STOP_144 289
#define IDB_STOP_192 290
// What is this? link, 65 x 13 at 96 DPI
#define IDB_WHAT_IS_THIS_96 268
#define IDB_WHAT_IS_THIS_120 269
#define IDB_WHAT_IS_THIS_144 270
#define IDB_WHAT_IS_THIS_192 271
// uploading picture, 115 x 30 at 96 DPI
#define IDB_UPLOADING_96 306
#define IDB_UPLOADING_120 307
#define IDB_UPLOADING_144 308
#define IDB_UPLOADING_192 309
// uploaded picture, 105 x 26 at 96 DPI
#define IDB_UPLOADED_96 310
#define IDB_UPLOADED_120 311
#define IDB_UPLOADED_144 312
#define IDB_UPLOADED_192 313
