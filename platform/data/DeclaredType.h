// Field definitions from the SQL type names a product database declares
// ("varchar(40)", "money", "decimal(8,2)", "bit", ...), as both engines use
// them: SQLite reports a column's declared type as written, SQL Server the
// type of its result columns.
#pragma once

#include <string_view>

#include "data/Field.h"

namespace menvaro {

// Name is left empty. An unknown or empty type name gives ftUnknown.
//   char(n) nchar(n)              ftFixedChar / ftFixedWideChar, Size n (default 1)
//   varchar(n) nvarchar(n)        ftString / ftWideString, Size n; (max) makes a memo
//   text ntext                    ftMemo / ftWideMemo
//   tinyint smallint int bigint   ftWord / ftSmallint / ftInteger / ftLargeint
//   bit                           ftBoolean
//   money smallmoney              ftCurrency
//   decimal(p,s) numeric(p,s)     ftBCD, Precision p (default 18), Size s (default 0)
//   float real double             ftFloat
//   datetime smalldatetime datetime2, date, time    ftDateTime, ftDate, ftTime
//   binary varbinary image blob   ftBlob
//   uniqueidentifier              ftGuid
TFieldDef FieldDefFromDeclaredType(std::string_view declared);

}  // namespace menvaro
