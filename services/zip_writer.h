// A zip archive written front to back: entries deflated in one piece or streamed through a
// deflater into a temporary file first (a worksheet grows row by row), then copied in.
#pragma once

#include "framework/core.h"

#include <atomic>
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
// Deflating costs about as much as making the bytes, so it runs on a thread of its own: Write
// hands over pieces of a quarter megabyte and waits only while two are still queued. A failure
// there (a full disk) is raised by the next Write or by Finish.
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
    // Hands the collected input to the deflating thread.
    void HandOver(bool bFinish);
    void RaiseFailure();
    // The deflating thread.
    void ThreadMain();
    void Pump(const std::string& input, int flush);
    void WriteOut(const char* data, size_t size);

    struct ZState;
    std::unique_ptr<ZState> m_z;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    std::string m_input; // collected before a deflate call, which is cheaper on large blocks
    ULONGLONG m_nRaw = 0;
    ULONGLONG m_nPacked = 0;
    unsigned long m_crc = 0;
    bool m_bFinished = false;

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_queue; // pieces to deflate; the last one ends the stream when
    bool m_bFinishQueued = false;    // this is set
    bool m_bBusy = false;
    bool m_bStop = false;
    std::vector<std::string> m_spare; // deflated pieces' buffers, for reuse
    CException* m_pFailure = nullptr; // not yet raised
    std::atomic<bool> m_bFailed = false;
    LONG m_nFailedOsError = 0; // of a failed file write; 0 for other failures
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
