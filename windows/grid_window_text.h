// Window-free pieces of the grid and script windows: status and error texts, the column layout
// kept across a requery, SQL text checks, XML layout and text search.
#pragma once

#include "framework/core.h"

#include <vector>

// "Rows %d Columns %d", or "Rows >= %d Columns %d" while rows remain to be read; rows that
// stopped before their end (bStopped) keep ">=" and say so.
CString FormatRowsText(int nRows, int nColumns, bool bFullyLoaded, bool bStopped = false);

// The message of the grid's save error (owner code 12): nColumn is 1-based, 0 or less for none.
CString FormatSaveErrorText(LPCWSTR pszColumnName, bool bHasColumn, UINT nKind, LPCWSTR pszText);

// Why a row (bRow) or a value is not copied: the column's value is longer than the grid holds.
CString FormatCutCopyText(LPCWSTR pszColumnName, bool bRow);

// One grid column as it stood before a requery.
struct CColumnRefreshInfo
{
    CString m_strName;
    bool m_bVisible = true;
};

// Puts the columns back in their saved display order. order: the list column at each display
// position (changed in place); names: the name of each list column. Only when the saved layout
// has exactly as many entries as there are columns; names compare exactly. Returns whether
// the order changed. visible receives, per list column, the saved visibility (-1: no saved
// entry of that name at its position).
bool RestoreColumnLayout(const std::vector<CColumnRefreshInfo>& saved,
                         const std::vector<CString>& names, std::vector<int>& order,
                         std::vector<int>& visible);

// Carriage returns, line feeds and tabs become blanks, and runs of blanks outside '...' shrink
// to one.
void FlattenSQL(CString& text);

// One SELECT statement that only reads (no INTO at its top level): a result window may run it
// again without asking.
bool IsRereadableSelect(LPCWSTR pszSQL);

// The XML of a text laid out with one indent per level and "\r\n" line breaks; false when the
// text is not well-formed XML.
bool FormatXmlIndented(LPCWSTR pszText, LPCWSTR pszIndent, CString& strXml);
// The XML on one line, without indentation; false when it is not well formed.
bool FormatXmlCompact(LPCWSTR pszText, CString& strXml);
// Whether the XML written back from the text's tree holds all of the text, and only the white
// space that lays out its tags is lost. The tree keeps one root element, one text per element
// and a few entities: a second root, a declaration, text beside child elements or an entity it
// does not know would be dropped or changed.
bool IsXmlKeptWhole(LPCWSTR pszText);
// The same with the text's compact form as FormatXmlCompact made it.
bool IsXmlKeptWhole(LPCWSTR pszText, const CString& strCompact);

// Finds pszFind in the text from nStart (see CSQLChildView::FindText); -1 when not found.
// Comparison by the user's locale; whole words are bounded by non-identifier characters.
int FindTextIn(LPCWSTR pszText, LPCWSTR pszFind, bool bDown, bool bMatchCase, bool bWholeWord,
               int nStart, bool bStopAtEnd);

// Replaces every match from the start, going on after each inserted text. nCaret moves with
// the text before it. Returns the number of replacements.
int ReplaceAllIn(CString& text, LPCWSTR pszFind, LPCWSTR pszReplace, bool bMatchCase,
                 bool bWholeWord, int& nCaret);
