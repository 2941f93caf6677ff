// Writing a script back to its file: the text converted for the file's encoding, the
// byte-order-mark rule, and a write that never leaves a half-written script behind.
#pragma once

#include "framework/core.h"

#include <string>

// The bytes of the text in a file encoding (SCRIPT_ENCODING_ANSI, _UNICODE for UTF-16LE,
// _UTF8; any other value is ANSI), without a byte-order mark. For ANSI, bLossy tells that the
// system code page cannot hold every character (converting back does not give the text).
// False when the conversion failed; the system's last error then tells why.
bool EncodeScriptText(const CString& text, UINT encoding, std::string& bytes, bool& bLossy);

// Whether writing in nTarget puts a byte-order mark, for a script whose current encoding and
// mark flag are given: UTF-16LE always, except a UTF-16LE file read without one; UTF-8 only
// when the file read had one; ANSI never.
bool ScriptWritesBom(UINT nTarget, UINT nCurrent, bool bBomFlag);

// Writes head and data to a temporary file in the folder of path and renames it over path in
// one step: on any failure (a full disk, a crash) the old file stays as it was. A file with the
// read-only attribute is refused before anything is written (Wine running as root would
// replace it). Throws CFileException*; the temporary file is removed on failure.
void WriteFileReplacing(LPCWSTR path, const std::string& head, const std::string& data);

// The text to show for a failed write of path: path + "\nFile is read-only." for a read-only
// file, else the exception's own message.
CString GetWriteErrorText(CFileException* e, LPCWSTR path);
