// An in-process spreadsheet application for machines without one: it answers the automation
// calls the workbook export makes (application, workbooks, sheets, ranges, fonts, fills, save
// and close) on IDispatch, by the same DISPIDs and names, and writes real .xlsx files.
//
// Like an out-of-process server's objects, every object answers only on the thread that made
// the application: a call from another thread fails with RPC_E_WRONG_THREAD.
//
// Like the real application it asks before it drops an unsaved workbook (Quit, or Close
// without SaveChanges, while DisplayAlerts is on). The real one runs invisibly, so its question
// would wait forever; here the call fails and the question goes to the journal.
#pragma once

#include "framework/core.h"

#include <oaidl.h>

#include <vector>

// A new application object (one reference, owned by the caller).
IDispatch* CreateXlsxStandInApplication();

// What the applications of this process did that decides whether work was kept, oldest first:
// "Add Book1", "DisplayAlerts off", "SaveAs Book1", "Close Book1 without saving", "Quit", and
// "Prompt: " + each question asked.
std::vector<CString> XlsxStandInJournal();
void ClearXlsxStandInJournal();

// DISPIDs of the members the stand-in answers.
enum XlDispId : DISPID
{
    XLDISP_VALUE = 6,
    XLDISP_BOLD = 96,
    XLDISP_COLORINDEX = 97,
    XLDISP_NAME = 110,
    XLDISP_COUNT = 118,
    XLDISP_INTERIOR = 129,
    XLDISP_FONT = 146,
    XLDISP_ITEM = 170,
    XLDISP_ADD = 181,
    XLDISP_NUMBERFORMAT = 193,
    XLDISP_RANGE = 197,
    XLDISP_CLOSE = 277,
    XLDISP_SAVEAS = 284,
    XLDISP_QUIT = 302,
    XLDISP_DISPLAYALERTS = 343,
    XLDISP_WORKSHEETS = 494,
    XLDISP_WORKBOOKS = 572,
};
