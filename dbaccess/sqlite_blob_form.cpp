#include "dbaccess/sqlite_blob_form.h"

#include "dbaccess/cursor.h"

namespace {

template <class Char>
bool ReadsAsBlob(const Char* text, size_t length)
{
    if (length < 3 || length % 2 == 0 || text[0] != 'X' || text[1] != '\'' ||
        text[length - 1] != '\'')
        return false;
    for (size_t i = 2; i + 1 < length; ++i)
        if (!((text[i] >= '0' && text[i] <= '9') || (text[i] >= 'A' && text[i] <= 'F')))
            return false;
    return true;
}

// A text literal of SQLite: apostrophes doubled.
CString Quoted(const CString& text)
{
    CString doubled = text;
    doubled.Replace(L"'", L"''");
    return L"'" + doubled + L"'";
}

CString QuotedName(const CString& column)
{
    CString name = column;
    name.Replace(L"\"", L"\"\"");
    return L"\"" + name + L"\"";
}

} // namespace

bool ReadsAsSQLiteBlob(const wchar_t* text, size_t length)
{
    return ReadsAsBlob(text, length);
}

bool ReadsAsSQLiteBlob(const char* text, size_t length)
{
    return ReadsAsBlob(text, length);
}

CString SQLiteColumnBlobFormsQuestion(const CString& table, const CString& column)
{
    const CString name = QuotedName(column);
    // A text reads as a blob's only when it is X' and hex digits and ': the GLOB lets through a
    // few more (ReadsAsSQLiteBlob decides for each value), which only costs a question a value.
    return L"SELECT coalesce(max(typeof(" + name + L")='blob'),0)+2*coalesce(max(typeof(" + name +
           L")='text' AND " + name + L" GLOB 'X''*'''),0) FROM " + table;
}

CString SQLiteBlobFormQuestion(const CString& table, const CString& column, const CString& text)
{
    const CString name = QuotedName(column);
    // quote() of the blob is the text read; quote() of the text is that text quoted.
    return L"SELECT coalesce(max(typeof(" + name + L")='blob'),0)+2*coalesce(max(typeof(" + name +
           L")='text'),0) FROM " + table + L" WHERE quote(" + name + L") IN (" + Quoted(text) +
           L"," + Quoted(Quoted(text)) + L")";
}

int SQLiteBlobFormFromAnswer(bool answered, const CString& answer)
{
    if (answered && answer == L"1")
        return Zelt::ICursor::kBlobFormBlob;
    if (answered && answer == L"2")
        return Zelt::ICursor::kBlobFormText;
    return Zelt::ICursor::kBlobFormEither;
}
