#include "services/data_file.h"

CBufferedDataFile::~CBufferedDataFile()
{
    // A writer destroyed after a failure still leaves what it had on disk; a second failure
    // here has nobody to report to.
    try
    {
        WriteBuffer();
    }
    catch (CException* e)
    {
        e->Delete();
    }
}

void CBufferedDataFile::WriteBuffer()
{
    if (m_buffer.empty() || m_hFile == hFileNull)
        return;
    std::string pending;
    pending.swap(m_buffer);
    Write(pending.data(), static_cast<UINT>(pending.size()));
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
    if (i == nChars)
    {
        std::string ascii(nChars, '\0');
        for (size_t k = 0; k < nChars; ++k)
            ascii[k] = static_cast<char>(pszText[k]);
        Put(ascii.data(), ascii.size());
        return;
    }
    std::string s = ToUtf8(pszText, nChars);
    Put(s.data(), s.size());
}
