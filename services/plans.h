// Execution plans: the statements that make and read a plan per product, and the text that is
// explained (comments stripped, one statement only).
#pragma once

#include "framework/core.h"

// The plan table of Oracle plans.
extern const wchar_t kPlanTableName[];

// "CREATE TABLE QUENLARK_PLAN_TABLE (...)" in the layout Oracle's EXPLAIN PLAN writes.
CString BuildPlanTableDDL();
// "explain plan set STATEMENT_ID='<id>' into <table> for <sql>".
CString BuildOracleExplainSQL(UINT32 nStatementId, LPCWSTR pszSQL);
// The SELECT of the plan rows of one statement id.
CString BuildOraclePlanSelect(UINT32 nStatementId);
// "DELETE FROM <table> WHERE STATEMENT_ID='<id>'".
CString BuildOraclePlanDelete(UINT32 nStatementId);

// The text to explain: without comments, blanks and a closing ';' trimmed. Returns how many
// statements the text holds (0: nothing to explain).
int PrepareExplainText(LPCWSTR pszSQL, bool bBackslashEscapes, CString& strText);

// The statement id of the next Oracle plan: the first call of the process seeds a random
// multiple of 65536, every call takes the current value and moves on by one.
UINT32 TakePlanStatementId();
