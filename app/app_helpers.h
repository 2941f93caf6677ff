// Small application functions used across the program: the elapsed-time text, the help file,
// SQL text as C string literals, and the command line's path.
#pragma once

#include "framework/core.h"

// "%lu day(s) %02lu:%02lu:%02lu.%03lu", "%02lu:%02lu:%02lu.%03lu", "%02lu:%02lu.%03lu" or
// "%02lu.%03lu", chosen by the largest unit that is not zero.
CString FormatElapsedTime(ULONGLONG nMilliseconds);

// "Quenlark.chm" in the program's folder.
CString GetHelpFilePath();
// Opens a topic of the help file ("::/Connection.html") on the desktop window.
void ShowHelpTopic(LPCWSTR pszTopic);

// Each line of the text as a C string literal: '"' becomes \", a tab \t and a backslash \\; a
// line that had a line break (CR LF, CR or LF) ends in \n" and CR LF, the last one in ".
CString MakeCStringLiteralText(LPCWSTR pszText);
// The same text put on the clipboard as Unicode text for the owner window.
bool MakeCStringLiteral(HWND hOwner, LPCWSTR pszText);

// The one path a command line names: white space trimmed; when it begins with a double quote,
// the text up to the next double quote (anything after it is ignored), trimmed again.
CString ParseCommandLinePath(LPCWSTR pszCommandLine);
// The path made absolute against the current directory (unchanged when empty or when that fails).
CString MakeAbsolutePath(LPCWSTR pszPath);
