// The abstract file the script readers and writers work through, and its implementation over
// a file handle that the caller opened and keeps owning.
#pragma once

#include "framework/core.h"

namespace RFile {
class IFile
{
public:
    virtual ~IFile() = default;
    virtual UINT Read(void* buffer, UINT count) = 0;
    virtual UINT Write(const void* buffer, UINT count) = 0;
    virtual void SeekToBegin() = 0;
    virtual ULONGLONG Seek(LONGLONG offset, UINT origin) = 0;
    virtual ULONGLONG GetLength() const = 0;
    virtual ULONGLONG GetPosition() const = 0;
    // Null times stay unchanged.
    virtual bool SetFileTime(const FILETIME* creation, const FILETIME* lastAccess,
                             const FILETIME* lastWrite) = 0;
    virtual CString GetFilePath() const { return CString(); }
};

// Failures raise the framework's CFileException.
class CDiskFile : public IFile
{
public:
    // The handle is not closed by this object.
    explicit CDiskFile(HANDLE file) : m_file(file) {}

    UINT Read(void* buffer, UINT count) override;
    UINT Write(const void* buffer, UINT count) override;
    void SeekToBegin() override;
    ULONGLONG Seek(LONGLONG offset, UINT origin) override;
    ULONGLONG GetLength() const override;
    ULONGLONG GetPosition() const override;
    bool SetFileTime(const FILETIME* creation, const FILETIME* lastAccess,
                     const FILETIME* lastWrite) override;
    CString GetFilePath() const override;

private:
    CFile m_file;
};
} // namespace RFile
