// A zip archive written front to back: entries deflated in one piece or streamed through a
// deflater into a temporary file first (a worksheet grows row by row), then copied in.
#pragma once

#include "framework/core.h"

#include <memory>
#include <string>
#include <vector>

// Deflates a stream of bytes into a temporary file (deleted when closed), keeping the CRC-32
// and both sizes for the archive's headers.
class CDeflatedTempFile
{
public:
    CDeflatedTempFile();
    ~CDeflatedTempFile();
    CDeflatedTempFile(const CDeflatedTempFile&) = delete;
    CDeflatedTempFile& operator=(const CDeflatedTempFile&) = delete;

    void Write(const char* data, size_t size);
    void Write(const std::string& s) { Write(s.data(), s.size()); }
    // Ends the stream; no more writes.
    void Finish();

    ULONGLONG RawSize() const { return m_nRaw; }
    ULONGLONG PackedSize() const { return m_nPacked; }
    unsigned long Crc() const { return m_crc; }
    HANDLE Handle() const { return m_hFile; }

private:
    void Pump(int flush);
    void WriteOut(const char* data, size_t size);

    struct ZState;
    std::unique_ptr<ZState> m_z;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    std::string m_input; // collected before a deflate call, which is cheaper on large blocks
    ULONGLONG m_nRaw = 0;
    ULONGLONG m_nPacked = 0;
    unsigned long m_crc = 0;
    bool m_bFinished = false;
};

class CZipWriter
{
public:
    // Creates (truncates) the archive; throws CFileException.
    explicit CZipWriter(LPCWSTR pszPath);
    ~CZipWriter();

    void AddEntry(const char* pszName, const std::string& data);
    // Copies a finished deflated stream in as the entry's data.
    void AddEntry(const char* pszName, CDeflatedTempFile& packed);
    // Writes the central directory and closes the archive.
    void Close();

private:
    struct Entry
    {
        std::string name;
        unsigned long crc;
        ULONGLONG packed, raw;
        ULONGLONG offset;
    };
    void WriteLocalHeader(const Entry& e);
    void Out(const void* data, size_t size);

    CFile m_file;
    std::vector<Entry> m_entries;
    ULONGLONG m_nOffset = 0;
};
