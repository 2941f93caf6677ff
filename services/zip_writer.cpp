#include "services/zip_writer.h"

#include "framework/automation.h"

#include <zlib.h>

namespace {

void Put16(std::string& s, unsigned v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& s, unsigned long v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, (v >> 16) & 0xFFFF);
}

[[noreturn]] void ThrowTooLarge()
{
    AfxThrowOleDispatchException(0, L"The workbook is larger than 4 GB, which this writer cannot "
                                    L"store.");
}

} // namespace

struct CDeflatedTempFile::ZState
{
    z_stream stream = {};
};

CDeflatedTempFile::CDeflatedTempFile() : m_z(new ZState)
{
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"qlx", 0, path);
    m_hFile = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), path);
    // Level 1: sheet XML packs almost as well as at the default level in a third of the time.
    if (deflateInit2(&m_z->stream, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        AfxThrowMemoryException();
    m_crc = crc32(0L, Z_NULL, 0);
}

CDeflatedTempFile::~CDeflatedTempFile()
{
    if (m_thread.joinable())
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bStop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    if (m_pFailure)
        m_pFailure->Delete();
    deflateEnd(&m_z->stream);
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
}

void CDeflatedTempFile::WriteOut(const char* data, size_t size)
{
    DWORD done = 0;
    if (!WriteFile(m_hFile, data, static_cast<DWORD>(size), &done, nullptr) || done != size)
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()));
    m_nPacked += size;
}

void CDeflatedTempFile::Pump(const std::string& input, int flush)
{
    z_stream& z = m_z->stream;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    z.avail_in = static_cast<uInt>(input.size());
    m_crc =
        crc32(m_crc, reinterpret_cast<const Bytef*>(input.data()), static_cast<uInt>(input.size()));
    m_nRaw += input.size();
    char out[65536];
    for (;;)
    {
        z.next_out = reinterpret_cast<Bytef*>(out);
        z.avail_out = sizeof out;
        int rc = deflate(&z, flush);
        size_t produced = sizeof out - z.avail_out;
        if (produced)
            WriteOut(out, produced);
        if (rc == Z_STREAM_END || (flush == Z_NO_FLUSH && z.avail_in == 0 && z.avail_out != 0))
            break;
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            AfxThrowMemoryException();
    }
}

void CDeflatedTempFile::ThreadMain()
{
    for (;;)
    {
        std::string input;
        bool bLast = false;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_queue.empty() || m_bStop; });
            if (m_queue.empty() || m_bFailed)
                return;
            input = std::move(m_queue.front());
            m_queue.pop_front();
            bLast = m_queue.empty() && m_bFinishQueued;
            m_bBusy = true;
        }
        CException* pFailure = nullptr;
        try
        {
            Pump(input, bLast ? Z_FINISH : Z_NO_FLUSH);
        }
        catch (CException* e)
        {
            pFailure = e;
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bBusy = false;
            input.clear();
            if (m_spare.size() < 2)
                m_spare.push_back(std::move(input));
            if (pFailure)
            {
                // The stream is broken from here on: nothing queued is deflated any more.
                m_pFailure = pFailure;
                m_bFailed = true;
                if (auto* pFile = dynamic_cast<CFileException*>(pFailure))
                    m_nFailedOsError = pFile->m_lOsError;
                m_queue.clear();
            }
        }
        m_changed.notify_all();
        if (pFailure || bLast)
            return;
    }
}

void CDeflatedTempFile::RaiseFailure()
{
    // The deflating thread's own exception the first time, the same failure anew afterwards:
    // a broken stream must never be finished into an archive.
    if (CException* e = m_pFailure)
    {
        m_pFailure = nullptr;
        throw e;
    }
    if (m_nFailedOsError)
        CFileException::ThrowOsError(m_nFailedOsError);
    AfxThrowMemoryException();
}

void CDeflatedTempFile::HandOver(bool bFinish)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < 2 || m_bFailed; });
    if (m_bFailed)
        RaiseFailure();
    m_queue.push_back(std::move(m_input));
    m_input.clear();
    if (!m_spare.empty())
    {
        m_input = std::move(m_spare.back());
        m_spare.pop_back();
    }
    m_bFinishQueued = bFinish;
    lock.unlock();
    m_changed.notify_all();
    if (!m_thread.joinable())
        m_thread = std::thread([this] { ThreadMain(); });
}

void CDeflatedTempFile::Write(const char* data, size_t size)
{
    if (m_bFailed)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        RaiseFailure();
    }
    m_input.append(data, size);
    if (m_input.size() >= 256 * 1024)
        HandOver(false);
}

void CDeflatedTempFile::Finish()
{
    if (m_bFinished)
        return;
    HandOver(true);
    m_thread.join();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bFailed)
        RaiseFailure();
    m_bFinished = true;
}

CZipWriter::CZipWriter(LPCWSTR pszPath)
    : m_file(pszPath, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive)
{}

CZipWriter::~CZipWriter()
{
    m_file.Abort();
}

void CZipWriter::Out(const void* data, size_t size)
{
    m_file.Write(data, static_cast<UINT>(size));
    m_nOffset += size;
}

void CZipWriter::WriteLocalHeader(const Entry& e)
{
    if (e.packed >= 0xFFFFFFFFull || e.raw >= 0xFFFFFFFFull || e.offset >= 0xFFFFFFFFull)
        ThrowTooLarge();
    std::string h;
    Put32(h, 0x04034b50);
    Put16(h, 20);     // version needed
    Put16(h, 0x0800); // names are UTF-8
    Put16(h, 8);      // deflate
    Put16(h, 0);      // time
    Put16(h, 0x21);   // date: 1980-01-01
    Put32(h, e.crc);
    Put32(h, static_cast<unsigned long>(e.packed));
    Put32(h, static_cast<unsigned long>(e.raw));
    Put16(h, static_cast<unsigned>(e.name.size()));
    Put16(h, 0);
    h += e.name;
    Out(h.data(), h.size());
}

void CZipWriter::AddEntry(const char* pszName, const std::string& data)
{
    uLongf bound = compressBound(static_cast<uLong>(data.size())) + 64;
    std::string packed(bound, '\0');
    z_stream z = {};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = static_cast<uInt>(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);

    Entry e{pszName,
            crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uInt>(data.size())),
            packed.size(), data.size(), m_nOffset};
    WriteLocalHeader(e);
    Out(packed.data(), packed.size());
    m_entries.push_back(e);
}

void CZipWriter::AddEntry(const char* pszName, CDeflatedTempFile& packed)
{
    packed.Finish();
    Entry e{pszName, packed.Crc(), packed.PackedSize(), packed.RawSize(), m_nOffset};
    WriteLocalHeader(e);
    LARGE_INTEGER zero = {};
    SetFilePointerEx(packed.Handle(), zero, nullptr, FILE_BEGIN);
    std::string buffer(1 << 20, '\0');
    DWORD got = 0;
    while (ReadFile(packed.Handle(), buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                    nullptr) &&
           got > 0)
        Out(buffer.data(), got);
    m_entries.push_back(e);
}

void CZipWriter::Close()
{
    ULONGLONG start = m_nOffset;
    std::string cd;
    for (const Entry& e : m_entries)
    {
        Put32(cd, 0x02014b50);
        Put16(cd, 20); // made by
        Put16(cd, 20);
        Put16(cd, 0x0800);
        Put16(cd, 8);
        Put16(cd, 0);
        Put16(cd, 0x21);
        Put32(cd, e.crc);
        Put32(cd, static_cast<unsigned long>(e.packed));
        Put32(cd, static_cast<unsigned long>(e.raw));
        Put16(cd, static_cast<unsigned>(e.name.size()));
        Put16(cd, 0); // extra
        Put16(cd, 0); // comment
        Put16(cd, 0); // disk
        Put16(cd, 0); // internal attributes
        Put32(cd, 0); // external attributes
        Put32(cd, static_cast<unsigned long>(e.offset));
        cd += e.name;
    }
    if (start + cd.size() >= 0xFFFFFFFFull)
        ThrowTooLarge();
    unsigned long directorySize = static_cast<unsigned long>(cd.size());
    Put32(cd, 0x06054b50);
    Put16(cd, 0);
    Put16(cd, 0);
    Put16(cd, static_cast<unsigned>(m_entries.size()));
    Put16(cd, static_cast<unsigned>(m_entries.size()));
    Put32(cd, directorySize);
    Put32(cd, static_cast<unsigned long>(start));
    Put16(cd, 0);
    Out(cd.data(), cd.size());
    m_file.Close();
}
