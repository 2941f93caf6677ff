// Framework wrappers of the colour editor window: CRColorEdit adds the text getters to an edit
// window of class "RColorEditorClass"; CColorEditCtrl also keeps the window's auto-complete
// words and refills them from the main window when the editor asks for them.
#pragma once

#include "editor/colour_rules.h"
#include "framework/ui.h"

class CRColorEdit : public CEdit
{
    DECLARE_DYNAMIC(CRColorEdit)

public:
    CRColorEdit() = default;
    ~CRColorEdit() override;

    // The selected text; empty without a selection.
    void GetSelText(CString& text) const;
    CString GetSelText() const;
    // The whole text.
    void GetText(CString& text) const;
    CString GetText() const;
};

class CColorEditCtrl : public CRColorEdit
{
    DECLARE_DYNAMIC(CColorEditCtrl)

public:
    // Fills a word list for the editor of the given main window; false leaves the editor with
    // no table words. The main frame installs its word filler here.
    typedef BOOL (*AutoCompleteFiller)(CWnd* mainWnd, CRCEAutoCompleteWordArray& words);
    static void SetAutoCompleteFiller(AutoCompleteFiller filler);
    static AutoCompleteFiller GetAutoCompleteFiller();

    CColorEditCtrl();
    ~CColorEditCtrl() override;

    // Answers the editor's RCEN_AUTOCOMPLETE: an empty table first, then the main window's words.
    // The result is that of the last RCEM_SETAUTOCOMPLETE, or 0 when no words could be had.
    LRESULT UpdateAutoCompleteWords();
    LRESULT UpdateAutoComplete() { return UpdateAutoCompleteWords(); }

    const CRCEAutoCompleteWordArray& GetAutoCompleteWords() const { return m_words; }

private:
    CRCEAutoCompleteWordArray m_words;
};
