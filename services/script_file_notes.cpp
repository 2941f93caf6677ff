#include "services/script_file_notes.h"

#include "services/script_reader.h"

#include <string>

namespace {

// "1 NUL character" / "3 NUL characters".
CString Counted(ULONGLONG n, LPCWSTR one, LPCWSTR many)
{
    return CString(std::to_wstring(n).c_str()) + L" " + (n == 1 ? one : many);
}

CString Where(ULONGLONG n, int line)
{
    CString text;
    text.Format(n == 1 ? L"line %d" : L"the first on line %d", line);
    return text;
}

} // namespace

CString GetScriptNulRefusal(LPCWSTR path, const CSQLScriptFile& file, bool bRun)
{
    const ULONGLONG n = file.GetNulCount();
    if (n == 0)
        return CString();
    CString text;
    text.Format(L"%s\nThe file holds %s (%s). A script cannot hold them: its text would end "
                L"at the first. The file is not %s.",
                path, Counted(n, L"NUL character", L"NUL characters").GetString(),
                Where(n, file.GetFirstNulLine()).GetString(), bRun ? L"run" : L"opened");
    // The usual cause: UTF-16 without its byte-order mark, detected as single bytes (an odd
    // length is never UTF-16).
    if (file.GetEncoding() != SCRIPT_ENCODING_UNICODE && file.GetLength() % 2 == 0)
        text += L"\nA Unicode (UTF-16) file without a byte-order mark is read when the encoding "
                L"\"Unicode\" is chosen in the file dialog.";
    return text;
}

CString GetScriptBadBytesNote(LPCWSTR path, const CSQLScriptFile& file, bool bRun)
{
    const ULONGLONG n = file.GetBadByteCount();
    if (n == 0)
        return CString();
    CString text;
    text.Format(L"%s\nThe file is read as UTF-8, but %s (%s) %s not valid UTF-8", path,
                Counted(n, L"byte", L"bytes").GetString(),
                Where(n, file.GetFirstBadByteLine()).GetString(), n == 1 ? L"is" : L"are");
    if (bRun)
    {
        text += n == 1 ? L": it reaches the server as the character \xFFFD.\nRun the script?"
                       : L": they reach the server as the character \xFFFD.\nRun the script?";
        return text;
    }
    text += n == 1 ? L": it is shown as \xFFFD." : L": they are shown as \xFFFD.";
    text += L"\nTo read the whole file as ANSI, open it with the encoding \"ANSI\" chosen in the "
            L"file dialog.";
    return text;
}

CString GetScriptLoneCrNote(const CString& text)
{
    const LPCWSTR p = text.GetString();
    const int length = text.GetLength();
    ULONGLONG n = 0;
    int line = 1, firstLine = 0;
    for (int i = 0; i < length; ++i)
    {
        if (p[i] == L'\n')
            ++line;
        else if (p[i] == L'\r' && (i + 1 == length || p[i + 1] != L'\n') && n++ == 0)
            firstLine = line;
    }
    if (n == 0)
        return CString();
    CString note;
    note.Format(L"The file holds %s without a line feed (%s). The editor shows %s as a line "
                L"break, and saving writes a line feed there.",
                Counted(n, L"carriage return", L"carriage returns").GetString(),
                Where(n, firstLine).GetString(), n == 1 ? L"it" : L"each");
    return note;
}

CString GetScriptBadBytesSaveQuestion(int nMarks)
{
    CString text;
    text.Format(L"The script still holds %d %s \xFFFD in place of bytes of the file that were "
                L"not valid UTF-8.\nSaving writes the character \xFFFD there instead of the "
                L"bytes.\nDo you want to save it?",
                nMarks, nMarks == 1 ? L"character" : L"characters");
    return text;
}

int CountReplacementChars(const CString& text)
{
    int n = 0;
    const LPCWSTR p = text.GetString();
    for (int i = 0, length = text.GetLength(); i < length; ++i)
        n += p[i] == L'\xFFFD' ? 1 : 0;
    return n;
}
