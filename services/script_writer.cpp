#include "services/script_writer.h"

#include "controls/utility.h"
#include "services/script_reader.h"

namespace {

bool IsReadOnlyFile(LPCWSTR path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

} // namespace

bool EncodeScriptText(const CString& text, UINT encoding, std::string& bytes, bool& bLossy)
{
    bytes.clear();
    bLossy = false;
    const int length = text.GetLength();
    if (encoding == SCRIPT_ENCODING_UNICODE)
    {
        bytes.assign(reinterpret_cast<const char*>(text.GetString()), length * sizeof(wchar_t));
        return true;
    }
    if (length == 0)
        return true;
    if (encoding == SCRIPT_ENCODING_UTF8)
    {
        CStringA utf8;
        if (!WideToUtf8(text, length, utf8))
            return false;
        bytes.assign(utf8.GetString(), utf8.GetLength());
        return true;
    }
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return false;
    bytes.resize(size);
    ::WideCharToMultiByte(CP_ACP, 0, text, length, &bytes[0], size, nullptr, nullptr);
    // What the code page cannot hold comes back as "?" or a look-alike: compare the way back.
    const int back = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(back > 0 ? back : 0, L'\0');
    if (back > 0)
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &wide[0], back);
    bLossy = wide.size() != static_cast<size_t>(length) ||
             wide.compare(0, wide.size(), text.GetString(), length) != 0;
    return true;
}

bool ScriptWritesBom(UINT nTarget, UINT nCurrent, bool bBomFlag)
{
    if (nTarget == SCRIPT_ENCODING_UNICODE)
        return !(nCurrent == SCRIPT_ENCODING_UNICODE && !bBomFlag);
    if (nTarget == SCRIPT_ENCODING_UTF8)
        return nCurrent == SCRIPT_ENCODING_UTF8 && bBomFlag;
    return false;
}

void WriteFileReplacing(LPCWSTR path, const std::string& head, const std::string& data)
{
    if (IsReadOnlyFile(path))
        CFileException::ThrowOsError(ERROR_ACCESS_DENIED, path);

    CString folder = GetFolderOfPath(path);
    if (folder.IsEmpty())
        folder = L".";
    wchar_t temp[MAX_PATH + 16] = {};
    if (!::GetTempFileNameW(folder, L"qlk", 0, temp))
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), path);
    try
    {
        CFile file(temp, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
        if (!head.empty())
            file.Write(head.data(), static_cast<UINT>(head.size()));
        if (!data.empty())
            file.Write(data.data(), static_cast<UINT>(data.size()));
        file.Flush();
        file.Close();
        CFile::RenameReplacing(temp, path);
    }
    catch (CException*)
    {
        ::DeleteFileW(temp);
        throw;
    }
}

CString GetWriteErrorText(CFileException* e, LPCWSTR path)
{
    if (e != nullptr && e->m_cause == CFileException::accessDenied && IsReadOnlyFile(path))
        return CString(path) + L"\nFile is read-only.";
    wchar_t message[1024] = {};
    if (e != nullptr && e->GetErrorMessage(message, 1024))
        return message;
    return GetErrorText(e != nullptr ? static_cast<DWORD>(e->m_lOsError) : 0);
}
