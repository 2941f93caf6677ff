// The settings the exports read and write: separators, the INSERT script choices, the HTML
// marks. They are fields of the application's settings store, which this library cannot see;
// the store binds them here when it is built. Until then (test programs) defaults of our own
// hold and nothing is saved.
#pragma once

#include "framework/core.h"

#include <functional>

struct CExportSettings
{
    int* pMarkEvenLines = nullptr;              // "Mark even lines"
    int* pShowNull = nullptr;                   // "Debug": NULL shown as <<NULL>>
    CString* pCSVSeparator = nullptr;           // "CSV separator"
    CString* pSQLSeparator = nullptr;           // "SQL separator"
    int* pInsCommit = nullptr;                  // "InsCommit"
    int* pCommitQueries = nullptr;              // "CommitQueries"
    int* pSaveAsDBType = nullptr;               // "SaveAsDBType"
    int* pSaveAsEncoding = nullptr;             // "SaveAsEncoding"
    std::function<void()> saveCSVSeparator;     // writes "CSV separator" at once
    std::function<void()> saveSaveAsSettings;   // the four INSERT script values
    std::function<void()> saveCurrentDirectory; // the folder a file dialog left
};

// Binds the store's fields (an empty record restores the defaults).
void BindExportSettings(const CExportSettings& settings);
// The bound fields, or the defaults; every pointer is valid, every function callable.
const CExportSettings& ExportSettings();
