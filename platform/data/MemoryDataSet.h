// TMemoryDataSet: a data set whose records live only in memory, defined by
// its FieldDefs before it is opened. Closing drops the records.
#pragma once

#include "data/DataSet.h"

namespace menvaro {

class TMemoryDataSet : public TDataSet {
    MENVARO_CLASS(TMemoryDataSet, TDataSet)
public:
    explicit TMemoryDataSet(TComponent* owner) : TDataSet(owner) {}

    // Published.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool CanModify() const override { return !readOnly_; }

protected:
    void InternalOpen() override { Records().Reset(FieldDefs().Count()); }

private:
    bool readOnly_ = false;
};

}  // namespace menvaro
