// TField: one column of a data set, read and written through the data set's
// current record. TFieldDef describes a column before the fields exist.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"
#include "base/Variant.h"
#include "classes/Alignment.h"
#include "classes/Events.h"
#include "data/FieldTypes.h"

namespace menvaro {

class TDataSet;
class TField;

// Text of a field for editing (DisplayText False) or for display; Text
// starts empty.
using TFieldGetTextEvent = TEvent<void(TField& Sender, std::string& Text, bool DisplayText)>;
// Stores a text typed for the field, in place of the field's own parsing.
using TFieldSetTextEvent = TEvent<void(TField& Sender, const std::string& Text)>;

struct TFieldDef {
    std::string Name;
    TFieldType DataType = TFieldType::ftUnknown;
    // Characters of text types, decimals of BCD, else 0.
    int Size = 0;
    // Total digits of BCD, else 0.
    int Precision = 0;
};

class TFieldDefs {
public:
    int Count() const { return static_cast<int>(defs_.size()); }
    const TFieldDef& operator[](int i) const;
    void Add(std::string name, TFieldType type, int size = 0, int precision = 0);
    void Clear() { defs_.clear(); }
    // Position of the definition named `name` (letter case ignored), or -1.
    int IndexOf(std::string_view name) const;

private:
    std::vector<TFieldDef> defs_;
};

class TField {
public:
    TField(TDataSet& dataSet, int index, TFieldDef def);
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TDataSet& DataSet() const { return *dataSet_; }
    const std::string& FieldName() const { return def_.Name; }
    TFieldType DataType() const { return def_.DataType; }
    int Size() const { return def_.Size; }
    int Precision() const { return def_.Precision; }
    // Position in the data set's Fields, 0-based.
    int Index() const { return index_; }

    // Reading the current record's value. Without a current record (empty
    // data set) the value is NULL. See FieldConvert.h for the texts.
    bool IsNull() const;
    std::string AsString() const;
    std::int64_t AsLargeInt() const;
    // Raises ERangeError outside the 32-bit range.
    int AsInteger() const;
    double AsFloat() const;
    double AsCurrency() const { return AsFloat(); }
    bool AsBoolean() const;
    TDateTime AsDateTime() const;
    Variant Value() const;
    // The text for editing and the text for display: OnGetText when it is
    // assigned, else the field's own (empty for NULL):
    //   integers   DisplayFormat (Text: EditFormat when set) through
    //              FormatFloat, else decimal
    //   floats, decimals, currency
    //              the same formats; without them, with Currency the
    //              currency text (Text: fixed with CurrencyDecimals), else the
    //              AsString text
    //   date-times DisplayText through DisplayFormat when set
    //   others     the AsString text
    std::string Text() const { return GetText(false); }
    std::string DisplayText() const { return GetText(true); }

    // Writing needs the data set in edit or insert state and a field that
    // can be modified; each raises EDatabaseError otherwise.
    void SetAsString(std::string_view v);
    void SetAsInteger(std::int64_t v);
    void SetAsFloat(double v);
    void SetAsCurrency(double v);
    void SetAsBoolean(bool v);
    void SetAsDateTime(TDateTime v);
    void SetValue(const Variant& v);
    // OnSetText when it is assigned, else SetAsString.
    void SetText(const std::string& v);
    void Clear();

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    // Not read-only, and the data set can be modified.
    bool CanModify() const;

    // Display properties. They live as long as the field (a data set makes
    // its fields anew when it opens). A change the watchers must show is
    // announced: Alignment and DisplayLabel as a layout change, the formats,
    // EditMask and Currency as a data-set change.
    //
    // Right for numeric fields, left for the others, until set.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    // The field name until set.
    const std::string& DisplayLabel() const { return displayLabel_.empty() ? def_.Name : displayLabel_; }
    void SetDisplayLabel(const std::string& v);
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& v);
    // Numeric and date-time fields; "" for the others. Setting either on a
    // field without it raises EDatabaseError.
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& v);
    // Numeric fields.
    const std::string& EditFormat() const { return editFormat_; }
    void SetEditFormat(const std::string& v);
    // Float, decimal and currency fields (True for currency fields until set).
    bool Currency() const { return currency_; }
    void SetCurrency(bool v);
    // The range that written values must keep, both 0 for none (the type's
    // own range still holds). Integer fields keep whole numbers, decimal and
    // currency fields four decimals. Writing a value outside raises
    // EDatabaseError "X is not a valid value for field 'F'. The allowed range
    // is A to B". Numeric fields only.
    double MinValue() const { return minValue_; }
    double MaxValue() const { return maxValue_; }
    void SetMinValue(double v);
    void SetMaxValue(double v);
    // Whether a typed character can belong to the field's text: integer
    // fields take signs and digits, float, decimal and currency fields also
    // the decimal separator of the moment and 'E'/'e'; others take anything.
    bool IsValidChar(char c) const;
    bool IsNumeric() const;

    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

    // Asks the data set's watchers to focus the control that shows this
    // field; the first that can takes it.
    void FocusControl();

private:
    TCellValue Current() const;
    void Store(TFieldValue v);
    std::string GetText(bool display) const;
    void CheckRange(const TFieldValue& v) const;
    double RangeValue(double v) const;
    [[noreturn]] void NoSuchProperty(const char* property) const;
    void PropertyChanged(bool layout);

    TDataSet* dataSet_;
    int index_;
    TFieldDef def_;
    bool readOnly_ = false;
    TAlignment alignment_ = taLeftJustify;
    std::string displayLabel_;
    std::string editMask_;
    std::string displayFormat_;
    std::string editFormat_;
    bool currency_ = false;
    double minValue_ = 0;
    double maxValue_ = 0;
};

// The fields of a data set, in column order.
class TFields {
public:
    int Count() const { return static_cast<int>(fields_.size()); }
    // Checked: raises EListError outside 0..Count()-1.
    TField& operator[](int i) const {
        if (static_cast<unsigned>(i) >= fields_.size()) OutOfBounds(i);
        return *fields_[static_cast<std::size_t>(i)];
    }
    // The field named `name` (letter case ignored), or nullptr.
    TField* FindField(std::string_view name) const;

    auto begin() const { return fields_.begin(); }
    auto end() const { return fields_.end(); }

private:
    friend class TDataSet;
    [[noreturn]] static void OutOfBounds(int i);
    std::vector<std::unique_ptr<TField>> fields_;
};

}  // namespace menvaro
