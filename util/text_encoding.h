// Byte sources, UTF-8 detection and decoding, and the byte-order marks written before text.
#pragma once

#include "framework/core.h"

namespace REncode {
// A source of bytes. Read copies up to `count` bytes, advances and gives the number copied
// (0 at the end).
//
// Characters outside the 16-bit range reach the caller of ReadUtf8Char as a surrogate pair:
// the high surrogate comes first and the low one is held here until the next call.
class CReaderBase
{
public:
    virtual ~CReaderBase() = default;
    virtual int Read(void* buffer, int count) = 0;

    // The low surrogate held back by ReadUtf8Char.
    bool HasPendingChar() const { return m_pendingChar != 0; }
    wchar_t GetPendingChar() const { return m_pendingChar; }
    void SetPendingChar(wchar_t ch) { m_pendingChar = ch; }
    // Drops a held low surrogate (after the source was repositioned).
    void DiscardPendingChar() { m_pendingChar = 0; }

private:
    wchar_t m_pendingChar = 0;
};

// Reads bytes from an open framework file at its current position and decodes UTF-8 from them.
// The file stays owned by the caller; nothing is read ahead, so the file position is always
// just past the last character delivered.
class CFileReader : public CReaderBase
{
public:
    explicit CFileReader(CFile& file) : m_file(file) {}

    int Read(void* buffer, int count) override;
    // Delivers one UTF-16 unit in ch; gives 1, or 0 at the end of the file. Bytes that do not
    // form a character are delivered as 0xFFFF.
    int ReadChar(wchar_t& ch);

private:
    CFile& m_file;
    long long m_bytesRead = 0;
};
} // namespace REncode

// A byte-order mark: its bytes and their count.
struct ByteOrderMark
{
    const BYTE* pBytes;
    int nCount;
};

// True when the buffer holds at least one byte of 0x80 or more and all such bytes form
// well-formed UTF-8 sequences of one to four bytes. A sequence cut off by the end of the
// buffer is accepted; a length below 1 gives false.
bool IsUtf8Text(const BYTE* bytes, int length);

// Reads one character. The result is the number of bytes consumed, 0 when nothing could be
// read or the first byte cannot start a sequence (ch is then 0xFFFF). A malformed sequence
// gives 0xFFFF with its bytes consumed. A four-byte sequence gives its high surrogate with
// result 3 and, on the next call, its low surrogate with result 1 (the four bytes together).
int ReadUtf8Char(REncode::CReaderBase& reader, wchar_t& ch);

// FF FE and EF BB BF; the same descriptor on every call.
const ByteOrderMark& GetUnicodeBom();
const ByteOrderMark& GetUtf8Bom();
