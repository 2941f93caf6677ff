// A workbook kept as rows on their way to disk: each sheet's XML is deflated into a temporary
// file as rows are finished, so memory holds only the row being filled. Saving writes a .xlsx
// archive (sheets with inline strings, one style per combination of text format, bold font and
// fill). Cells are written row by row: a row is finished once a value goes into a later row
// (formats of later rows may come first, as they must before their values).
#pragma once

#include "framework/core.h"

#include "services/zip_writer.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class CXlsxBook
{
public:
    struct CStyle
    {
        bool bText = false; // number format "@"
        bool bBold = false;
        int nColorIndex = 0; // fill colour index (0: none)
        bool operator<(const CStyle& o) const
        {
            if (bText != o.bText)
                return bText < o.bText;
            if (bBold != o.bBold)
                return bBold < o.bBold;
            return nColorIndex < o.nColorIndex;
        }
    };

    struct CCell
    {
        enum Kind
        {
            empty,
            number,
            text,
            boolean
        } kind = empty;
        double dNumber = 0;
        CString strText; // the text when kind is text (otherwise a kept buffer)
        CStyle style;
    };

    class CSheet
    {
    public:
        CString m_strName;

    private:
        friend class CXlsxBook;
        // The cells of a row not yet on disk, by ascending column: the first nCells of cells.
        // Cells of a row mostly arrive left to right, so they are appended without a search.
        // A written row's cells are kept for the next row with their text buffers: a sheet
        // of a million rows would otherwise make and free every cell and text anew.
        struct CRow
        {
            std::vector<std::pair<int, CCell>> cells;
            size_t nCells = 0;
        };
        std::unique_ptr<CDeflatedTempFile> m_data;
        std::map<int, CRow> m_pending; // row -> its cells
        // The row changed last: a range is changed row after row.
        std::map<int, CRow>::iterator m_lastRow;
        bool m_bLastRow = false;
        std::vector<CRow> m_spare; // written rows, for reuse
        int m_nWrittenRows = 0;    // rows up to this one are on disk
    };

    CXlsxBook();
    ~CXlsxBook();

    int GetSheetCount() const { return static_cast<int>(m_sheets.size()); }
    CSheet* GetSheet(int index) { return m_sheets[index].get(); } // 0-based
    int IndexOf(const CSheet* pSheet) const;
    // A new sheet named "SheetN" at the 0-based position.
    CSheet* InsertSheet(int position);

    // Before cells from firstRow on are changed: throws when that row was already finished;
    // with bValues (values go in) the rows before it are finished.
    void BeginChange(CSheet* pSheet, int firstRow, bool bValues);
    // The cell at a 0-based column and 1-based row, at or below BeginChange's first row.
    CCell& RangeCell(CSheet* pSheet, int column, int row);
    // The cell when it was set before, else null (nothing is made).
    CCell* FindCell(CSheet* pSheet, int column, int row);

    // Writes the archive; the book cannot change afterwards.
    void SaveAs(LPCWSTR pszPath);
    bool IsSaved() const { return m_bSaved; }

private:
    void WriteRowsBefore(CSheet* pSheet, int row);
    int StyleIndex(const CStyle& style);
    std::string StylesXml() const;

    std::vector<std::unique_ptr<CSheet>> m_sheets;
    std::map<CStyle, int> m_styles;
    std::vector<CStyle> m_styleList;
    std::string m_xml; // the row being written, kept for its capacity
    int m_nNextSheetNumber = 1;
    bool m_bSaved = false;
};
