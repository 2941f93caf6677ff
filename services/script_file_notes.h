// What the user is told about a script file whose text cannot be taken as it stands: NUL
// characters (refused: the text would end at the first) and bytes that are no UTF-8 in a UTF-8
// file (read as U+FFFD). The script window and "Execute SQL Script..." say the same.
#pragma once

#include "framework/core.h"

class CSQLScriptFile;

// path + why the file is refused, when it holds NUL characters; empty when it holds none.
// bRun: the file was to be run rather than opened.
CString GetScriptNulRefusal(LPCWSTR path, const CSQLScriptFile& file, bool bRun);

// path + the bytes that are no UTF-8 and what becomes of them; empty when there are none.
// bRun: asked before the file runs (the text ends with the question), else told on opening.
CString GetScriptBadBytesNote(LPCWSTR path, const CSQLScriptFile& file, bool bRun);

// What the editor does to the carriage returns of the text that no line feed follows (it keeps
// each as a line feed, so a save writes LF there); empty when there are none. Without the path:
// it follows the other notes of the same file.
CString GetScriptLoneCrNote(const CString& text);

// Asked before a text that still holds the marks of bad bytes is written over its file.
CString GetScriptBadBytesSaveQuestion(int nMarks);

// The number of U+FFFD characters in the text.
int CountReplacementChars(const CString& text);
