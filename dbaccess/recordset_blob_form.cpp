// CRRecordset: telling a blob SQLite's driver reads as text from a text of the same form (see
// sqlite_blob_form.h). The driver's answer is the same for both, so the file is asked, once per
// column and text: a value the table holds in one form alone is that form. Where the table
// holds both, or the result column is no column of one table read as stored, the value is
// either, and what depends on the difference (an edit's row match) refuses it.
#include "dbaccess/recordset.h"

#include "dbaccess/sql_text.h"
#include "dbaccess/sqlite_blob_form.h"

namespace {

bool EqualNames(const CString& a, const CString& b)
{
    return a.CompareNoCase(b) == 0;
}

} // namespace

int CRRecordset::GetFieldBlobForm(UINT col)
{
    if (!m_pDatabase || !m_pDatabase->HasDynamicTypes() || col < 1 || col > m_columns.size())
        return kBlobFormNone;
    const int cType = m_columns[col - 1]->nCType;
    if (cType != SQL_C_WCHAR && cType != SQL_C_CHAR && !IsFieldHeldAsText(col))
        return kBlobFormNone;
    CString text;
    if (!GetFieldText(col, text) ||
        !ReadsAsSQLiteBlob(text.GetString(), static_cast<size_t>(text.GetLength())))
        return kBlobFormNone;
    // Found once, at the first value read so (the result has columns by now).
    if (m_blobFormColumns.empty())
    {
        // Only a column the select list names as it is stored reads the table's values: under
        // another name (a AS b) the driver names the column by the alias.
        m_blobFormColumns.assign(m_columns.size(), CString());
        std::vector<CSelectListItem> items;
        if (!ParseSelectTableName(m_strSQL).IsEmpty() && ReadSelectList(m_strSQL, items))
        {
            const bool star = items.size() == 1 && items[0].bStar;
            for (size_t i = 0; i < m_columns.size(); ++i)
            {
                const CString name = GetColumnName(static_cast<UINT>(i + 1));
                if (star)
                    m_blobFormColumns[i] = name;
                else if (items.size() == m_columns.size() && items[i].bColumn &&
                         EqualNames(items[i].strColumn, name) &&
                         (items[i].strAlias.IsEmpty() ||
                          EqualNames(items[i].strAlias, items[i].strColumn)))
                    m_blobFormColumns[i] = items[i].strColumn;
            }
        }
    }
    const CString& column = m_blobFormColumns[col - 1];
    if (column.IsEmpty())
        return kBlobFormEither;
    const CString table = ParseSelectTableName(m_strSQL);
    // One scan of the column first: where it holds one form alone, every value read so is that
    // form, and a table of many blobs costs no question a value.
    if (m_blobColumnForms.empty())
        m_blobColumnForms.assign(m_columns.size(), -1);
    int& columnForms = m_blobColumnForms[col - 1];
    if (columnForms < 0)
    {
        CString answer;
        columnForms = m_pDatabase->AskOneText(SQLiteColumnBlobFormsQuestion(table, column), answer)
                          ? _wtoi(answer)
                          : 0;
    }
    if (columnForms == kBlobFormBlob || columnForms == kBlobFormText)
        return columnForms;
    const auto key = std::make_pair(col, std::wstring(text.GetString()));
    auto found = m_blobForms.find(key);
    if (found != m_blobForms.end())
        return found->second;
    CString answer;
    const bool answered =
        m_pDatabase->AskOneText(SQLiteBlobFormQuestion(table, column, text), answer);
    const int form = SQLiteBlobFormFromAnswer(answered, answer);
    m_blobForms.emplace(key, form);
    return form;
}
