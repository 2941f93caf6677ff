// Resource ids of Quenlark.exe (the framework's standard ids are in framework/command_ids.h).
// One file holds every id; each part of the program keeps its ids in its own section below.
#pragma once

#define IDR_MAINFRAME 128

// ---- Application, main frame, connecting, settings -------------------------------------------

// ---- Grid windows, catalog reads, plans ------------------------------------------------------

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

