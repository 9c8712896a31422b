#include "data/Field.h"

#include <limits>

#include "base/Exceptions.h"
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
    : dataSet_(&dataSet), index_(index), def_(std::move(def)) {}

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
    dataSet_->SetCurrentValue(*this, std::move(v));
}

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
