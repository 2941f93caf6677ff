// A zip archive written front to back: entries deflated in one piece or streamed through a
// deflater into a temporary file first (a worksheet grows row by row), then copied in.
#pragma once

#include "framework/core.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Deflates a stream of bytes into a temporary file (deleted when closed), keeping the CRC-32
// and both sizes for the archive's headers.
//
// Deflating costs more than making the bytes, so pieces of a quarter megabyte are deflated on
// a few threads at once, each piece primed with the 32 KB before it (so it packs as well as
// one stream) and ended on a byte boundary by a sync flush: the pieces joined in order are one
// deflate stream. The caller's thread writes the finished pieces to the file in order, so a
// write failure (a full disk) is raised by the Write or Finish that met it, and again by every
// later one.
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
    struct CPiece
    {
        std::string input;
        std::string dictionary; // the 32 KB of input before this piece
        std::string output;
        bool bLast = false;
        bool bDone = false;
        bool bFailed = false;
        unsigned long crc = 0;
    };

    // Queues the collected input (the end of the stream with bLast) and writes what is done.
    void HandOver(bool bLast);
    // Writes the finished pieces at the front, in order; with bAll waits for every piece.
    void WriteDone(std::unique_lock<std::mutex>& lock, bool bAll);
    [[noreturn]] void RaiseFailure();
    void WriteOut(const char* data, size_t size);
    // A deflating thread.
    void ThreadMain();

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    std::string m_input; // collected before a hand-over: deflating large pieces is cheaper
    std::string m_tail;  // the last 32 KB handed over
    ULONGLONG m_nRaw = 0;
    ULONGLONG m_nPacked = 0;
    unsigned long m_crc = 0;
    bool m_bFinished = false;
    bool m_bFailed = false;
    LONG m_nFailedOsError = 0; // of a failed file write; 0 for other failures

    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<CPiece>> m_pieces; // handed over, not yet written, in order
    std::deque<std::shared_ptr<CPiece>> m_todo;   // not yet taken by a deflating thread
    bool m_bStop = false;
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
