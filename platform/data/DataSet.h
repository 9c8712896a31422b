// TDataSet: a set of records with a current record, fields, navigation and
// an edit buffer. A concrete data set fills the field definitions and the
// records in InternalOpen; everything else (navigation, fields, editing,
// notifications) is here, so a query and an in-memory data set behave alike.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "classes/Classes.h"
#include "data/DBErrors.h"
#include "data/Field.h"
#include "data/RowStore.h"

namespace menvaro {

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// Notifications a data set sends to the objects watching it.
enum class TDataEvent {
    deFieldChange,    // a field of the current record was written (field given)
    deRecordChange,   // the current record's values were replaced (post, cancel)
    deDataSetChange,  // the records changed as a whole (open, delete, insert)
    deDataSetScroll,  // another record became current
    deLayoutChange,   // the fields were created or dropped
    deUpdateRecord,   // about to post: watchers write their pending values now
    deUpdateState,    // State changed
};

class TDataSetObserver {
public:
    virtual ~TDataSetObserver() = default;
    virtual void DataEvent(TDataEvent event, TField* field) = 0;
    // The data set is being destroyed; the observer must forget it.
    virtual void DataSetDestroying() = 0;
    // A control showing `field` should take the focus; the observer that
    // gives it one sets `field` to nullptr, and the others are not asked.
    virtual void FocusControl(TField*& field) { (void)field; }
};

// A component; its Name prefixes its error messages ("qryPublic: ...").
class TDataSet : public TComponent {
    MENVARO_CLASS(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* owner);
    ~TDataSet() override;
    // Closes the data set (its InternalClose still runs) and tells the
    // observers it goes.
    void BeforeDestruction() override;
    // Opens a data set whose form resource said "Active = True".
    void Loaded() override;

    // Published. While a form resource is read, a value is kept for Loaded.
    bool Active() const { return state_ != TDataSetState::dsInactive; }
    void SetActive(bool value);
    // Opening an open data set and closing a closed one do nothing. A failed
    // open leaves the data set closed.
    void Open();
    void Close();
    TDataSetState State() const { return state_; }

    // Navigation needs an open data set (EDatabaseError otherwise).
    int RecordCount() const;
    // 1-based number of the current record; 0 when there is none.
    int RecNo() const;
    bool IsEmpty() const;
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    void First();
    void Last();
    void Next();
    void Prior();
    // Moves by `distance` records (stopping at either end) and returns how far it went.
    int MoveBy(int distance);

    TFields& Fields() { return fields_; }
    const TFields& Fields() const { return fields_; }
    int FieldCount() const { return fields_.Count(); }
    TField* FindField(std::string_view name) const { return fields_.FindField(name); }
    // Raises EDatabaseError "Field 'X' not found".
    TField& FieldByName(std::string_view name) const;
    TFieldDefs& FieldDefs() { return fieldDefs_; }
    const TFieldDefs& FieldDefs() const { return fieldDefs_; }

    virtual bool CanModify() const { return false; }
    // Editing needs CanModify(). Edit on an empty data set appends; Post
    // outside the edit states raises, Cancel then does nothing. Moving to
    // another record first lets the watchers write their pending values
    // (deUpdateRecord), then posts a modified record and cancels an
    // unmodified one. Insert and Append announce the new, empty record as a
    // data-set change.
    void Edit();
    void Append();
    void Insert();
    void Post();
    void Cancel();
    void Delete();
    // Watchers write their pending values now (deUpdateRecord); raises
    // outside the edit states.
    void UpdateRecord();
    // A field of the record being edited was written since Edit or Insert.
    bool Modified() const { return modified_; }

    void AttachObserver(TDataSetObserver* observer);
    void DetachObserver(TDataSetObserver* observer);
    // Asks the observers in turn to focus the control that shows `field`.
    void FocusControl(TField& field);
    // A display property of a field changed: the watchers hear of a layout
    // change, or of a data-set change when only the texts change.
    void FieldPropertyChanged(bool layout);

    // Used by TField: the current record's value (the edit buffer while
    // editing) and writing it.
    TCellValue CurrentValue(int fieldIndex) const {
        if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert)
            return editBuffer_.at(static_cast<std::size_t>(fieldIndex)).View();
        if (current_ < 0) return {};
        return records_.Get(current_, fieldIndex);
    }
    void SetCurrentValue(TField& field, TFieldValue value);

    // Raises EDatabaseError, the message prefixed with the name.
    [[noreturn]] void Error(const std::string& message) const;

protected:
    // Fills the records (Records() is reset to no rows and no columns
    // before) and, where the records define them, FieldDefs(); the fields
    // are then made from FieldDefs(). May raise; the data set then stays
    // closed.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() {}
    TRowStore& Records() { return records_; }
    const TRowStore& Records() const { return records_; }
    void CheckInactive() const;

private:
    void CheckActive() const;
    void CheckBrowseMode();
    void SetState(TDataSetState s);
    void Notify(TDataEvent event, TField* field = nullptr);
    void StartEditing(TDataSetState s, int insertAt);

    bool streamedActive_ = false;
    TDataSetState state_ = TDataSetState::dsInactive;
    TFieldDefs fieldDefs_;
    TFields fields_;
    TRowStore records_;
    int current_ = -1;  // 0-based index of the current record, -1 when none
    bool eof_ = true;
    bool bof_ = true;
    // The record being edited or inserted; inserted records are not in
    // records_ until posted.
    std::vector<TFieldValue> editBuffer_;
    int insertAt_ = -1;
    int currentBeforeInsert_ = -1;
    bool modified_ = false;
    std::vector<TDataSetObserver*> observers_;
};

// The next name of a list of field names separated by ";", from `pos`
// (0-based), trimmed; `pos` moves past the separator. A caller walks the
// list while `pos` is below its length.
std::string ExtractFieldName(std::string_view fields, std::size_t& pos);

}  // namespace menvaro
