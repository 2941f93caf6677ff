// The spreadsheet application's objects as the workbook export calls them: late-bound
// wrappers over IDispatch by the application's DISPIDs.
#pragma once

#include "framework/automation.h"

class XlFont : public COleDispatchDriver
{
public:
    void SetBold(bool bBold) { SetProperty(96, COleVariant(bBold)); }
};

class XlInterior : public COleDispatchDriver
{
public:
    void SetColorIndex(long nIndex) { SetProperty(97, COleVariant(nIndex)); }
};

class XlRange : public COleDispatchDriver
{
public:
    XlFont GetFont();
    XlInterior GetInterior();
    void SetNumberFormat(const COleVariant& format) { SetProperty(193, format); }
    void SetValue(const COleVariant& value) { SetProperty(6, value); }
    // An array of values (rows by columns) for the cells from the range's top left one.
    void SetValues(VARIANT& values);
};

class XlWorksheet : public COleDispatchDriver
{
public:
    void SetName(LPCWSTR pszName) { SetProperty(110, COleVariant(pszName)); }
    XlRange GetRange(const COleVariant& cell1, const COleVariant& cell2);
};

class XlSheets : public COleDispatchDriver
{
public:
    long GetCount();
    XlWorksheet GetItem(const COleVariant& index);
    XlWorksheet Add(const COleVariant& before, const COleVariant& after, const COleVariant& count,
                    const COleVariant& type);
};

class XlWorkbook : public COleDispatchDriver
{
public:
    XlSheets GetWorksheets();
    // File name first, then the format; the other nine arguments are left out.
    void SaveAs(LPCWSTR pszFileName, long nFileFormat);
    // Looked up by name: the one member not among the fixed DISPIDs.
    void Close(bool bSaveChanges);
};

class XlWorkbooks : public COleDispatchDriver
{
public:
    XlWorkbook Add(const COleVariant& vTemplate);
};

class XlApplication : public COleDispatchDriver
{
public:
    XlWorkbooks GetWorkbooks();
    void Quit() { Invoke(302, DISPATCH_METHOD); }
    // Looked up by name.
    void SetDisplayAlerts(bool bDisplay);
};

// The file format number of an .xlsx workbook for SaveAs.
const long kXlOpenXMLWorkbook = 51;
