#include "util/disk_file.h"

namespace RFile {
UINT CDiskFile::Read(void* buffer, UINT count)
{
    return m_file.Read(buffer, count);
}

UINT CDiskFile::Write(const void* buffer, UINT count)
{
    m_file.Write(buffer, count);
    return count;
}

void CDiskFile::SeekToBegin()
{
    m_file.Seek(0, CFile::begin);
}

ULONGLONG CDiskFile::Seek(LONGLONG offset, UINT origin)
{
    return m_file.Seek(offset, origin);
}

ULONGLONG CDiskFile::GetLength() const
{
    return m_file.GetLength();
}

ULONGLONG CDiskFile::GetPosition() const
{
    return m_file.GetPosition();
}

bool CDiskFile::SetFileTime(const FILETIME* creation, const FILETIME* lastAccess,
                            const FILETIME* lastWrite)
{
    if (!::SetFileTime(m_file.m_hFile, creation, lastAccess, lastWrite))
        AfxThrowFileException(CFileException::genericException, LONG(GetLastError()));
    return true;
}

CString CDiskFile::GetFilePath() const
{
    return m_file.GetFilePath();
}
} // namespace RFile
