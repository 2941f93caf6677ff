// How one value of a cursor row becomes the text of a grid cell, and the texts of the tool tips
// that show long cell values. Free functions over a cursor, tested without a window.
#pragma once

#include "framework/core.h"
#include "dbaccess/cursor.h"
#include "grid/grid_item.h"

// The cell of cursor column nColumn of the cursor's current row, shown by display kind (0 text,
// 1 text through a format, 2 long through a format, 3 number through a format, 4 date and time
// formats). Special values become marker texts only with bShowMarkers. A failure while reading
// gives "<<EXCEPTION>>" (with markers) or an empty cell; nothing is thrown.
void FormatCursorValue(Zelt::ICursor* pCursor, UINT nColumn, UINT nDisplayKind,
                       const CString& strFormat, const CString& strFormat2, bool bShowMarkers,
                       CGridItem& item);

// The digits after the point that a numeric format such as "%.2f" asks for; -1 when it names none.
int FormatPrecision(LPCWSTR pszFormat);
// A decimal number's exact text with the format's number of decimals: padded with zeros, or
// rounded half away from zero when it has more. False when the text is not a plain number.
bool FormatDecimalText(LPCWSTR pszText, int nDecimals, CString& out);

// Date and time of a timestamp through the date and time formats: date, time, or both joined by
// two spaces; empty parts are left out.
CString FormatDateTimeText(const TIMESTAMP_STRUCT& ts, LPCWSTR pszDateFormat,
                           LPCWSTR pszTimeFormat);

// Lays markup text out one tag per line, child elements indented by tabs.
void IndentMarkupText(CString& text);
// A line feed after every nWidth characters of a text longer than nWidth.
void WrapTipText(CString& text, int nWidth = 128);
// True for the SQL types whose long values get a tool tip of their own.
bool IsLongValueSQLType(int nSQLType);
// The tip of a long value (text of kind 0), or false when the value should get the default tip:
// a marker, an empty text, or one line of at most 100 characters.
bool MakeLongValueTip(int nSQLType, const CGridItem& value, CString& tip);
