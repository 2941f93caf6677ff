// CDBBar: the bar itself; its trees are not built yet, so refreshing has nothing to fill.
#include "browser/db_bar.h"

IMPLEMENT_DYNAMIC(CDBBar, CSizingVS2015Bar)

CDBBar::CDBBar() = default;
CDBBar::~CDBBar() = default;

void CDBBar::Refresh(bool) {}

void CDBBar::RefreshCurrent() {}
