// The outline of an SQL text as the program needs it before changing a statement: which words
// stand at the top level of the statement (outside quoted parts, comments and parentheses), where
// statements end, and the text without its comments.
//
// Quoted parts are '...' (a doubled quote stays inside; with backslash escapes, as MySQL-like
// servers read them, \' too), "...", `...` and [...]. Comments are -- to the end of the line and
// /* ... */.
#pragma once

#include "framework/core.h"

#include <vector>

class CSQLOutline
{
public:
    // One word (letters, digits, '_', '$') at parenthesis depth 0, outside quotes and comments.
    struct CWord
    {
        int nStart = 0;
        int nEnd = 0;     // one past the last character
        CString strUpper; // the word in capitals
    };

    CSQLOutline(LPCWSTR pszText, bool bBackslashEscapes = false);

    // Every quote and comment is closed and the parentheses balance.
    bool IsComplete() const { return m_bComplete; }
    const std::vector<CWord>& GetWords() const { return m_words; }
    // Positions of the ';' at depth 0 outside quotes and comments.
    const std::vector<int>& GetSemicolons() const { return m_semicolons; }
    // One past the last character that is neither blank nor part of a comment.
    int GetContentEnd() const { return m_nContentEnd; }
    // The index of the first top-level word at or after nFrom that matches the keyword ("ORDER
    // BY" matches two consecutive words), or -1.
    int FindWord(LPCWSTR pszKeyword, size_t nFrom = 0) const;
    // How many statements the text holds: parts between top-level ';' with something other than
    // blanks and comments in them.
    int CountStatements() const;

private:
    bool HasContent(int nFrom, int nTo) const;

    CString m_strText;
    bool m_bComplete = true;
    std::vector<CWord> m_words;
    std::vector<int> m_semicolons;
    std::vector<std::pair<int, int>> m_content; // runs of text that are not comments
    int m_nContentEnd = 0;
};

// The text without comments: a line comment goes up to its line break (which stays), a block
// comment becomes one blank. Quoted parts are kept as they are.
CString StripSQLComments(LPCWSTR pszText, bool bBackslashEscapes = false);
