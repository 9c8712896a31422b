#include "data/DataSet.h"

#include <algorithm>

#include "base/Strings.h"
#include "classes/ClassBuilder.h"

namespace menvaro {

MENVARO_CLASS_INFO(TDataSet) { c.Prop("Active", &TDataSet::Active, &TDataSet::SetActive).Default(false); }

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() = default;

void TDataSet::BeforeDestruction() {
    Close();
    const auto observers = observers_;
    observers_.clear();
    for (TDataSetObserver* o : observers) o->DataSetDestroying();
    TComponent::BeforeDestruction();
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (streamedActive_) {
        streamedActive_ = false;
        Open();
    }
}

void TDataSet::Error(const std::string& message) const { DatabaseError(message, Name()); }

void TDataSet::CheckActive() const {
    if (!Active()) Error("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckInactive() const {
    if (Active()) Error("Cannot perform this operation on an open dataset");
}

void TDataSet::SetActive(bool value) {
    if (ComponentState().Contains(csLoading)) {
        streamedActive_ = value;
        return;
    }
    if (value)
        Open();
    else
        Close();
}

void TDataSet::Open() {
    if (Active()) return;
    records_.Reset(0);
    try {
        InternalOpen();
        if (records_.ColumnCount() != fieldDefs_.Count()) Error("The records do not match the field definitions");
        for (int i = 0; i < fieldDefs_.Count(); ++i)
            fields_.fields_.push_back(std::make_unique<TField>(*this, i, fieldDefs_[i]));
    } catch (...) {
        fields_.fields_.clear();
        records_.Reset(0);
        throw;
    }
    current_ = records_.RowCount() > 0 ? 0 : -1;
    bof_ = true;
    eof_ = records_.RowCount() == 0;
    modified_ = false;
    SetState(TDataSetState::dsBrowse);
    Notify(TDataEvent::deLayoutChange);
    Notify(TDataEvent::deDataSetChange);
}

void TDataSet::Close() {
    if (!Active()) return;
    editBuffer_.clear();
    modified_ = false;
    InternalClose();
    SetState(TDataSetState::dsInactive);
    fields_.fields_.clear();
    records_.Reset(0);
    current_ = -1;
    bof_ = eof_ = true;
    Notify(TDataEvent::deLayoutChange);
}

int TDataSet::RecordCount() const {
    CheckActive();
    return records_.RowCount();
}

int TDataSet::RecNo() const {
    CheckActive();
    return current_ + 1;
}

bool TDataSet::IsEmpty() const { return !Active() || (records_.RowCount() == 0 && state_ != TDataSetState::dsInsert); }

void TDataSet::CheckBrowseMode() {
    CheckActive();
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) {
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
    }
}

void TDataSet::First() {
    CheckBrowseMode();
    current_ = records_.RowCount() > 0 ? 0 : -1;
    bof_ = true;
    eof_ = records_.RowCount() == 0;
    Notify(TDataEvent::deDataSetScroll);
}

void TDataSet::Last() {
    CheckBrowseMode();
    current_ = records_.RowCount() - 1;
    bof_ = records_.RowCount() == 0;
    eof_ = true;
    Notify(TDataEvent::deDataSetScroll);
}

void TDataSet::Next() {
    CheckBrowseMode();
    if (current_ + 1 < records_.RowCount()) {
        ++current_;
        bof_ = eof_ = false;
        Notify(TDataEvent::deDataSetScroll);
    } else {
        eof_ = true;
    }
}

void TDataSet::Prior() {
    CheckBrowseMode();
    if (current_ > 0) {
        --current_;
        bof_ = eof_ = false;
        Notify(TDataEvent::deDataSetScroll);
    } else {
        bof_ = true;
    }
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    int moved = 0;
    while (distance > 0 && current_ + 1 < records_.RowCount()) ++current_, ++moved, --distance;
    while (distance < 0 && current_ > 0) --current_, --moved, ++distance;
    if (distance > 0)
        eof_ = true;
    else if (distance < 0)
        bof_ = true;
    if (moved != 0) {
        if (distance == 0) bof_ = eof_ = false;
        Notify(TDataEvent::deDataSetScroll);
    }
    return moved;
}

std::string ExtractFieldName(std::string_view fields, std::size_t& pos) {
    std::size_t end = std::min(pos, fields.size());
    const std::size_t begin = end;
    while (end < fields.size() && fields[end] != ';') ++end;
    std::string name = Trim(fields.substr(begin, end - begin));
    if (end < fields.size()) ++end;
    pos = end;
    return name;
}

TField& TDataSet::FieldByName(std::string_view name) const {
    TField* f = fields_.FindField(name);
    if (!f) Error("Field '" + std::string(name) + "' not found");
    return *f;
}

void TDataSet::StartEditing(TDataSetState s, int insertAt) {
    if (!CanModify()) Error("Cannot modify a read-only dataset");
    editBuffer_.clear();
    if (s == TDataSetState::dsEdit) {
        for (int c = 0; c < records_.ColumnCount(); ++c)
            editBuffer_.push_back(TFieldValue::FromView(records_.Get(current_, c)));
    } else {
        editBuffer_.resize(static_cast<std::size_t>(records_.ColumnCount()));
        currentBeforeInsert_ = current_;
        insertAt_ = insertAt;
    }
    modified_ = false;
    SetState(s);
}

void TDataSet::Edit() {
    CheckActive();
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return;
    if (records_.RowCount() == 0) {
        Append();
        return;
    }
    StartEditing(TDataSetState::dsEdit, -1);
}

void TDataSet::Append() {
    CheckBrowseMode();
    StartEditing(TDataSetState::dsInsert, records_.RowCount());
    Notify(TDataEvent::deDataSetChange);
}

void TDataSet::Insert() {
    CheckBrowseMode();
    StartEditing(TDataSetState::dsInsert, current_ < 0 ? 0 : current_);
    Notify(TDataEvent::deDataSetChange);
}

void TDataSet::UpdateRecord() {
    CheckActive();
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        Error("Dataset not in edit or insert mode");
    Notify(TDataEvent::deUpdateRecord);
}

void TDataSet::Post() {
    UpdateRecord();
    const bool inserting = state_ == TDataSetState::dsInsert;
    if (inserting) {
        records_.InsertRow(insertAt_);
        current_ = insertAt_;
    }
    for (int c = 0; c < records_.ColumnCount(); ++c)
        records_.Set(current_, c, editBuffer_[static_cast<std::size_t>(c)].View());
    editBuffer_.clear();
    modified_ = false;
    bof_ = eof_ = false;
    SetState(TDataSetState::dsBrowse);
    Notify(inserting ? TDataEvent::deDataSetChange : TDataEvent::deRecordChange);
}

void TDataSet::Cancel() {
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
    if (state_ == TDataSetState::dsInsert) current_ = currentBeforeInsert_;
    editBuffer_.clear();
    modified_ = false;
    SetState(TDataSetState::dsBrowse);
    Notify(TDataEvent::deRecordChange);
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (records_.RowCount() == 0) Error("Cannot perform this operation on an empty dataset");
    if (!CanModify()) Error("Cannot modify a read-only dataset");
    Cancel();
    records_.DeleteRow(current_);
    if (current_ >= records_.RowCount()) current_ = records_.RowCount() - 1;
    bof_ = eof_ = records_.RowCount() == 0;
    Notify(TDataEvent::deDataSetChange);
}

void TDataSet::SetCurrentValue(TField& field, TFieldValue value) {
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        Error("Dataset not in edit or insert mode");
    editBuffer_.at(static_cast<std::size_t>(field.Index())) = std::move(value);
    modified_ = true;
    Notify(TDataEvent::deFieldChange, &field);
}

void TDataSet::SetState(TDataSetState s) {
    if (state_ == s) return;
    state_ = s;
    Notify(TDataEvent::deUpdateState);
}

void TDataSet::AttachObserver(TDataSetObserver* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void TDataSet::DetachObserver(TDataSetObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void TDataSet::FocusControl(TField& field) {
    TField* asked = &field;
    const auto observers = observers_;
    for (TDataSetObserver* o : observers) {
        if (!asked) break;
        if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) o->FocusControl(asked);
    }
}

void TDataSet::FieldPropertyChanged(bool layout) {
    if (Active()) Notify(layout ? TDataEvent::deLayoutChange : TDataEvent::deDataSetChange);
}

void TDataSet::Notify(TDataEvent event, TField* field) {
    if (observers_.empty()) return;
    const auto observers = observers_;
    for (TDataSetObserver* o : observers)
        if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) o->DataEvent(event, field);
}

}  // namespace menvaro
