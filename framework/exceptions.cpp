// The framework's exception classes and their throw helpers.
#include "framework/exceptions.h"

#include "framework/module_state.h"

#include <cerrno>
#include <cwchar>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CSimpleException, CException)
IMPLEMENT_DYNAMIC(CMemoryException, CSimpleException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CSimpleException)
IMPLEMENT_DYNAMIC(CInvalidArgException, CSimpleException)
IMPLEMENT_DYNAMIC(CResourceException, CSimpleException)
IMPLEMENT_DYNAMIC(CUserException, CSimpleException)
IMPLEMENT_DYNAMIC(CFileException, CException)

namespace {

constexpr UINT kAppTitleID = 0xE000; // the application's title in the string table

// The caption of the framework's message boxes: the application's title, or the name of
// the executable without its extension.
CString MessageCaption()
{
    CString caption;
    if (caption.LoadString(kAppTitleID) && !caption.IsEmpty())
        return caption;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    caption = path;
    int slash = caption.ReverseFind(L'\\');
    caption = caption.Mid(slash + 1);
    int dot = caption.ReverseFind(L'.');
    if (dot > 0)
        caption.Truncate(dot);
    return caption;
}

CString SystemErrorText(DWORD error)
{
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    CString text;
    if (length && buffer)
        text.SetString(buffer, static_cast<int>(length));
    if (buffer)
        LocalFree(buffer);
    text.TrimRight();
    return text;
}

} // namespace

// ---- CException -------------------------------------------------------------------------

CException::CException() : m_bAutoDelete(TRUE) {}

CException::CException(BOOL bAutoDelete) : m_bAutoDelete(bAutoDelete) {}

void CException::Delete()
{
    if (m_bAutoDelete > 0)
        delete this;
}

BOOL CException::CopyErrorMessage(LPCTSTR text, LPTSTR lpszError, UINT nMaxError,
                                  PUINT pnHelpContext)
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (!lpszError || nMaxError == 0)
        return FALSE;
    if (!text)
        text = L"";
    UINT length = static_cast<UINT>(std::wcslen(text));
    if (length > nMaxError - 1)
        length = nMaxError - 1;
    std::wmemcpy(lpszError, text, length);
    lpszError[length] = 0;
    return TRUE;
}

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    CopyErrorMessage(L"", lpszError, nMaxError, pnHelpContext);
    return FALSE;
}

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext)
{
    return static_cast<const CException*>(this)->GetErrorMessage(lpszError, nMaxError,
                                                                 pnHelpContext);
}

int CException::ReportError(UINT nType, UINT nMessageID)
{
    wchar_t message[512];
    CString text;
    if (GetErrorMessage(message, 512, nullptr) && message[0])
        text = message;
    else if (nMessageID == 0 || !text.LoadString(nMessageID))
        text = L"No error message is available.";
    return MessageBoxW(GetActiveWindow(), text, MessageCaption(), nType);
}

// ---- CSimpleException and kin ---------------------------------------------------------

CSimpleException::CSimpleException() : CException(TRUE) {}

CSimpleException::CSimpleException(BOOL bAutoDelete) : CException(bAutoDelete) {}

LPCTSTR CSimpleException::DefaultMessage() const
{
    return nullptr;
}

BOOL CSimpleException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    CString text;
    if (m_nResourceID == 0 || !text.LoadString(m_nResourceID))
        text = DefaultMessage();
    if (text.IsEmpty())
    {
        CopyErrorMessage(L"", lpszError, nMaxError, pnHelpContext);
        return FALSE;
    }
    return CopyErrorMessage(text, lpszError, nMaxError, pnHelpContext);
}

BOOL CSimpleException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext)
{
    return static_cast<const CSimpleException*>(this)->GetErrorMessage(lpszError, nMaxError,
                                                                       pnHelpContext);
}

CMemoryException::CMemoryException() = default;
CMemoryException::CMemoryException(BOOL bAutoDelete) : CSimpleException(bAutoDelete) {}
LPCTSTR CMemoryException::DefaultMessage() const
{
    return L"Out of memory.";
}

CNotSupportedException::CNotSupportedException() = default;
CNotSupportedException::CNotSupportedException(BOOL bAutoDelete) : CSimpleException(bAutoDelete) {}
LPCTSTR CNotSupportedException::DefaultMessage() const
{
    return L"An unsupported operation was attempted.";
}

CInvalidArgException::CInvalidArgException() = default;
CInvalidArgException::CInvalidArgException(BOOL bAutoDelete) : CSimpleException(bAutoDelete) {}
LPCTSTR CInvalidArgException::DefaultMessage() const
{
    return L"Encountered an improper argument.";
}

CResourceException::CResourceException() = default;
CResourceException::CResourceException(BOOL bAutoDelete) : CSimpleException(bAutoDelete) {}
LPCTSTR CResourceException::DefaultMessage() const
{
    return L"A required resource was unavailable.";
}

CUserException::CUserException() = default;
CUserException::CUserException(BOOL bAutoDelete) : CSimpleException(bAutoDelete) {}
LPCTSTR CUserException::DefaultMessage() const
{
    return L"An unknown error has occurred.";
}

// ---- CFileException ---------------------------------------------------------------------

CFileException::CFileException(int cause, LONG lOsError, LPCTSTR lpszArchiveName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszArchiveName)
{}

int PASCAL CFileException::OsErrorToException(LONG lOsError)
{
    switch (static_cast<DWORD>(lOsError))
    {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_NO_MORE_FILES:
    case ERROR_OPEN_FAILED:
    case ERROR_MOD_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_SAME_DEVICE:
    case ERROR_WRONG_DISK:
    case ERROR_DUP_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_PARAMETER:
    case ERROR_BUFFER_OVERFLOW:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_SHARING_BUFFER_EXCEEDED: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_ACCESS:
    case ERROR_WRITE_PROTECT:
    case ERROR_WRITE_FAULT:
    case ERROR_NETWORK_BUSY:
    case ERROR_BAD_NET_RESP:
    case ERROR_NETNAME_DELETED:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_NET_WRITE_FAULT: return accessDenied;
    case ERROR_INVALID_HANDLE:
    case ERROR_BAD_FORMAT:
    case ERROR_NOT_DOS_DISK:
    case ERROR_BAD_REM_ADAP: return invalidFile;
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_DIR_NOT_EMPTY: return removeCurrentDir;
    case ERROR_NO_SPOOL_SPACE:
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_BAD_LENGTH:
    case ERROR_SEEK:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_READ_FAULT:
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK_ON_DEVICE: return badSeek;
    case ERROR_BAD_UNIT:
    case ERROR_NOT_READY:
    case ERROR_BAD_COMMAND:
    case ERROR_CRC:
    case ERROR_ADAP_HDW_ERR:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_IO_DEVICE: return hardIO;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_DRIVE_LOCKED: return lockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
    }
}

int PASCAL CFileException::ErrnoToException(int nErrno)
{
    switch (nErrno)
    {
    case 0: return none;
    case EPERM:
    case EACCES:
    case EEXIST:
    case EROFS: return accessDenied;
    case ENOENT:
    case ENFILE: return fileNotFound;
    case EMFILE: return tooManyOpenFiles;
    case EBADF:
    case EINVAL: return invalidFile;
    case ENOSPC: return diskFull;
    case EDEADLOCK: return sharingViolation;
    case EIO: return hardIO;
    case ESPIPE: return badSeek;
    case ENAMETOOLONG:
    case ENOTDIR: return badPath;
    default: return genericException;
    }
}

void PASCAL CFileException::ThrowOsError(LONG lOsError, LPCTSTR lpszFileName)
{
    // Called after a failure: an error code of 0 still means that something went wrong.
    int cause = lOsError == 0 ? genericException : OsErrorToException(lOsError);
    AfxThrowFileException(cause, lOsError, lpszFileName);
}

void PASCAL CFileException::ThrowErrno(int nErrno, LPCTSTR lpszFileName)
{
    int cause = nErrno == 0 ? genericException : ErrnoToException(nErrno);
    AfxThrowFileException(cause, nErrno, lpszFileName);
}

BOOL CFileException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    static const wchar_t* const kTexts[] = {
        L"No error occurred.",
        L"An unknown error occurred while accessing %1.",
        L"%1 was not found.",
        L"%1 contains an incorrect path.",
        L"%1 could not be opened because there are too many open files.",
        L"Access to %1 was denied.",
        L"An incorrect file handle was associated with %1.",
        L"%1 could not be removed because it is the current directory.",
        L"%1 could not be created because the directory is full.",
        L"Seek failed on %1.",
        L"A hardware I/O error was reported while accessing %1.",
        L"A sharing violation occurred while accessing %1.",
        L"A locking violation occurred while accessing %1.",
        L"Disk full while accessing %1.",
        L"An attempt was made to access %1 past its end.",
    };
    int cause = (m_cause >= none && m_cause <= endOfFile) ? m_cause : genericException;
    CString text = kTexts[cause];
    if (!m_strFileName.IsEmpty())
        text.Replace(L"%1", m_strFileName);
    else if (text.Find(L"%1") == 0)
        text.Replace(L"%1", L"An unnamed file");
    else
        text.Replace(L"%1", L"an unnamed file");
    if (cause == genericException && m_lOsError > 0)
    {
        CString system = SystemErrorText(static_cast<DWORD>(m_lOsError));
        if (!system.IsEmpty())
            text += L" " + system;
    }
    return CopyErrorMessage(text, lpszError, nMaxError, pnHelpContext);
}

BOOL CFileException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext)
{
    return static_cast<const CFileException*>(this)->GetErrorMessage(lpszError, nMaxError,
                                                                     pnHelpContext);
}

// ---- throw helpers ----------------------------------------------------------------------

void AfxThrowMemoryException()
{
    // Allocated up front: there may be no memory left to create it when needed.
    static CMemoryException memoryException(FALSE);
    throw &memoryException;
}

void AfxThrowNotSupportedException()
{
    throw new CNotSupportedException;
}

void AfxThrowInvalidArgException()
{
    throw new CInvalidArgException;
}

void AfxThrowResourceException()
{
    throw new CResourceException;
}

void AfxThrowUserException()
{
    throw new CUserException;
}

void AfxThrowFileException(int cause, LONG lOsError, LPCTSTR lpszFileName)
{
    throw new CFileException(cause, lOsError, lpszFileName);
}
