#include "data/DataSource.h"

#include <algorithm>

#include "base/ScopeGuard.h"
#include "classes/ClassBuilder.h"
#include "data/DBErrors.h"

namespace menvaro {

MENVARO_CLASS_INFO(TDataSource) {
    c.Prop("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(true);
    c.Prop("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
    c.Prop("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true);
    c.Event("OnStateChange", &TDataSource::OnStateChange);
    c.Event("OnDataChange", &TDataSource::OnDataChange);
    c.Event("OnUpdateData", &TDataSource::OnUpdateData);
}

namespace {

bool EditState(TDataSetState s) { return s == TDataSetState::dsEdit || s == TDataSetState::dsInsert; }

}  // namespace

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
    // BeforeDestruction let go of everything; this is the safety net.
    if (dataSet_) dataSet_->DetachObserver(this);
    for (TDataLink* link : links_) link->dataSource_ = nullptr;
}

void TDataSource::BeforeDestruction() {
    OnStateChange = nullptr;
    SetDataSet(nullptr);
    while (!links_.empty()) RemoveDataLink(links_.back());
    TComponent::BeforeDestruction();
}

void TDataSource::SetDataSet(TDataSet* value) {
    if (value == dataSet_) return;
    if (dataSet_) {
        dataSet_->DetachObserver(this);
        dataSet_ = nullptr;
        UpdateState();
    }
    if (value) {
        dataSet_ = value;
        dataSet_->AttachObserver(this);
        UpdateState();
    }
}

void TDataSource::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    UpdateState();
}

void TDataSource::Edit() {
    if (autoEdit_ && state_ == TDataSetState::dsBrowse) dataSet_->Edit();
}

void TDataSource::AddDataLink(TDataLink* link) {
    links_.push_back(link);
    link->dataSource_ = this;
    link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* link) {
    link->dataSource_ = nullptr;
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
    link->UpdateState();
}

void TDataSource::UpdateState() { SetState(enabled_ && dataSet_ ? dataSet_->State() : TDataSetState::dsInactive); }

void TDataSource::SetState(TDataSetState value) {
    if (value == state_) return;
    state_ = value;
    NotifyLinks(TDataEvent::deUpdateState, nullptr);
    if (!ComponentState().Contains(csDestroying) && OnStateChange) OnStateChange(this);
}

void TDataSource::NotifyLinks(TDataEvent event, TField* field) {
    // A link may leave (or another join) while it is told.
    const std::vector<TDataLink*> links = links_;
    for (auto it = links.rbegin(); it != links.rend(); ++it)
        if (std::find(links_.begin(), links_.end(), *it) != links_.end()) (*it)->DataEvent(event, field);
}

void TDataSource::NotifyLinks(TDataEvent event, TField* field, bool visual) {
    const std::vector<TDataLink*> links = links_;
    for (auto it = links.rbegin(); it != links.rend(); ++it)
        if ((*it)->VisualControl() == visual && std::find(links_.begin(), links_.end(), *it) != links_.end())
            (*it)->DataEvent(event, field);
}

void TDataSource::DataEvent(TDataEvent event, TField* field) {
    if (event == TDataEvent::deUpdateState) {
        UpdateState();
        return;
    }
    if (state_ == TDataSetState::dsInactive) return;
    NotifyLinks(event, field, true);
    switch (event) {
        case TDataEvent::deFieldChange:
        case TDataEvent::deRecordChange:
        case TDataEvent::deDataSetChange:
        case TDataEvent::deDataSetScroll:
        case TDataEvent::deLayoutChange:
            if (OnDataChange) OnDataChange(this, event == TDataEvent::deFieldChange ? field : nullptr);
            break;
        case TDataEvent::deUpdateRecord:
            if (OnUpdateData) OnUpdateData(this);
            break;
        default: break;
    }
    NotifyLinks(event, field, false);
}

void TDataSource::DataSetDestroying() {
    dataSet_ = nullptr;
    UpdateState();
}

void TDataSource::FocusControl(TField*& field) {
    if (state_ == TDataSetState::dsInactive) return;
    const std::vector<TDataLink*> links = links_;
    for (auto it = links.rbegin(); it != links.rend() && field; ++it)
        if (std::find(links_.begin(), links_.end(), *it) != links_.end()) (*it)->FocusControl(field);
}

TDataLink::~TDataLink() {
    // Inactive first, so that leaving calls none of the notices.
    active_ = editing_ = false;
    dataSourceFixed_ = false;
    if (dataSource_) dataSource_->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* value) {
    if (value == dataSource_) return;
    if (dataSourceFixed_) DatabaseError("DataSource cannot be changed", dataSource_ ? dataSource_->Name() : "");
    if (dataSource_) dataSource_->RemoveDataLink(this);
    if (value) value->AddDataLink(this);
}

void TDataLink::SetReadOnly(bool value) {
    if (value == readOnly_) return;
    readOnly_ = value;
    UpdateState();
}

bool TDataLink::Edit() {
    if (!readOnly_ && dataSource_) dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord() {
    updating_ = true;
    ScopeGuard done([this] { updating_ = false; });
    UpdateData();
}

int TDataLink::CurrentRecNo() const {
    const TDataSet* ds = DataSet();
    return ds && ds->Active() ? ds->RecNo() : 0;
}

void TDataLink::UpdateState() {
    SetActive(dataSource_ && dataSource_->State() != TDataSetState::dsInactive);
    SetEditing(dataSource_ && EditState(dataSource_->State()) && !readOnly_);
}

void TDataLink::SetActive(bool value) {
    if (value == active_) return;
    active_ = value;
    recNo_ = CurrentRecNo();
    ActiveChanged();
}

void TDataLink::SetEditing(bool value) {
    if (value == editing_) return;
    editing_ = value;
    EditingChanged();
}

void TDataLink::DataEvent(TDataEvent event, TField* field) {
    if (event == TDataEvent::deUpdateState) {
        UpdateState();
        return;
    }
    if (!active_) return;
    switch (event) {
        case TDataEvent::deFieldChange:
        case TDataEvent::deRecordChange:
            if (!updating_) RecordChanged(field);
            break;
        case TDataEvent::deDataSetChange:
            recNo_ = CurrentRecNo();
            DataSetChanged();
            break;
        case TDataEvent::deDataSetScroll: {
            const int now = CurrentRecNo();
            const int distance = now - recNo_;
            recNo_ = now;
            DataSetScrolled(distance);
            break;
        }
        case TDataEvent::deLayoutChange:
            recNo_ = CurrentRecNo();
            LayoutChanged();
            break;
        case TDataEvent::deUpdateRecord: UpdateRecord(); break;
        default: break;
    }
}

}  // namespace menvaro
