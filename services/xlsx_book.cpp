#include "services/xlsx_book.h"

#include "framework/automation.h"
#include "services/data_file.h"
#include "services/excel_cells.h"

#include <algorithm>

namespace {

const char kSheetHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheetData>";
const char kSheetTail[] = "</sheetData></worksheet>";

// Text as XML character data. CR is written as a reference (a parser would turn a raw one into
// LF); characters XML 1.0 cannot carry, and a literal "_x" that would read as such an escape,
// use the workbook's own _xHHHH_ form.
// Printable ASCII that XML carries as it stands ('_' starts the workbook's own escapes).
struct CPlainAscii
{
    bool plain[128] = {};
    CPlainAscii()
    {
        for (int c = 0x20; c < 0x7F; ++c)
            plain[c] = c != '&' && c != '<' && c != '>' && c != '"' && c != '_';
    }
};
const CPlainAscii kPlainAscii;

void AppendXmlText(std::string& out, const CString& text)
{
    // Most texts are plain ASCII with nothing to escape: copied over as they are, in one pass
    // that stops at the first character needing more.
    int nLength = text.GetLength();
    LPCWSTR p = text.GetString();
    size_t start = out.size();
    out.resize(start + nLength);
    char* dest = out.data() + start;
    int nPlain = 0;
    for (; nPlain < nLength; ++nPlain)
    {
        wchar_t ch = p[nPlain];
        if (ch >= 0x80 || !kPlainAscii.plain[ch])
            break;
        dest[nPlain] = static_cast<char>(ch);
    }
    out.resize(start + nPlain);
    if (nPlain == nLength)
        return;
    std::wstring w;
    w.reserve(nLength - nPlain);
    int n = nLength;
    for (int i = nPlain; i < n; ++i)
    {
        wchar_t ch = text[i];
        switch (ch)
        {
        case L'&': w += L"&amp;"; continue;
        case L'<': w += L"&lt;"; continue;
        case L'>': w += L"&gt;"; continue;
        case L'"': w += L"&quot;"; continue;
        case L'\r': w += L"&#13;"; continue;
        case L'\t':
        case L'\n': w += ch; continue;
        default: break;
        }
        bool bEscape = ch < 0x20 || ch == 0xFFFE || ch == 0xFFFF;
        if (ch >= 0xD800 && ch <= 0xDBFF)
        {
            if (i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            {
                w += ch;
                w += text[++i];
                continue;
            }
            bEscape = true;
        }
        else if (ch >= 0xDC00 && ch <= 0xDFFF)
            bEscape = true;
        if (ch == L'_' && i + 1 < n && text[i + 1] == L'x')
            bEscape = true;
        if (bEscape)
        {
            wchar_t buf[16];
            swprintf(buf, 16, L"_x%04X_", static_cast<unsigned>(ch));
            w += buf;
        }
        else
            w += ch;
    }
    out += ToUtf8(w.data(), w.size());
}

} // namespace

CXlsxBook::CXlsxBook()
{
    StyleIndex(CStyle()); // style 0: the default
}

CXlsxBook::~CXlsxBook() {}

int CXlsxBook::IndexOf(const CSheet* pSheet) const
{
    for (size_t i = 0; i < m_sheets.size(); ++i)
        if (m_sheets[i].get() == pSheet)
            return static_cast<int>(i);
    return -1;
}

CXlsxBook::CSheet* CXlsxBook::InsertSheet(int position)
{
    auto sheet = std::make_unique<CSheet>();
    sheet->m_strName.Format(L"Sheet%d", m_nNextSheetNumber++);
    sheet->m_data = std::make_unique<CDeflatedTempFile>();
    sheet->m_data->Write(kSheetHead, sizeof kSheetHead - 1);
    if (position < 0 || position > GetSheetCount())
        position = GetSheetCount();
    CSheet* p = sheet.get();
    m_sheets.insert(m_sheets.begin() + position, std::move(sheet));
    return p;
}

int CXlsxBook::StyleIndex(const CStyle& style)
{
    auto it = m_styles.find(style);
    if (it != m_styles.end())
        return it->second;
    int index = static_cast<int>(m_styleList.size());
    m_styles[style] = index;
    m_styleList.push_back(style);
    return index;
}

void CXlsxBook::BeginChange(CSheet* pSheet, int firstRow, bool bValues)
{
    if (m_bSaved)
        AfxThrowOleDispatchException(0, L"The workbook was already saved.");
    if (firstRow <= pSheet->m_nWrittenRows)
        AfxThrowOleDispatchException(0, L"Rows are written in order: this row is finished.");
    if (bValues)
        WriteRowsBefore(pSheet, firstRow);
}

CXlsxBook::CCell& CXlsxBook::RangeCell(CSheet* pSheet, int column, int row)
{
    auto& pending = pSheet->m_pending;
    auto rowIt = pending.end();
    if (pSheet->m_bLastRow)
    {
        if (pSheet->m_lastRow->first == row)
            rowIt = pSheet->m_lastRow;
        else if (auto next = std::next(pSheet->m_lastRow);
                 next != pending.end() && next->first == row)
            rowIt = next;
    }
    if (rowIt == pending.end())
        rowIt = pending.find(row);
    if (rowIt == pending.end())
    {
        CSheet::CRow fresh;
        if (!pSheet->m_spare.empty())
        {
            fresh = std::move(pSheet->m_spare.back());
            pSheet->m_spare.pop_back();
        }
        rowIt = pending.emplace(row, std::move(fresh)).first;
    }
    pSheet->m_lastRow = rowIt;
    pSheet->m_bLastRow = true;
    CSheet::CRow& r = rowIt->second;
    auto begin = r.cells.begin(), end = r.cells.begin() + r.nCells;
    auto it = end;
    if (r.nCells > 0 && std::prev(end)->first >= column)
    {
        it = std::lower_bound(begin, end, column,
                              [](const auto& cell, int c) { return cell.first < c; });
        if (it != end && it->first == column)
            return it->second;
    }
    // A new cell: a kept one past the used ones is cleared (its text buffer stays for reuse).
    size_t index = it - begin;
    if (r.nCells < r.cells.size())
    {
        auto& slot = r.cells[r.nCells];
        slot.first = column;
        slot.second.kind = CCell::empty;
        slot.second.dNumber = 0;
        slot.second.style = CStyle();
    }
    else
        r.cells.emplace_back(column, CCell());
    ++r.nCells;
    // Moved into its place when it does not belong at the end.
    if (index + 1 < r.nCells)
        std::rotate(r.cells.begin() + index, r.cells.begin() + (r.nCells - 1),
                    r.cells.begin() + r.nCells);
    return r.cells[index].second;
}

CXlsxBook::CCell* CXlsxBook::FindCell(CSheet* pSheet, int column, int row)
{
    auto rowIt = pSheet->m_pending.find(row);
    if (rowIt == pSheet->m_pending.end())
        return nullptr;
    auto begin = rowIt->second.cells.begin(), end = begin + rowIt->second.nCells;
    auto it = std::lower_bound(begin, end, column,
                               [](const auto& cell, int c) { return cell.first < c; });
    return it != end && it->first == column ? &it->second : nullptr;
}

namespace {

// "AB12" as the cell reference of a sheet's XML.
void AppendCellName(std::string& out, int column, int row)
{
    char letters[8];
    int n = 0;
    unsigned v = static_cast<unsigned>(column) + 1;
    while (v > 0 && n < 7)
    {
        letters[n++] = static_cast<char>('A' + (v - 1) % 26);
        v = (v - 1) / 26;
    }
    while (n > 0)
        out += letters[--n];
    char digits[12];
    int nDigits = 0;
    unsigned r = static_cast<unsigned>(row);
    do
    {
        digits[nDigits++] = static_cast<char>('0' + r % 10);
        r /= 10;
    } while (r > 0 && nDigits < 11);
    while (nDigits > 0)
        out += digits[--nDigits];
}

// Whether a text needs xml:space="preserve": the application trims the whitespace at either end
// of a text without it, and keeps single spaces between words either way.
bool NeedsSpacePreserve(const CString& text)
{
    const int n = text.GetLength();
    if (n == 0)
        return false;
    LPCWSTR p = text.GetString();
    if (p[0] == L' ' || p[n - 1] == L' ')
        return true;
    for (int i = 0; i < n; ++i)
        if (p[i] == L'\t' || p[i] == L'\r' || p[i] == L'\n' || (p[i] == L' ' && p[i + 1] == L' '))
            return true;
    return false;
}

} // namespace

void CXlsxBook::WriteRowsBefore(CSheet* pSheet, int row)
{
    while (!pSheet->m_pending.empty() && pSheet->m_pending.begin()->first < row)
    {
        auto rowIt = pSheet->m_pending.begin();
        std::string& xml = m_xml;
        xml.clear();
        xml += "<row r=\"";
        xml += std::to_string(rowIt->first);
        xml += "\">";
        CSheet::CRow& r = rowIt->second;
        // A cell right after the one before it needs no reference: a reader counts it.
        int nextColumn = 0;
        for (size_t i = 0; i < r.nCells; ++i)
        {
            const int column = r.cells[i].first;
            CCell& cell = r.cells[i].second;
            int s = cell.style.bText || cell.style.bBold || cell.style.nColorIndex
                        ? StyleIndex(cell.style)
                        : 0;
            CCell::Kind kind = cell.kind;
            double number = cell.dNumber;
            // A text in a cell not formatted as text becomes a number when it reads back as
            // the same number, as typing it would.
            // Such a text is itself a valid number of the file format: it goes in as written.
            bool bNumberText = false;
            if (kind == CCell::text && !cell.style.bText && NumberTextFitsDouble(cell.strText))
            {
                kind = CCell::number;
                bNumberText = true;
            }
            xml += "<c";
            if (column != nextColumn)
            {
                xml += " r=\"";
                AppendCellName(xml, column, rowIt->first);
                xml += "\"";
            }
            nextColumn = column + 1;
            if (s != 0)
            {
                xml += " s=\"";
                xml += std::to_string(s);
                xml += "\"";
            }
            switch (kind)
            {
            case CCell::number:
                xml += "><v>";
                if (bNumberText)
                    AppendXmlText(xml, cell.strText);
                else if (number == static_cast<double>(static_cast<long long>(number)) &&
                         number > -1e15 && number < 1e15)
                    xml += std::to_string(static_cast<long long>(number));
                else
                    AppendXmlText(xml, ShortestDoubleText(number));
                xml += "</v></c>";
                break;
            case CCell::boolean:
                xml += cell.dNumber ? " t=\"b\"><v>1</v></c>" : " t=\"b\"><v>0</v></c>";
                break;
            case CCell::text:
                xml += NeedsSpacePreserve(cell.strText)
                           ? " t=\"inlineStr\"><is><t xml:space=\"preserve\">"
                           : " t=\"inlineStr\"><is><t>";
                AppendXmlText(xml, cell.strText);
                xml += "</t></is></c>";
                break;
            default: xml += "/>"; break;
            }
        }
        xml += "</row>";
        pSheet->m_data->Write(xml);
        pSheet->m_nWrittenRows = rowIt->first;
        // The row's cells are kept for a later row, but not the buffers of long texts.
        const size_t kMaxSpareRows = 4096;
        const int kMaxKeptText = 1024;
        if (pSheet->m_spare.size() < kMaxSpareRows)
        {
            for (size_t i = 0; i < r.nCells; ++i)
                if (r.cells[i].second.strText.GetLength() > kMaxKeptText)
                    r.cells[i].second.strText.Empty();
            r.nCells = 0;
            pSheet->m_spare.push_back(std::move(r));
        }
        pSheet->m_bLastRow = false;
        pSheet->m_pending.erase(rowIt);
    }
}

std::string CXlsxBook::StylesXml() const
{
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    xml += "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
           "<font><b/><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>";
    // Fills 0 and 1 are the two the format reserves; then one solid fill per colour index.
    std::vector<int> colors;
    for (const CStyle& st : m_styleList)
        if (st.nColorIndex > 0 &&
            std::find(colors.begin(), colors.end(), st.nColorIndex) == colors.end())
            colors.push_back(st.nColorIndex);
    xml += "<fills count=\"" + std::to_string(2 + colors.size()) +
           "\"><fill><patternFill patternType=\"none\"/></fill>"
           "<fill><patternFill patternType=\"gray125\"/></fill>";
    for (int color : colors)
    {
        // Colour index 15 of the default palette is the 25 % grey; other indexes map onto the
        // legacy indexed palette, which starts seven entries earlier.
        xml += "<fill><patternFill patternType=\"solid\">";
        if (color == 15)
            xml += "<fgColor rgb=\"FFC0C0C0\"/>";
        else
            xml += "<fgColor indexed=\"" + std::to_string(color + 7) + "\"/>";
        xml += "<bgColor indexed=\"64\"/></patternFill></fill>";
    }
    xml += "</fills><borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/>"
           "</border></borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" "
           "fillId=\"0\" borderId=\"0\"/></cellStyleXfs>";
    xml += "<cellXfs count=\"" + std::to_string(m_styleList.size()) + "\">";
    for (const CStyle& st : m_styleList)
    {
        int fill = 0;
        if (st.nColorIndex > 0)
            fill = 2 + static_cast<int>(std::find(colors.begin(), colors.end(), st.nColorIndex) -
                                        colors.begin());
        xml += "<xf numFmtId=\"" + std::string(st.bText ? "49" : "0") + "\" fontId=\"" +
               (st.bBold ? "1" : "0") + "\" fillId=\"" + std::to_string(fill) +
               "\" borderId=\"0\" xfId=\"0\"";
        if (st.bText)
            xml += " applyNumberFormat=\"1\"";
        if (st.bBold)
            xml += " applyFont=\"1\"";
        if (fill)
            xml += " applyFill=\"1\"";
        xml += "/>";
    }
    xml += "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
           "builtinId=\"0\"/></cellStyles></styleSheet>";
    return xml;
}

void CXlsxBook::SaveAs(LPCWSTR pszPath)
{
    if (m_bSaved)
        AfxThrowOleDispatchException(0, L"The workbook was already saved.");
    for (auto& sheet : m_sheets)
    {
        WriteRowsBefore(sheet.get(), kExcelMaxRows + 1);
        sheet->m_data->Write(kSheetTail, sizeof kSheetTail - 1);
        sheet->m_data->Finish();
    }
    m_bSaved = true;

    std::string types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" "
        "ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
        "<Override PartName=\"/xl/styles.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
    std::string workbook =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>";
    std::string rels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (size_t i = 0; i < m_sheets.size(); ++i)
    {
        std::string n = std::to_string(i + 1);
        types += "<Override PartName=\"/xl/worksheets/sheet" + n +
                 ".xml\" ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
        workbook += "<sheet name=\"";
        AppendXmlText(workbook, m_sheets[i]->m_strName);
        workbook += "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n +
                "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                "worksheet\" Target=\"worksheets/sheet" +
                n + ".xml\"/>";
    }
    types += "</Types>";
    workbook += "</sheets></workbook>";
    rels += "<Relationship Id=\"rId" + std::to_string(m_sheets.size() + 1) +
            "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "styles\" Target=\"styles.xml\"/></Relationships>";
    std::string rootRels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";

    CZipWriter zip(pszPath);
    zip.AddEntry("[Content_Types].xml", types);
    zip.AddEntry("_rels/.rels", rootRels);
    zip.AddEntry("xl/workbook.xml", workbook);
    zip.AddEntry("xl/_rels/workbook.xml.rels", rels);
    zip.AddEntry("xl/styles.xml", StylesXml());
    for (size_t i = 0; i < m_sheets.size(); ++i)
    {
        std::string name = "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml";
        zip.AddEntry(name.c_str(), *m_sheets[i]->m_data);
    }
    zip.Close();
    for (auto& sheet : m_sheets)
        sheet->m_data.reset(); // the temporary files go now
}
