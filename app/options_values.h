// The values the Options sheet edits, copied out of the settings before the sheet runs and back
// after OK. Keeping them apart from the pages lets the copy and the "grids must be refreshed"
// decision run without a window.
#pragma once

#include "framework/ui.h"

class CAppSettings;

struct COptionsValues
{
    // Page "Main".
    int m_bGridLines = 0;
    int m_bSelectFullLine = 0;
    int m_bUseCache = 0;
    int m_bDebug = 0;
    int m_bEditable = 0;
    int m_bAdjustColumns = 0;
    int m_bFetchAllRecs = 0;
    int m_bColumnScroll = 0;
    int m_bMarkEvenLines = 0;
    int m_bMarkEditLines = 0;
    int m_bShowKeysInGrid = 0;
    int m_bMarkSortedColumns = 0;
    int m_bConfirmRowDeletion = 0;
    int m_bUseCursorForEdit = 0;
    COLORREF m_crEditLines = 0;
    int m_nCacheSize = 0;
    CString m_strSQLSeparator;
    int m_nConnectStringNumber = 0;
    int m_bConnectAtStartup = 0;
    int m_nSQLQueriesNumber = 0;
    int m_nNewWindowAction = 0;
    int m_nConnectionTimeout = 0;
    int m_nLoginTimeout = 0;
    int m_nQueryTimeout = 0;
    int m_bCancelExec = 0;
    // Page "Database objects".
    int m_nTableSortDirection = 0;
    int m_nTableSortValue = 0;
    int m_bTableDialogPKey = 0;
    int m_bTableDialogFKey = 0;
    int m_bFKeyInFilter = 0;
    int m_bMarkInvalidObjects = 0;
    int m_bCurSchema = 0;
    int m_bTableDialogPackage = 0;
    int m_bTableDialogSysTables = 0;
    int m_nCursorLib = 0;
    // Page "Editor".
    CString m_strFontName;
    int m_nCharset = 0;
    int m_nFontSize = 0;
    COLORREF m_crKeyword = 0;
    COLORREF m_crString = 0;
    COLORREF m_crNumber = 0;
    COLORREF m_crComment = 0;
    COLORREF m_crAttribute = 0;
    int m_nTabSize = 0;
    int m_bTabUseSpaces = 0;
    int m_bIndent = 0;
    int m_bWantTab = 0;
    int m_bVirtualSpace = 0;
    int m_bAutoComplete = 0;
    int m_bAutosave = 0;
    int m_nAutosaveTime = 0;
    int m_nEditorEncoding = 1;

    // The sort radios show the stored order, not the one the tables dialog uses right now.
    void ReadFrom(const CAppSettings& settings);
    // Copies every value into the settings (the sort order into both the stored and the current
    // pair); true when an open grid window must read its rows again to show the change.
    bool WriteTo(CAppSettings& settings) const;
    // Whether going from the settings' values to these changes how grid rows look.
    bool ChangesGrids(const CAppSettings& settings) const;
};
