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
#include "data/FieldTypes.h"

namespace menvaro {

class TDataSet;

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
    // Texts for editing and display: the AsString text.
    std::string Text() const { return AsString(); }
    std::string DisplayText() const { return AsString(); }

    // Writing needs the data set in edit or insert state and a field that
    // can be modified; each raises EDatabaseError otherwise.
    void SetAsString(std::string_view v);
    void SetAsInteger(std::int64_t v);
    void SetAsFloat(double v);
    void SetAsCurrency(double v);
    void SetAsBoolean(bool v);
    void SetAsDateTime(TDateTime v);
    void SetValue(const Variant& v);
    void SetText(std::string_view v) { SetAsString(v); }
    void Clear();

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    // Not read-only, and the data set can be modified.
    bool CanModify() const;

private:
    TCellValue Current() const;
    void Store(TFieldValue v);

    TDataSet* dataSet_;
    int index_;
    TFieldDef def_;
    bool readOnly_ = false;
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
