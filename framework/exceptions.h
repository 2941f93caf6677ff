// The framework's exceptions. They are thrown by pointer: the thrower allocates the object with
// new (or uses a static one, as for out-of-memory), and the handler calls Delete() when done:
//     try { ... } catch (CException* e) { e->ReportError(); e->Delete(); }
#pragma once

#include <windows.h>

#include "framework/object.h"
#include "framework/text_string.h"

class CException : public CObject
{
    DECLARE_DYNAMIC(CException)
public:
    CException();
    explicit CException(BOOL bAutoDelete);
    ~CException() override = default;

    // Deletes a heap exception (m_bAutoDelete); does nothing for a static one.
    void Delete();

    // Copies the message into the buffer, at most nMaxError characters including the NUL, and
    // always NUL-terminates when nMaxError > 0. The help context, when asked for, is 0.
    // Returns FALSE (with an empty text) when there is no message.
    virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                                 PUINT pnHelpContext = nullptr) const;
    virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr);

    // Shows the message in a message box of the given type (default text: resource nMessageID,
    // or a generic text when that is 0). Returns the message box's result.
    virtual int ReportError(UINT nType = MB_OK, UINT nMessageID = 0);

    BOOL m_bAutoDelete;

protected:
    // Helper for GetErrorMessage overrides: copies text into the caller's buffer as described.
    static BOOL CopyErrorMessage(LPCTSTR text, LPTSTR lpszError, UINT nMaxError,
                                 PUINT pnHelpContext);
};

// An exception with a fixed text, optionally from a string resource.
class CSimpleException : public CException
{
    DECLARE_DYNAMIC(CSimpleException)
public:
    CSimpleException();
    explicit CSimpleException(BOOL bAutoDelete);
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                         PUINT pnHelpContext = nullptr) const override;
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) override;

protected:
    // The text shown when the message resource (if any) cannot be loaded.
    virtual LPCTSTR DefaultMessage() const;
    UINT m_nResourceID = 0;
};

class CMemoryException : public CSimpleException
{
    DECLARE_DYNAMIC(CMemoryException)
public:
    CMemoryException();
    explicit CMemoryException(BOOL bAutoDelete);

protected:
    LPCTSTR DefaultMessage() const override;
};

class CNotSupportedException : public CSimpleException
{
    DECLARE_DYNAMIC(CNotSupportedException)
public:
    CNotSupportedException();
    explicit CNotSupportedException(BOOL bAutoDelete);

protected:
    LPCTSTR DefaultMessage() const override;
};

class CInvalidArgException : public CSimpleException
{
    DECLARE_DYNAMIC(CInvalidArgException)
public:
    CInvalidArgException();
    explicit CInvalidArgException(BOOL bAutoDelete);

protected:
    LPCTSTR DefaultMessage() const override;
};

class CResourceException : public CSimpleException
{
    DECLARE_DYNAMIC(CResourceException)
public:
    CResourceException();
    explicit CResourceException(BOOL bAutoDelete);

protected:
    LPCTSTR DefaultMessage() const override;
};

// Thrown to stop an operation after the user has already been told why; handlers show nothing.
class CUserException : public CSimpleException
{
    DECLARE_DYNAMIC(CUserException)
public:
    CUserException();
    explicit CUserException(BOOL bAutoDelete);

protected:
    LPCTSTR DefaultMessage() const override;
};

class CFileException : public CException
{
    DECLARE_DYNAMIC(CFileException)
public:
    enum
    {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = none, LONG lOsError = -1,
                            LPCTSTR lpszArchiveName = nullptr);

    // The cause code for a Win32 error code (GetLastError) or a C run-time errno.
    static int PASCAL OsErrorToException(LONG lOsError);
    static int PASCAL ErrnoToException(int nErrno);
    [[noreturn]] static void PASCAL ThrowOsError(LONG lOsError, LPCTSTR lpszFileName = nullptr);
    [[noreturn]] static void PASCAL ThrowErrno(int nErrno, LPCTSTR lpszFileName = nullptr);

    // A sentence naming the file and the cause, e.g. "C:\a.txt was not found."; for a generic
    // failure with an operating-system error code, the system's text for that code follows.
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                         PUINT pnHelpContext = nullptr) const override;
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) override;

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowNotSupportedException();
[[noreturn]] void AfxThrowInvalidArgException();
[[noreturn]] void AfxThrowResourceException();
[[noreturn]] void AfxThrowUserException();
[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1,
                                        LPCTSTR lpszFileName = nullptr);

// Throws CInvalidArgException* when the condition is false.
#define ENSURE(cond)                                                                               \
    do                                                                                             \
    {                                                                                              \
        if (!(cond))                                                                               \
            AfxThrowInvalidArgException();                                                         \
    } while (0)
#define ENSURE_ARG(cond) ENSURE(cond)

// The framework's exception macros, as plain C++.
#define TRY try
#define CATCH(class_name, e) catch (class_name * e)
#define AND_CATCH(class_name, e) catch (class_name * e)
#define END_CATCH
#define CATCH_ALL(e) catch (CException * e)
#define AND_CATCH_ALL(e) catch (CException * e)
#define END_CATCH_ALL
#define THROW(e) throw e
#define THROW_LAST() throw
