// Resource ids of Quenlark.exe (the framework's standard ids are in framework/command_ids.h).
// One file holds every id; each part of the program keeps its ids in its own section below.
#pragma once

#define IDR_MAINFRAME 128

// ---- Application, main frame, connecting, settings -------------------------------------------

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

