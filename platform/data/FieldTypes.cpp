#include "data/FieldTypes.h"

#include "data/DBErrors.h"

namespace menvaro {

const char* FieldTypeName(TFieldType t) {
    switch (t) {
        case TFieldType::ftUnknown: return "ftUnknown";
        case TFieldType::ftString: return "ftString";
        case TFieldType::ftFixedChar: return "ftFixedChar";
        case TFieldType::ftWideString: return "ftWideString";
        case TFieldType::ftFixedWideChar: return "ftFixedWideChar";
        case TFieldType::ftMemo: return "ftMemo";
        case TFieldType::ftWideMemo: return "ftWideMemo";
        case TFieldType::ftSmallint: return "ftSmallint";
        case TFieldType::ftInteger: return "ftInteger";
        case TFieldType::ftWord: return "ftWord";
        case TFieldType::ftLargeint: return "ftLargeint";
        case TFieldType::ftBoolean: return "ftBoolean";
        case TFieldType::ftFloat: return "ftFloat";
        case TFieldType::ftCurrency: return "ftCurrency";
        case TFieldType::ftBCD: return "ftBCD";
        case TFieldType::ftDate: return "ftDate";
        case TFieldType::ftTime: return "ftTime";
        case TFieldType::ftDateTime: return "ftDateTime";
        case TFieldType::ftBlob: return "ftBlob";
        case TFieldType::ftGuid: return "ftGuid";
    }
    return "ftUnknown";
}

bool IsTextFieldType(TFieldType t) {
    switch (t) {
        case TFieldType::ftString:
        case TFieldType::ftFixedChar:
        case TFieldType::ftWideString:
        case TFieldType::ftFixedWideChar:
        case TFieldType::ftMemo:
        case TFieldType::ftWideMemo:
        case TFieldType::ftGuid: return true;
        default: return false;
    }
}

bool IsIntegerFieldType(TFieldType t) {
    return t == TFieldType::ftSmallint || t == TFieldType::ftInteger || t == TFieldType::ftWord ||
           t == TFieldType::ftLargeint;
}

bool IsFloatFieldType(TFieldType t) { return t == TFieldType::ftFloat || t == TFieldType::ftBCD; }

bool IsDateFieldType(TFieldType t) {
    return t == TFieldType::ftDate || t == TFieldType::ftTime || t == TFieldType::ftDateTime;
}

void DatabaseError(const std::string& message, const std::string& componentName) {
    if (componentName.empty()) throw EDatabaseError(message);
    throw EDatabaseError(componentName + ": " + message);
}

}  // namespace menvaro
