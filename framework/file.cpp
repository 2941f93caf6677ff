#include "framework/file.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

// Win32 access, sharing and creation values for a set of open flags; false for a combination
// that names no access or sharing mode.
bool TranslateOpenFlags(UINT flags, DWORD& access, DWORD& share, DWORD& disposition,
                        DWORD& attributes)
{
    switch (flags & 0x3)
    {
    case CFile::modeRead: access = GENERIC_READ; break;
    case CFile::modeWrite: access = GENERIC_WRITE; break;
    case CFile::modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default: return false;
    }
    switch (flags & 0x70)
    {
    case CFile::shareCompat:
    case CFile::shareExclusive: share = 0; break;
    case CFile::shareDenyWrite: share = FILE_SHARE_READ; break;
    case CFile::shareDenyRead: share = FILE_SHARE_WRITE; break;
    case CFile::shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: return false;
    }
    if (flags & CFile::modeCreate)
        disposition = (flags & CFile::modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    else
        disposition = OPEN_EXISTING;
    attributes = FILE_ATTRIBUTE_NORMAL;
    if (flags & CFile::osNoBuffer)
        attributes |= FILE_FLAG_NO_BUFFERING;
    if (flags & CFile::osWriteThrough)
        attributes |= FILE_FLAG_WRITE_THROUGH;
    if (flags & CFile::osRandomAccess)
        attributes |= FILE_FLAG_RANDOM_ACCESS;
    if (flags & CFile::osSequentialScan)
        attributes |= FILE_FLAG_SEQUENTIAL_SCAN;
    return true;
}

CString FullPath(LPCTSTR path)
{
    DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
    if (needed == 0)
        return CString(path);
    CString full;
    DWORD written =
        GetFullPathNameW(path, needed, full.GetBuffer(static_cast<int>(needed)), nullptr);
    full.ReleaseBuffer(written < needed ? static_cast<int>(written) : 0);
    return full.IsEmpty() ? CString(path) : full;
}

CTime TimeFromFileTime(const FILETIME& ft)
{
    if (ft.dwLowDateTime == 0 && ft.dwHighDateTime == 0)
        return CTime();
    return CTime(ft);
}

[[noreturn]] void ThrowLastError(const CString& fileName)
{
    CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), fileName);
}

} // namespace

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE) {}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags) : m_hFile(hFileNull), m_bCloseOnDelete(FALSE)
{
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e))
        AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CFile::~CFile()
{
    if (m_hFile != hFileNull && m_bCloseOnDelete)
    {
        try
        {
            Close();
        }
        catch (CException* e)
        {
            e->Delete();
        }
    }
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    // A file this object opened itself is let go first; a borrowed handle is only forgotten.
    if (m_hFile != hFileNull && m_bCloseOnDelete)
        Abort();
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();

    auto fail = [&](LONG osError) {
        if (pError != nullptr)
        {
            pError->m_lOsError = osError;
            pError->m_cause = CFileException::OsErrorToException(osError);
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    };

    if (lpszFileName == nullptr || *lpszFileName == 0)
        return fail(ERROR_PATH_NOT_FOUND);

    DWORD access = 0, share = 0, disposition = 0, attributes = 0;
    if (!TranslateOpenFlags(nOpenFlags, access, share, disposition, attributes))
        return fail(ERROR_INVALID_PARAMETER);

    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, (nOpenFlags & modeNoInherit) ? FALSE : TRUE};
    CString fullPath = FullPath(lpszFileName);
    HANDLE h = CreateFileW(fullPath, access, share, &sa, disposition, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return fail(static_cast<LONG>(GetLastError()));

    m_hFile = h;
    m_bCloseOnDelete = TRUE;
    m_strFileName = fullPath;
    return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return 0;
    if (lpBuf == nullptr)
        AfxThrowInvalidArgException();
    DWORD read = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &read, nullptr))
        ThrowLastError(m_strFileName);
    return read;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0)
        return;
    if (lpBuf == nullptr)
        AfxThrowInvalidArgException();
    DWORD written = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &written, nullptr))
        ThrowLastError(m_strFileName);
    if (written != nCount)
        AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    DWORD method;
    switch (nFrom)
    {
    case begin: method = FILE_BEGIN; break;
    case current: method = FILE_CURRENT; break;
    case end: method = FILE_END; break;
    default: AfxThrowInvalidArgException();
    }
    LARGE_INTEGER distance, position;
    distance.QuadPart = lOff;
    if (!SetFilePointerEx(m_hFile, distance, &position, method))
        ThrowLastError(m_strFileName);
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_hFile, &size))
        ThrowLastError(m_strFileName);
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG dwNewLen)
{
    Seek(static_cast<LONGLONG>(dwNewLen), begin);
    if (!SetEndOfFile(m_hFile))
        ThrowLastError(m_strFileName);
}

ULONGLONG CFile::GetPosition() const
{
    LARGE_INTEGER zero, position;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(m_hFile, zero, &position, FILE_CURRENT))
        ThrowLastError(m_strFileName);
    return static_cast<ULONGLONG>(position.QuadPart);
}

void CFile::LockRange(ULONGLONG dwPos, ULONGLONG dwCount)
{
    if (!LockFile(m_hFile, static_cast<DWORD>(dwPos), static_cast<DWORD>(dwPos >> 32),
                  static_cast<DWORD>(dwCount), static_cast<DWORD>(dwCount >> 32)))
        ThrowLastError(m_strFileName);
}

void CFile::UnlockRange(ULONGLONG dwPos, ULONGLONG dwCount)
{
    if (!UnlockFile(m_hFile, static_cast<DWORD>(dwPos), static_cast<DWORD>(dwPos >> 32),
                    static_cast<DWORD>(dwCount), static_cast<DWORD>(dwCount >> 32)))
        ThrowLastError(m_strFileName);
}

void CFile::Flush()
{
    if (m_hFile == hFileNull)
        return;
    if (!FlushFileBuffers(m_hFile))
        ThrowLastError(m_strFileName);
}

void CFile::Close()
{
    DWORD error = ERROR_SUCCESS;
    if (m_hFile != hFileNull && !CloseHandle(m_hFile))
        error = GetLastError();
    CString name = m_strFileName;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
    if (error != ERROR_SUCCESS)
        CFileException::ThrowOsError(static_cast<LONG>(error), name);
}

void CFile::Abort()
{
    if (m_hFile != hFileNull)
        CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
}

CFile* CFile::Duplicate() const
{
    if (m_hFile == hFileNull)
        return nullptr;
    HANDLE process = GetCurrentProcess();
    HANDLE copy = nullptr;
    if (!DuplicateHandle(process, m_hFile, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        ThrowLastError(m_strFileName);
    CFile* file = new CFile(copy);
    file->m_bCloseOnDelete = TRUE;
    file->m_strFileName = m_strFileName;
    return file;
}

CString CFile::GetFileName() const
{
    int cut = -1;
    for (int i = 0; i < m_strFileName.GetLength(); ++i)
    {
        wchar_t c = m_strFileName[i];
        if (c == L'\\' || c == L'/' || c == L':')
            cut = i;
    }
    return m_strFileName.Mid(cut + 1);
}

CString CFile::GetFileTitle() const
{
    CString name = GetFileName();
    int dot = name.ReverseFind(L'.');
    return dot > 0 ? name.Left(dot) : name;
}

BOOL CFile::GetStatus(CFileStatus& rStatus) const
{
    rStatus = CFileStatus();
    lstrcpynW(rStatus.m_szFullName, m_strFileName, MAX_PATH);
    if (m_hFile == hFileNull)
        return FALSE;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(m_hFile, &info))
        return FALSE;
    rStatus.m_ctime = TimeFromFileTime(info.ftCreationTime);
    rStatus.m_atime = TimeFromFileTime(info.ftLastAccessTime);
    rStatus.m_mtime = TimeFromFileTime(info.ftLastWriteTime);
    rStatus.m_size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    rStatus.m_attribute = static_cast<BYTE>(info.dwFileAttributes & 0xFF);
    return TRUE;
}

BOOL PASCAL CFile::GetStatus(LPCTSTR lpszFileName, CFileStatus& rStatus)
{
    rStatus = CFileStatus();
    if (lpszFileName == nullptr || *lpszFileName == 0)
        return FALSE;
    CString full = FullPath(lpszFileName);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(full, GetFileExInfoStandard, &data))
        return FALSE;
    lstrcpynW(rStatus.m_szFullName, full, MAX_PATH);
    rStatus.m_ctime = TimeFromFileTime(data.ftCreationTime);
    rStatus.m_atime = TimeFromFileTime(data.ftLastAccessTime);
    rStatus.m_mtime = TimeFromFileTime(data.ftLastWriteTime);
    rStatus.m_size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    rStatus.m_attribute = static_cast<BYTE>(data.dwFileAttributes & 0xFF);
    return TRUE;
}

void PASCAL CFile::Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName)
{
    if (!MoveFileW(lpszOldName, lpszNewName))
        ThrowLastError(CString(lpszOldName));
}

void PASCAL CFile::RenameReplacing(LPCTSTR lpszOldName, LPCTSTR lpszNewName)
{
    // A file another program has open at that moment (a reader, an indexer, a virus scanner)
    // cannot be replaced, however it shares it: the replace is refused as access denied. Such
    // opens are brief, so the replace is tried again for a while before it fails.
    for (int nTry = 0;; ++nTry)
    {
        if (MoveFileExW(lpszOldName, lpszNewName,
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return;
        const DWORD dwError = ::GetLastError();
        if (nTry >= 40 || (dwError != ERROR_ACCESS_DENIED && dwError != ERROR_SHARING_VIOLATION))
            break;
        ::Sleep(50);
        ::SetLastError(dwError);
    }
    ThrowLastError(CString(lpszNewName));
}

void PASCAL CFile::Remove(LPCTSTR lpszFileName)
{
    if (!DeleteFileW(lpszFileName))
        ThrowLastError(CString(lpszFileName));
}
