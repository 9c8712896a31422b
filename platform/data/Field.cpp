#include "data/Field.h"

#include <cmath>
#include <limits>

#include "base/Currency.h"
#include "base/Exceptions.h"
#include "base/FloatFormat.h"
#include "base/FormatSettings.h"
#include "base/NumberText.h"
#include "base/Strings.h"
#include "data/DataSet.h"
#include "data/FieldConvert.h"

namespace menvaro {

const TFieldDef& TFieldDefs::operator[](int i) const {
    if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
    return defs_[static_cast<std::size_t>(i)];
}

void TFieldDefs::Add(std::string name, TFieldType type, int size, int precision) {
    defs_.push_back(TFieldDef{std::move(name), type, size, precision});
}

int TFieldDefs::IndexOf(std::string_view name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(defs_[static_cast<std::size_t>(i)].Name, name)) return i;
    return -1;
}

TField::TField(TDataSet& dataSet, int index, TFieldDef def)
    : dataSet_(&dataSet), index_(index), def_(std::move(def)) {
    if (IsNumeric()) alignment_ = taRightJustify;
    currency_ = def_.DataType == TFieldType::ftCurrency;
}

TCellValue TField::Current() const { return dataSet_->CurrentValue(index_); }

bool TField::IsNull() const { return Current().kind == TValueKind::Null; }
std::string TField::AsString() const { return ValueToString(Current(), def_.DataType); }
std::int64_t TField::AsLargeInt() const { return ValueToInteger(Current()); }

int TField::AsInteger() const {
    const std::int64_t v = AsLargeInt();
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        throw ERangeError("Value of field '" + def_.Name + "' is outside the integer range");
    return static_cast<int>(v);
}

double TField::AsFloat() const { return ValueToFloat(Current()); }
bool TField::AsBoolean() const { return ValueToBoolean(Current()); }
TDateTime TField::AsDateTime() const { return ValueToDateTime(Current()); }
Variant TField::Value() const { return ValueToVariant(Current(), def_.DataType); }

bool TField::CanModify() const { return !readOnly_ && dataSet_->CanModify(); }

void TField::Store(TFieldValue v) {
    if (readOnly_) dataSet_->Error("Field '" + def_.Name + "' cannot be modified");
    CheckRange(v);
    dataSet_->SetCurrentValue(*this, std::move(v));
}

void TField::SetText(const std::string& v) {
    if (OnSetText)
        OnSetText(*this, v);
    else
        SetAsString(v);
}

bool TField::IsNumeric() const {
    return IsIntegerFieldType(def_.DataType) || IsFloatFieldType(def_.DataType) ||
           def_.DataType == TFieldType::ftCurrency;
}

namespace {

bool HasCurrencyFlag(TFieldType t) { return IsFloatFieldType(t) || t == TFieldType::ftCurrency; }

}  // namespace

std::string TField::GetText(bool display) const {
    if (OnGetText) {
        std::string text;
        OnGetText(const_cast<TField&>(*this), text, display);
        return text;
    }
    const TCellValue v = Current();
    if (v.kind == TValueKind::Null) return {};
    const TFieldType type = def_.DataType;
    if (IsDateFieldType(type) && display && !displayFormat_.empty() && v.kind == TValueKind::DateTime)
        return FormatDateTime(displayFormat_, v.d);
    if (!IsNumeric() || v.kind == TValueKind::Text) return AsString();
    const std::string& format = display || editFormat_.empty() ? displayFormat_ : editFormat_;
    if (!format.empty()) return FormatFloat(format, ValueToFloat(v));
    if (IsIntegerFieldType(type) || !currency_) return AsString();
    const TFloatFormat f = display ? ffCurrency : ffFixed;
    const int decimals = FormatSettings().CurrencyDecimals;
    if (v.kind == TValueKind::Currency) return CurrToStrF(menvaro::Currency::FromScaled(v.i), f, decimals);
    return FloatToStrF(ValueToFloat(v), f, 15, decimals);
}

void TField::NoSuchProperty(const char* property) const {
    dataSet_->Error(std::string("Field '") + def_.Name + "' of type " + FieldTypeName(def_.DataType) + " has no " +
                    property);
}

void TField::PropertyChanged(bool layout) { dataSet_->FieldPropertyChanged(layout); }

void TField::SetAlignment(TAlignment v) {
    if (v == alignment_) return;
    alignment_ = v;
    PropertyChanged(true);
}

void TField::SetDisplayLabel(const std::string& v) {
    const std::string stored = v == def_.Name ? std::string() : v;
    if (stored == displayLabel_) return;
    displayLabel_ = stored;
    PropertyChanged(true);
}

void TField::SetEditMask(const std::string& v) {
    if (v == editMask_) return;
    editMask_ = v;
    PropertyChanged(false);
}

void TField::SetDisplayFormat(const std::string& v) {
    if (!IsNumeric() && !IsDateFieldType(def_.DataType)) NoSuchProperty("DisplayFormat");
    if (v == displayFormat_) return;
    displayFormat_ = v;
    PropertyChanged(false);
}

void TField::SetEditFormat(const std::string& v) {
    if (!IsNumeric()) NoSuchProperty("EditFormat");
    if (v == editFormat_) return;
    editFormat_ = v;
    PropertyChanged(false);
}

void TField::SetCurrency(bool v) {
    if (!HasCurrencyFlag(def_.DataType)) NoSuchProperty("Currency");
    if (v == currency_) return;
    currency_ = v;
    PropertyChanged(false);
}

double TField::RangeValue(double v) const {
    if (!IsNumeric()) NoSuchProperty("MinValue or MaxValue");
    if (!std::isfinite(v))
        throw EConvertError(FloatToStr(v) + " is not a valid bound for field '" + def_.Name + "'");
    if (IsIntegerFieldType(def_.DataType)) return std::round(v);
    if (def_.DataType == TFieldType::ftFloat) return v;
    return FloatToCurr(v).ToDouble();
}

void TField::SetMinValue(double v) { minValue_ = RangeValue(v); }
void TField::SetMaxValue(double v) { maxValue_ = RangeValue(v); }

void TField::CheckRange(const TFieldValue& v) const {
    if (minValue_ == 0 && maxValue_ == 0) return;
    double x;
    switch (v.kind) {
        case TValueKind::Integer: x = static_cast<double>(v.i); break;
        case TValueKind::Float: x = v.d; break;
        case TValueKind::Currency: x = static_cast<double>(v.i) / 10000.0; break;
        default: return;
    }
    if (x < minValue_ || x > maxValue_)
        throw EDatabaseError(FloatToStr(x) + " is not a valid value for field '" + def_.Name +
                             "'. The allowed range is " + FloatToStr(minValue_) + " to " + FloatToStr(maxValue_));
}

bool TField::IsValidChar(char c) const {
    const TFieldType type = def_.DataType;
    const bool digitOrSign = (c >= '0' && c <= '9') || c == '+' || c == '-';
    if (IsIntegerFieldType(type)) return digitOrSign;
    if (HasCurrencyFlag(type)) return digitOrSign || c == FormatSettings().DecimalSeparator || c == 'E' || c == 'e';
    return true;
}

void TField::FocusControl() { dataSet_->FocusControl(*this); }

void TField::SetAsString(std::string_view v) { Store(TextToValue(v, def_.DataType, def_.Name)); }
void TField::SetAsInteger(std::int64_t v) { Store(IntegerToValue(v, def_.DataType, def_.Name)); }
void TField::SetAsFloat(double v) { Store(FloatToValue(v, def_.DataType, def_.Name)); }
void TField::SetAsCurrency(double v) { Store(FloatToValue(v, def_.DataType, def_.Name)); }
void TField::SetAsBoolean(bool v) { Store(BooleanToValue(v, def_.DataType, def_.Name)); }
void TField::SetAsDateTime(TDateTime v) { Store(DateTimeToValue(v, def_.DataType, def_.Name)); }
void TField::SetValue(const Variant& v) { Store(VariantToValue(v, def_.DataType, def_.Name)); }
void TField::Clear() { Store(TFieldValue::MakeNull()); }

void TFields::OutOfBounds(int i) { throw EListError("List index out of bounds (" + std::to_string(i) + ")"); }

TField* TFields::FindField(std::string_view name) const {
    for (const auto& f : fields_)
        if (SameText(f->FieldName(), name)) return f.get();
    return nullptr;
}

}  // namespace menvaro
