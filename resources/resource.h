// Resource ids of Quenlark.exe (the framework's standard ids are in framework/command_ids.h).
// One file holds every id; each part of the program keeps its ids in its own section below.
#pragma once

#define IDR_MAINFRAME 128

// ---- Application, main frame, connecting, settings -------------------------------------------
// Icons (ids below 171 are exactly these: the ".sql" association names the script icon by index).
#define IDI_TABLES_TAB 144
#define IDI_VIEWS_TAB 145
#define IDI_PROCEDURE 146
#define IDI_SUPPORTED 153
#define IDI_PRIMARY_KEY 154
#define IDI_FOREIGN_KEY 155
#define IDI_PRIMARY_FOREIGN_KEY 156
#define IDI_PROCEDURES_TAB 170
// Bitmaps: the toolbar images (normal, disabled) and the delete button of the strings dialog.
#define IDB_TOOLBAR_NORMAL 233
#define IDB_TOOLBAR_DISABLED 236
#define IDB_DELETE 251

// Dialogs and their controls.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDD_ABOUTBOX 100
#define IDD_CONNECT_STRINGS 130
#define IDD_WAIT 132
#define IDD_DSN 242
#define IDD_END_TRANSACTION 243
#define IDD_DRIVERS 247
#define IDC_CONNECT_STRING 1000
#define IDC_WAIT_MESSAGE 1003
#define IDC_WAIT_INFO 1004
#define IDC_WAIT_PROCESS 1088
#define IDC_HELP_BUTTON 1131
#define IDC_COMMIT 1145
#define IDC_WAIT_PROGRESS 1157
#define IDC_WAIT_MARQUEE 1162
#define IDC_DSN_LIST 1169
#define IDC_SERVER_LOGIN 1170
#define IDC_TRUSTED_CONNECTION 1171
#define IDC_USER 1172
#define IDC_PASSWORD 1173
#define IDC_QUESTION_ICON 1174
#define IDC_ROLLBACK 1175
#define IDC_DRIVER_LIST 1177
#define IDC_DELETE_STRING 1183
#define IDC_ABOUT_ICON 1190
#define IDC_ABOUT_VERSION 1191
#define IDC_ABOUT_LINK1 1192
#define IDC_ABOUT_LINK2 1193
#define IDC_OUTPUT_EDIT 112

// Control bars of the main frame.
#define IDW_DATABASE_BAR 109
#define IDW_OUTPUT_BAR 111

// Strings.
#define IDS_VERSION 134
#define IDS_ACCESS_FILES_FILTER 140
#define IDS_FIREBIRD_FILES_FILTER 141
#define IDS_TOO_MANY_FILES 142
#define IDS_BEGIN_TRANS_FAILED 143
#define IDS_END_TRANS_FAILED 144
#define IDS_ENCODING_ANSI 162
#define IDS_ENCODING_UNICODE 163
#define IDS_ENCODING_UTF8 164
#define IDS_EXECUTING 61218
#define IDS_READING_TABLES 61219
#define IDS_READING_VIEWS 61220
#define IDS_CLOSING 61221
#define IDS_READING_PROCEDURES 61222
#define IDS_SORTING 61223
#define IDS_REFRESHING 61224
#define IDS_DELETING 61225
#define IDS_OPEN_SCRIPT_PROMPT 61226
#define IDS_CONNECTING 61214
#define IDS_TRACE_ON_PROMPT 61216
#define IDS_TRACE_OFF_PROMPT 61217
#define IDS_CLOSING_CONNECTION 61227
#define IDS_CLOSE_CURRENT_CONNECTION 61230

// Status bar panes (the "TRANS" pane reuses the framework's fifth indicator id).
#define ID_INDICATOR_ROWS 61213
#define ID_INDICATOR_PANE2 59143
#define ID_INDICATOR_TRANS 59142

// Menu commands. Pop-up placeholders: the recent script files and the recent connections.
#define ID_RECENT_FILE_FIRST 2000
#define ID_RECENT_CONNECTION_FIRST 3000
#define ID_EDIT_DELETE 102
#define ID_CONNECT_STRINGS 32772
#define ID_CONNECT_DSN 32773
#define ID_CONNECT_CLOSE 32774
#define ID_QUERY_SQL 32775
#define ID_QUERY_COLUMNS 32785
#define ID_DB_TRACE_ON 32787
#define ID_DB_TRACE_OFF 32788
#define ID_CONNECT_PROPERTIES 32789
#define ID_QUERY_TABLES 32790
#define ID_QUERY_REFRESH 32794
#define ID_CONNECT_TYPES 32804
#define ID_WINDOW_CLOSE_ALL 32805
#define ID_QUERY_VIEWS 32807
#define ID_WINDOW_PREVIOUS 32817
#define ID_WINDOW_NEXT 32818
#define ID_QUERY_SHOW_SQL 32819
#define ID_CONNECT_FUNCTIONS 32820
#define ID_QUERY_TABLE_INFO 32821
#define ID_QUERY_DELETE_ALL 32823
#define ID_DB_BEGIN_TRANS 32824
#define ID_DB_END_TRANS 32825
#define ID_CONNECT_FILE 32826
#define ID_QUERY_SAVE_DATA 32828
#define ID_QUERY_PROCEDURES 32829
#define ID_SCRIPT_OPEN 32835
#define ID_EDIT_FIND_PREVIOUS 32842
#define ID_SCRIPT_EXECUTE_SELECTION 32844
#define ID_EDIT_COPY_AS_C 32846
#define ID_VIEW_REFRESH_DBBAR 32855
#define ID_VIEW_DBBAR_BUTTON 32856
#define ID_VIEW_SWITCH_DBBAR 32863
#define ID_VIEW_SWITCH_WORK 32864
#define ID_VIEW_DBBAR 32866
#define ID_QUERY_SORT 32875
#define ID_SCRIPT_EXECUTE_FILE 32878
#define ID_VIEW_OUTPUT 32879
#define ID_VIEW_SWITCH_OUTPUT 32880
#define ID_SCRIPT_EXECUTE_PLAN 32881
#define ID_EDIT_INSERT 32890
#define ID_EDIT_UPDATE 32892
#define ID_DB_COMPACT 32895
#define ID_DB_REPAIR 32896
#define ID_SCRIPT_EXECUTE_CURRENT 32897
#define ID_CONNECT_RECONNECT 32898
#define ID_QUERY_FILTER 32900
#define ID_QUERY_CONSTRAINTS 32908
#define ID_QUERY_GOTO 32914
#define ID_EDIT_VALUE 32918
#define ID_EDIT_COPY_VALUE 32919
#define ID_CONNECT_DRIVER 32920
#define ID_EDIT_WORD_WRAP 32940
#define ID_DB_DSN_ADMINISTRATOR 32941
#define ID_VIEW_OPTIONS 32942

// ---- Grid windows, catalog reads, plans ------------------------------------------------------
#define IDD_FIND 106
#define IDD_REPLACE 107
#define IDD_SORT 205
#define IDD_COLUMNS 211
#define IDD_FILTER 224
#define IDD_GOTO 239
#define IDD_EDIT_VALUE 240
#define IDR_GRID_CONTEXT_MENU 197
#define IDI_GRID_TABLE 187
#define IDI_GRID_VIEW 188
#define IDI_GRID_FUNCTION 189
#define IDI_GRID_TABLE_LIKE 208
#define IDI_GRID_PLAN 210
#define IDI_GRID_FILTER 227
#define IDI_GRID_EDIT_VALUE 241
#define IDI_GRID_PROCEDURE 146
#define IDI_GRID_GOTO 155
#define IDB_MOVE_UP 213
#define IDB_MOVE_BOTTOM 214
#define IDB_MOVE_DOWN 215
#define IDB_MOVE_TOP 216
#define IDS_READING_DATA 159
#define IDS_INVALID_XML 160
#define IDS_EXECUTION_PLAN_FOR 32776
#define IDS_INSERTING_ROW 61206
#define IDS_DELETING_ROW 61207
#define IDS_UPDATING 61208
#define IDS_INSERT_PROMPT 61209
#define IDS_EDIT_PROMPT 61210
#define IDS_UPDATE_PROMPT 61211
#define IDS_GRID_IDLE 61212
#define IDS_GRID_EXECUTING 61218
#define IDS_GRID_SORTING 61223
#define IDS_GRID_REFRESHING 61224
#define IDS_GRID_DELETING 61225
#define IDS_CANNOT_FIND 61231
#define IDS_INVALID_VALUE 61250
// Controls of the grid windows' dialogs.
#define IDC_FIND_WHAT 1001
#define IDC_MATCH_CASE 1002
#define IDC_DIRECTION_UP 1003
#define IDC_DIRECTION_DOWN 1004
#define IDC_REPLACE_WITH 1005
#define IDC_REPLACE 1006
#define IDC_REPLACE_ALL 1007
#define IDC_FIND_NEXT 102
#define IDC_WHOLE_WORD 1096
#define IDC_ITEM_LIST 1054
#define IDC_MOVE_UP 1133
#define IDC_MOVE_DOWN 1134
#define IDC_MOVE_TOP 1135
#define IDC_MOVE_BOTTOM 1136
#define IDC_FILTER_ADD 1152
#define IDC_FILTER_EDIT 1153
#define IDC_FILTER_DELETE 1154
#define IDC_RESET 1164
#define IDC_VALUE_EDITOR 1153
#define IDC_VALUE_FIND 1167
#define IDC_VALUE_FIND_LABEL 1168

// ---- SQL scripts, script windows, SQL query --------------------------------------------------

// ---- Exports ---------------------------------------------------------------------------------
#define IDS_GUID_AS_TEXT 106
#define IDS_GUID_AS_BINARY 107
#define IDS_FILTER_HTML 146
#define IDS_FILTER_CSV 147
#define IDS_FILTER_SQL 148
#define IDS_FILTER_EXCEL 149
#define IDS_CSV_SEPARATOR_REQUIRED 150
#define IDS_COLLECTING_TABLES_INFO 151
#define IDS_FAILED_TO_START_EXCEL 32893
#define IDD_SAVEAS_SQL 167
#define IDD_SAVEAS_CSV 228
#define IDC_EXPORT_SEPARATOR 1020
#define IDC_EXPORT_DATABASE 1094
#define IDC_EXPORT_GUIDS 1095
#define IDC_EXPORT_SAVE_SCHEMA 1101
#define IDC_EXPORT_COMMIT 1135
#define IDC_EXPORT_COMMIT_COUNT 1136
#define IDC_EXPORT_COMMIT_SPIN 1137
#define IDC_EXPORT_COMMIT_QUERIES 1138
#define IDC_EXPORT_ENCODING 1179

// ---- Object browser ----------------------------------------------------------------------------

// ---- Procedures, tables dialog, join wizard, options --------------------------------------------

