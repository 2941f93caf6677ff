#include "services/zip_writer.h"

#include "framework/automation.h"

#include <zlib.h>

#include <algorithm>

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

namespace {

const size_t kPieceSize = 256 * 1024;
const size_t kDictionarySize = 32 * 1024; // the deflate window

// Threads deflating one sheet's pieces, and how many pieces may wait: the file's memory stays a
// few megabytes whatever the sheet's size.
size_t DeflateThreads()
{
    unsigned n = std::thread::hardware_concurrency();
    return n >= 4 ? 3 : n >= 2 ? 2 : 1;
}

// Deflates one piece as part of a longer stream: primed with the input before it, ended with a
// sync flush (which ends on a byte boundary), or with the end of the stream.
bool DeflatePiece(z_stream& z, const std::string& dictionary, const std::string& input, bool bLast,
                  std::string& output)
{
    if (deflateReset(&z) != Z_OK)
        return false;
    if (!dictionary.empty() &&
        deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(dictionary.data()),
                             static_cast<uInt>(dictionary.size())) != Z_OK)
        return false;
    output.resize(deflateBound(&z, static_cast<uLong>(input.size())) + 64);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    z.avail_in = static_cast<uInt>(input.size());
    size_t produced = 0;
    for (;;)
    {
        z.next_out = reinterpret_cast<Bytef*>(output.data() + produced);
        z.avail_out = static_cast<uInt>(output.size() - produced);
        int rc = deflate(&z, bLast ? Z_FINISH : Z_SYNC_FLUSH);
        produced = output.size() - z.avail_out;
        if (rc == Z_STREAM_END || (!bLast && rc == Z_OK && z.avail_out != 0))
            break;
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            return false;
        output.resize(output.size() * 2);
    }
    output.resize(produced);
    return true;
}

} // namespace

CDeflatedTempFile::CDeflatedTempFile()
{
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"qlx", 0, path);
    m_hFile = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
        CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), path);
    m_crc = crc32(0L, Z_NULL, 0);
}

CDeflatedTempFile::~CDeflatedTempFile()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_changed.notify_all();
    for (std::thread& t : m_threads)
        t.join();
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
}

void CDeflatedTempFile::ThreadMain()
{
    z_stream z = {};
    // Level 1: sheet XML packs almost as well as at the default level in a third of the time.
    bool bReady = deflateInit2(&z, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    for (;;)
    {
        std::shared_ptr<CPiece> piece;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_todo.empty() || m_bStop; });
            if (m_bStop)
                break;
            piece = std::move(m_todo.front());
            m_todo.pop_front();
        }
        bool bDone =
            bReady && DeflatePiece(z, piece->dictionary, piece->input, piece->bLast, piece->output);
        piece->crc = crc32(0L, reinterpret_cast<const Bytef*>(piece->input.data()),
                           static_cast<uInt>(piece->input.size()));
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            piece->bDone = true;
            piece->bFailed = !bDone;
        }
        m_changed.notify_all();
    }
    if (bReady)
        deflateEnd(&z);
}

void CDeflatedTempFile::WriteOut(const char* data, size_t size)
{
    DWORD done = 0;
    if (!WriteFile(m_hFile, data, static_cast<DWORD>(size), &done, nullptr) || done != size)
    {
        m_bFailed = true;
        m_nFailedOsError = static_cast<LONG>(GetLastError());
        RaiseFailure();
    }
    m_nPacked += size;
}

void CDeflatedTempFile::RaiseFailure()
{
    // A broken stream must never be finished into an archive: every later step fails too.
    if (m_nFailedOsError)
        CFileException::ThrowOsError(m_nFailedOsError);
    AfxThrowMemoryException();
}

void CDeflatedTempFile::WriteDone(std::unique_lock<std::mutex>& lock, bool bAll)
{
    for (;;)
    {
        if (m_pieces.empty())
            return;
        std::shared_ptr<CPiece> front = m_pieces.front();
        if (!front->bDone)
        {
            // Enough queued for the threads to work on: go on collecting unless told to wait.
            if (!bAll && m_pieces.size() <= m_threads.size() + 1)
                return;
            m_changed.wait(lock, [&] { return front->bDone; });
        }
        m_pieces.pop_front();
        lock.unlock();
        if (front->bFailed)
        {
            m_bFailed = true;
            RaiseFailure();
        }
        WriteOut(front->output.data(), front->output.size());
        m_crc = crc32_combine(m_crc, front->crc, static_cast<z_off_t>(front->input.size()));
        m_nRaw += front->input.size();
        lock.lock();
    }
}

void CDeflatedTempFile::HandOver(bool bLast)
{
    auto piece = std::make_shared<CPiece>();
    piece->input = std::move(m_input);
    m_input.clear();
    m_input.reserve(kPieceSize + 4096);
    piece->dictionary = std::move(m_tail);
    piece->bLast = bLast;
    size_t keep = std::min(kDictionarySize, piece->input.size());
    m_tail.assign(piece->input, piece->input.size() - keep, keep);
    if (m_threads.empty())
        for (size_t i = DeflateThreads(); i > 0; --i)
            m_threads.emplace_back([this] { ThreadMain(); });
    std::unique_lock<std::mutex> lock(m_mutex);
    m_pieces.push_back(piece);
    m_todo.push_back(std::move(piece));
    m_changed.notify_all();
    WriteDone(lock, bLast);
}

void CDeflatedTempFile::Write(const char* data, size_t size)
{
    if (m_bFailed)
        RaiseFailure();
    m_input.append(data, size);
    if (m_input.size() >= kPieceSize)
        HandOver(false);
}

void CDeflatedTempFile::Finish()
{
    if (m_bFinished)
        return;
    if (m_bFailed)
        RaiseFailure();
    HandOver(true);
    m_bFinished = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_changed.notify_all();
    for (std::thread& t : m_threads)
        t.join();
    m_threads.clear();
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
