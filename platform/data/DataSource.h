// TDataSource and TDataLink: how controls watch a data set. A data source
// stands between one data set and any number of data links; each link (the
// part of a data-aware control that talks to the data) hears the data set's
// notifications as virtual calls:
//
//   data set                  link
//   opened                    ActiveChanged, LayoutChanged, DataSetChanged
//   closed                    ActiveChanged (then EditingChanged if it edited)
//   Edit                      EditingChanged
//   a field written           RecordChanged(field), except while the link
//                             itself is writing (UpdateRecord)
//   Post of an edit           UpdateData, EditingChanged, RecordChanged(nullptr)
//   Post of an insert         UpdateData, EditingChanged, DataSetChanged
//   Cancel                    EditingChanged, RecordChanged(nullptr)
//   Insert, Append            EditingChanged, DataSetChanged
//   Delete                    DataSetChanged
//   First, Next, MoveBy ...   DataSetScrolled(distance)
//   moving off an edited      UpdateData, then as Post or Cancel, then
//     record                  DataSetScrolled
//   TField::FocusControl      FocusControl(field)
//
// DataSetScrolled and LayoutChanged call DataSetChanged, which calls
// RecordChanged(nullptr), unless a link overrides them. A data source that
// is not Enabled, or has no data set, is inactive and passes nothing on but
// the change to inactive.
#pragma once

#include <vector>

#include "classes/Classes.h"
#include "classes/Events.h"
#include "data/DataSet.h"

namespace menvaro {

class TDataLink;

// Sender is the data source; Field is the field that was written, or
// nullptr when the record or the records changed as a whole.
using TDataChangeEvent = TEvent<void(TObject* Sender, TField* Field)>;

class TDataSource : public TComponent, private TDataSetObserver {
    MENVARO_CLASS(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* owner);
    ~TDataSource() override;
    // Lets go of the data set and of every link (they become inactive).
    void BeforeDestruction() override;

    // Published: AutoEdit (default True), DataSet, Enabled (default True),
    // OnStateChange, OnDataChange, OnUpdateData.
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool value) { autoEdit_ = value; }
    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    // Runs when the data set is about to post, after the links wrote their values.
    TNotifyEvent OnUpdateData;

    // The data set's state, or dsInactive without a data set or when not
    // Enabled.
    TDataSetState State() const { return state_; }
    // Puts a browsing data set into edit state when AutoEdit is set.
    void Edit();

private:
    friend class TDataLink;
    void AddDataLink(TDataLink* link);
    void RemoveDataLink(TDataLink* link);
    void UpdateState();
    void SetState(TDataSetState value);
    // The links in the class library's order, the latest first: every link,
    // or only the visual (or only the other) links.
    void NotifyLinks(TDataEvent event, TField* field);
    void NotifyLinks(TDataEvent event, TField* field, bool visual);

    void DataEvent(TDataEvent event, TField* field) override;
    void DataSetDestroying() override;
    void FocusControl(TField*& field) override;

    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    bool autoEdit_ = true;
    TDataSetState state_ = TDataSetState::dsInactive;
    std::vector<TDataLink*> links_;
};

class TDataLink {
public:
    TDataLink() = default;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;
    // Leaves its data source without calling its own notices.
    virtual ~TDataLink();

    TDataSource* DataSource() const { return dataSource_; }
    // Raises EDatabaseError "DataSource cannot be changed" while the data
    // source is fixed.
    void SetDataSource(TDataSource* value);
    bool DataSourceFixed() const { return dataSourceFixed_; }
    void SetDataSourceFixed(bool value) { dataSourceFixed_ = value; }
    // The data source's data set, or nullptr.
    TDataSet* DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }

    // There is a data source and it is active.
    bool Active() const { return active_; }
    // The data source is in edit or insert state and the link is not ReadOnly.
    bool Editing() const { return editing_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    // A link of a control the user sees; such links hear of changes before
    // the data source's own events and the other links.
    bool VisualControl() const { return visualControl_; }
    void SetVisualControl(bool value) { visualControl_ = value; }

    // Asks the data source to edit (unless ReadOnly) and answers Editing.
    bool Edit();
    // Calls UpdateData; field writes made meanwhile do not come back to this
    // link as RecordChanged.
    void UpdateRecord();

protected:
    virtual void ActiveChanged() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int distance) {
        (void)distance;
        DataSetChanged();
    }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField*& field) { (void)field; }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* field) { (void)field; }
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    void DataEvent(TDataEvent event, TField* field);
    void UpdateState();
    void SetActive(bool value);
    void SetEditing(bool value);
    int CurrentRecNo() const;

    TDataSource* dataSource_ = nullptr;
    bool dataSourceFixed_ = false;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool visualControl_ = false;
    bool updating_ = false;
    // The record current at the last notice, for the scrolled distance.
    int recNo_ = 0;
};

}  // namespace menvaro
