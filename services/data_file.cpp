#include "services/data_file.h"

namespace {

// Opened without truncating: the constructor's caller truncates at the first write.
UINT KeepingOldContent(UINT nOpenFlags)
{
    return (nOpenFlags & CFile::modeCreate) ? nOpenFlags | CFile::modeNoTruncate : nOpenFlags;
}

} // namespace

CBufferedDataFile::CBufferedDataFile(LPCWSTR pszPath, UINT nOpenFlags)
    : m_buffer(new char[kBufferBytes])
{
    m_bExisted = pszPath != nullptr && ::GetFileAttributesW(pszPath) != INVALID_FILE_ATTRIBUTES;
    m_bTruncatePending =
        (nOpenFlags & CFile::modeCreate) != 0 && (nOpenFlags & CFile::modeNoTruncate) == 0;
    CFileException e;
    if (!Open(pszPath, KeepingOldContent(nOpenFlags), &e))
        AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CBufferedDataFile::~CBufferedDataFile()
{
    if (m_bDiscarded)
        return;
    // A writer destroyed after a failure still leaves what it had on disk; a second failure
    // here has nobody to report to.
    try
    {
        TruncateOnce();
        WriteBuffer();
    }
    catch (CException* e)
    {
        e->Delete();
    }
}

void CBufferedDataFile::TruncateOnce()
{
    if (!m_bTruncatePending || m_hFile == hFileNull)
        return;
    m_bTruncatePending = false;
    SetLength(0);
}

bool CBufferedDataFile::DiscardFile()
{
    if (m_bDiscarded)
        return true;
    if (!m_bTruncatePending || m_hFile == hFileNull)
        return false;
    m_bDiscarded = true;
    m_nUsed = 0;
    const CString strPath = GetFilePath();
    Abort();
    if (!m_bExisted)
        ::DeleteFileW(strPath);
    return true;
}

bool CBufferedDataFile::RemoveFile()
{
    if (m_bDiscarded || m_hFile == hFileNull)
        return false;
    m_bDiscarded = true;
    m_nUsed = 0;
    const CString strPath = GetFilePath();
    Abort();
    return ::DeleteFileW(strPath) != FALSE;
}

void CBufferedDataFile::WriteBuffer()
{
    if (m_nUsed == 0 || m_hFile == hFileNull)
        return;
    // Emptied first: what a failed write leaves is not written again at destruction.
    const size_t pending = m_nUsed;
    m_nUsed = 0;
    WriteOut(m_buffer.get(), pending);
}

void CBufferedDataFile::WriteOut(const void* pData, size_t nBytes)
{
    TruncateOnce();
    Write(pData, static_cast<UINT>(nBytes));
    m_nFileBytes += nBytes;
    // Rows before the last one started are whole in the file now: a cut needs none before the
    // last start that leaves the closing room behind it.
    size_t keep = m_rowStarts.size();
    while (keep > 0 && m_rowStarts[keep - 1] + m_nClosingRoom > m_nFileBytes)
        --keep;
    if (keep > 1)
        m_rowStarts.erase(m_rowStarts.begin(), m_rowStarts.begin() + (keep - 1));
}

void CBufferedDataFile::PutLarge(const void* pData, size_t nBytes)
{
    WriteBuffer();
    if (nBytes >= kBufferBytes)
    {
        if (m_hFile != hFileNull)
            WriteOut(pData, nBytes);
        return;
    }
    std::memcpy(m_buffer.get(), pData, nBytes);
    m_nUsed = nBytes;
}

void CBufferedDataFile::CutFile(ULONGLONG nLength)
{
    m_nUsed = 0;
    SetLength(nLength); // leaves the position at the new end
    m_nFileBytes = nLength;
}

void CBufferedDataFile::DropToRowMark()
{
    if (m_rowStarts.empty())
        return;
    const ULONGLONG start = m_rowStarts.back();
    m_rowStarts.pop_back();
    --m_nRowsMarked;
    if (start >= m_nFileBytes)
        m_nUsed = static_cast<size_t>(start - m_nFileBytes);
    else if (m_hFile != hFileNull)
        CutFile(start);
}

INT64 CBufferedDataFile::CutToWrittenRows()
{
    m_nUsed = 0;
    if (m_hFile == hFileNull || m_rowStarts.empty())
        return -1;
    // A failed write may have put part of its bytes in the file. The blocks the file holds stay
    // its own, or free for it again after the cut: the closing fits where written bytes were.
    const ULONGLONG length = GetLength();
    size_t kept = m_rowStarts.size();
    while (kept > 0 && m_rowStarts[kept - 1] + m_nClosingRoom > length)
        --kept;
    // Fewer written bytes after the first row than the closing takes: its start is still the
    // best place to close, the file's last block may have the room.
    if (kept == 0)
        kept = 1;
    const ULONGLONG start = m_rowStarts[kept - 1];
    m_nRowsMarked -= static_cast<INT64>(m_rowStarts.size() - kept + 1);
    m_rowStarts.resize(kept - 1);
    CutFile(start);
    return m_nRowsMarked;
}

void CBufferedDataFile::AcceptLoss()
{
    if (m_bLossAccepted)
        return;
    if (m_askLossy && !m_askLossy())
        AfxThrowUserException();
    m_bLossAccepted = true;
}

bool HasLoneSurrogate(const wchar_t* pszText, size_t nChars)
{
    for (size_t i = 0; i < nChars; ++i)
    {
        const wchar_t ch = pszText[i];
        if (ch >= 0xD800 && ch <= 0xDBFF)
        {
            if (i + 1 < nChars && pszText[i + 1] >= 0xDC00 && pszText[i + 1] <= 0xDFFF)
            {
                ++i;
                continue;
            }
            return true;
        }
        if (ch >= 0xDC00 && ch <= 0xDFFF)
            return true;
    }
    return false;
}

std::string ToUtf8(const wchar_t* pszText, size_t nChars)
{
    std::string out;
    if (nChars == 0)
        return out;
    int n = WideCharToMultiByte(CP_UTF8, 0, pszText, static_cast<int>(nChars), nullptr, 0, nullptr,
                                nullptr);
    out.resize(n);
    WideCharToMultiByte(CP_UTF8, 0, pszText, static_cast<int>(nChars), out.data(), n, nullptr,
                        nullptr);
    return out;
}

void CBufferedDataFile::PutUtf8(const wchar_t* pszText, size_t nChars)
{
    // ASCII, the bulk of most exports, goes over without a conversion call.
    size_t i = 0;
    while (i < nChars && pszText[i] < 0x80)
        ++i;
    if (i == nChars && nChars <= kBufferBytes)
    {
        if (nChars > kBufferBytes - m_nUsed)
            WriteBuffer();
        char* out = m_buffer.get() + m_nUsed;
        for (size_t k = 0; k < nChars; ++k)
            out[k] = static_cast<char>(pszText[k]);
        m_nUsed += nChars;
        return;
    }
    if (!m_bLossAccepted && HasLoneSurrogate(pszText, nChars))
        AcceptLoss();
    std::string s = ToUtf8(pszText, nChars);
    Put(s.data(), s.size());
}
