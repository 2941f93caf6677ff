// CFile: a binary file on a Win32 file handle, with open modes and sharing, and errors thrown
// as CFileException*.
#pragma once

#include <windows.h>

#include "framework/date_time.h"
#include "framework/exceptions.h"
#include "framework/object.h"
#include "framework/text_string.h"

struct CFileStatus
{
    CTime m_ctime; // creation
    CTime m_mtime; // last write
    CTime m_atime; // last access
    ULONGLONG m_size = 0;
    BYTE m_attribute = 0; // CFile::Attribute bits
    TCHAR m_szFullName[MAX_PATH] = {};
};

class CFile : public CObject
{
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        typeUnicode = 0x0400,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
        osRandomAccess = 0x40000,
        osSequentialScan = 0x80000,
    };

    enum Attribute
    {
        normal = 0x00,
        readOnly = 0x01,
        hidden = 0x02,
        system = 0x04,
        volume = 0x08,
        directory = 0x10,
        archive = 0x20
    };

    enum SeekPosition
    {
        begin = 0x0,
        current = 0x1,
        end = 0x2
    };

    // The value of m_hFile while no file is open.
    static const HANDLE hFileNull;

    CFile();
    // Wraps a handle the caller opened and keeps owning: it is not closed by this object,
    // and the object knows no file path.
    explicit CFile(HANDLE hFile);
    // Opens the file; throws CFileException* when it cannot.
    CFile(LPCTSTR lpszFileName, UINT nOpenFlags);
    ~CFile() override;

    operator HANDLE() const { return m_hFile; }

    // Opens the file with the given OpenFlags. On failure returns FALSE and, when pError is
    // given, fills it with the cause, the system error and the file name.
    virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);

    // Reads up to nCount bytes; returns how many were read (0 at the end of the file).
    virtual UINT Read(void* lpBuf, UINT nCount);
    // Writes all nCount bytes; a short write throws CFileException::diskFull.
    virtual void Write(const void* lpBuf, UINT nCount);

    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetLength() const;
    // Cuts or extends the file; the position is left at the new length.
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual ULONGLONG GetPosition() const;
    virtual void LockRange(ULONGLONG dwPos, ULONGLONG dwCount);
    virtual void UnlockRange(ULONGLONG dwPos, ULONGLONG dwCount);
    virtual void Flush();
    // Closes the file (throws when the system reports a failure); Abort closes it and ignores
    // every error. Both leave the object with no file and may be called again.
    virtual void Close();
    virtual void Abort();
    // A second object on a duplicate of this handle (owned by the new object).
    virtual CFile* Duplicate() const;

    // The full path given to Open (empty for an object made from a handle), its last
    // component, and that without its extension.
    virtual CString GetFilePath() const { return m_strFileName; }
    virtual CString GetFileName() const;
    virtual CString GetFileTitle() const;
    virtual void SetFilePath(LPCTSTR lpszNewName) { m_strFileName = lpszNewName; }

    BOOL GetStatus(CFileStatus& rStatus) const;
    static BOOL PASCAL GetStatus(LPCTSTR lpszFileName, CFileStatus& rStatus);
    static void PASCAL Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName);
    // Renames over an existing file in one step (MoveFileExW with MOVEFILE_REPLACE_EXISTING and
    // MOVEFILE_WRITE_THROUGH): the target holds either its old or its new content, never a
    // part. Both names must be on one volume. Throws CFileException* naming lpszNewName.
    static void PASCAL RenameReplacing(LPCTSTR lpszOldName, LPCTSTR lpszNewName);
    static void PASCAL Remove(LPCTSTR lpszFileName);

    HANDLE m_hFile;

protected:
    BOOL m_bCloseOnDelete;
    CString m_strFileName;

private:
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
};
