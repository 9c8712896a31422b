// Data sources and data links against the in-memory data set: which notices
// a link hears, in which order, beside the data source's own events.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "classes/Classes.h"
#include "data/DataSource.h"
#include "data/MemoryDataSet.h"
#include "testsupport/ErrorMessage.h"

using namespace menvaro;

namespace {

using Log = std::vector<std::string>;

std::string FieldName(TField* f) { return f ? f->FieldName() : "nil"; }

const char* StateName(TDataSetState s) {
    switch (s) {
        case TDataSetState::dsInactive: return "inactive";
        case TDataSetState::dsBrowse: return "browse";
        case TDataSetState::dsEdit: return "edit";
        case TDataSetState::dsInsert: return "insert";
    }
    return "?";
}

// A link that writes down every notice; a pending value stands for what a
// control has typed and not yet written.
class RecordingLink : public TDataLink {
public:
    RecordingLink(Log& log, std::string name) : log_(log), name_(std::move(name)) { SetVisualControl(true); }

    std::string pendingPrice;  // written to Price by UpdateData, then cleared
    bool takesFocus = false;
    TField* shows = nullptr;

protected:
    void ActiveChanged() override { Note(Active() ? "active" : "inactive"); }
    void EditingChanged() override { Note(Editing() ? "editing" : "not editing"); }
    void DataSetChanged() override { Note("data set changed"); }
    void DataSetScrolled(int distance) override { Note("scrolled " + std::to_string(distance)); }
    void LayoutChanged() override { Note("layout changed"); }
    void RecordChanged(TField* field) override { Note("record changed " + FieldName(field)); }
    void UpdateData() override {
        Note("update data");
        if (!pendingPrice.empty()) {
            DataSet()->FieldByName("Price").SetAsString(pendingPrice);
            pendingPrice.clear();
        }
    }
    void FocusControl(TField*& field) override {
        Note("focus " + FieldName(field));
        if (takesFocus && field == shows) field = nullptr;
    }

private:
    void Note(const std::string& what) { log_.push_back(name_ + ": " + what); }
    Log& log_;
    std::string name_;
};

class Linked : public ::testing::Test {
protected:
    void SetUp() override {
        ds.SetName("mdDishes");
        ds.FieldDefs().Add("DishNo", TFieldType::ftString, 10);
        ds.FieldDefs().Add("Price", TFieldType::ftCurrency);
        src->SetName("dsDishes");
        src->OnStateChange = [this](TObject*) {
            log.push_back(std::string("source: state ") + StateName(src->State()));
        };
        src->OnDataChange = [this](TObject*, TField* f) { log.push_back("source: data " + FieldName(f)); };
        src->OnUpdateData = [this](TObject*) { log.push_back("source: update data"); };
        src->SetDataSet(&ds);
        link.SetDataSource(src.get());
    }
    void Fill() {
        for (const char* no : {"0101", "0102", "0103"}) {
            ds.Append();
            ds.FieldByName("DishNo").SetAsString(no);
            ds.FieldByName("Price").SetAsInteger(10);
            ds.Post();
        }
        ds.First();
    }
    Log Take() { return std::exchange(log, {}); }

    Log log;
    TOwned<TMemoryDataSet> owned{Create<TMemoryDataSet>(nullptr)};
    TMemoryDataSet& ds = *owned;
    TOwned<TDataSource> src{Create<TDataSource>(nullptr)};
    RecordingLink link{log, "link"};
};

}  // namespace

TEST_F(Linked, OpenScrollAndClose) {
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.DataSet(), &ds);
    ds.Open();
    EXPECT_EQ(Take(), (Log{"link: active", "source: state browse", "link: layout changed", "source: data nil",
                           "link: data set changed", "source: data nil"}));
    EXPECT_TRUE(link.Active());
    ds.SetActive(false);
    ds.Open();
    Fill();
    Take();

    ds.Next();
    ds.Last();
    ds.MoveBy(-2);
    ds.Prior();  // already at the first: no notice
    EXPECT_EQ(Take(), (Log{"link: scrolled 1", "source: data nil", "link: scrolled 1", "source: data nil",
                           "link: scrolled -2", "source: data nil"}));

    ds.Close();
    EXPECT_EQ(Take(),
              (Log{"link: inactive", "source: state inactive"}));  // the layout change of a closed set is not passed on
    EXPECT_FALSE(link.Active());
}

TEST_F(Linked, EditPostAndCancel) {
    ds.Open();
    Fill();
    Take();
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(ds.State(), TDataSetState::dsEdit);
    ds.FieldByName("DishNo").SetAsString("0199");
    EXPECT_TRUE(ds.Modified());
    ds.Post();
    EXPECT_FALSE(ds.Modified());
    EXPECT_EQ(Take(), (Log{"link: editing", "source: state edit", "link: record changed DishNo", "source: data DishNo",
                           "link: update data", "source: update data", "link: not editing", "source: state browse",
                           "link: record changed nil", "source: data nil"}));

    link.Edit();
    ds.Cancel();
    EXPECT_EQ(Take(), (Log{"link: editing", "source: state edit", "link: not editing", "source: state browse",
                           "link: record changed nil", "source: data nil"}));

    ds.Insert();
    EXPECT_EQ(Take(), (Log{"link: editing", "source: state insert", "link: data set changed", "source: data nil"}));
    ds.Cancel();
    Take();

    // A value written by the link itself does not come back to it.
    link.Edit();
    link.pendingPrice = "12.5";
    link.UpdateRecord();
    EXPECT_EQ(Take(), (Log{"link: editing", "source: state edit", "link: update data", "source: data Price"}));
    ds.Post();
    EXPECT_EQ(ds.FieldByName("Price").AsString(), "12.5");
    Take();

    ds.Edit();
    ds.Close();  // closing drops the edit
    EXPECT_EQ(Take(), (Log{"link: editing", "source: state edit", "link: inactive", "link: not editing",
                           "source: state inactive"}));
}

TEST_F(Linked, MovingOnWritesWhatTheLinkHasPending) {
    ds.Open();
    Fill();
    link.Edit();
    link.pendingPrice = "99";
    Take();
    ds.Next();
    EXPECT_EQ(Take(), (Log{"link: update data", "source: data Price", "source: update data", "link: update data",
                           "source: update data", "link: not editing", "source: state browse",
                           "link: record changed nil", "source: data nil", "link: scrolled 1", "source: data nil"}));
    ds.First();
    EXPECT_EQ(ds.FieldByName("Price").AsString(), "99");
}

TEST_F(Linked, TheDefaultNoticesEndInRecordChanged) {
    struct Plain : TDataLink {
        std::vector<std::string> seen;
        void RecordChanged(TField* f) override { seen.push_back(FieldName(f)); }
    } plain;
    plain.SetDataSource(src.get());
    ds.Open();
    Fill();
    plain.seen.clear();
    ds.Next();                              // scrolled → data set changed → record changed
    ds.Fields()[1].SetAlignment(taCenter);  // layout changed → data set changed → record changed
    EXPECT_EQ(plain.seen, (std::vector<std::string>{"nil", "nil"}));
}

TEST_F(Linked, VisualLinksHearFirstAndTheLatestFirst) {
    Log order;
    RecordingLink second{order, "second"};
    RecordingLink other{order, "other"};
    other.SetVisualControl(false);
    RecordingLink first{order, "first"};
    second.SetDataSource(src.get());
    other.SetDataSource(src.get());
    first.SetDataSource(src.get());
    src->OnDataChange = [&](TObject*, TField*) { order.push_back("source: data"); };
    ds.Open();
    Fill();
    order.clear();
    ds.Next();
    EXPECT_EQ(order, (Log{"first: scrolled 1", "second: scrolled 1", "source: data", "other: scrolled 1"}));
}

TEST_F(Linked, EnabledAutoEditAndReadOnly) {
    ds.Open();
    Fill();
    src->SetEnabled(false);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(src->State(), TDataSetState::dsInactive);
    Take();
    ds.Next();
    EXPECT_TRUE(Take().empty());  // a disabled source passes nothing on
    src->SetEnabled(true);
    EXPECT_TRUE(link.Active());

    src->SetAutoEdit(false);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
    src->SetAutoEdit(true);

    link.SetReadOnly(true);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
    ds.Edit();
    EXPECT_FALSE(link.Editing());  // a read-only link never edits
    link.SetReadOnly(false);
    EXPECT_TRUE(link.Editing());
    ds.Cancel();

    ds.SetReadOnly(true);
    EXPECT_THROW(link.Edit(), EDatabaseError);
}

TEST_F(Linked, FocusGoesToTheFirstLinkThatTakesIt) {
    ds.Open();
    Fill();
    Log order;
    RecordingLink a{order, "a"}, b{order, "b"};
    a.takesFocus = b.takesFocus = true;
    a.shows = b.shows = &ds.FieldByName("Price");
    a.SetDataSource(src.get());
    b.SetDataSource(src.get());
    order.clear();
    ds.FieldByName("Price").FocusControl();
    EXPECT_EQ(order, (Log{"b: focus Price"}));
    ds.FieldByName("DishNo").FocusControl();
    EXPECT_EQ(order, (Log{"b: focus Price", "b: focus DishNo", "a: focus DishNo"}));
    Take();
    ds.FieldByName("DishNo").FocusControl();
    EXPECT_EQ(Take(), (Log{"link: focus DishNo"}));
}

TEST_F(Linked, FieldPropertiesAnnounceThemselves) {
    ds.Open();
    Take();
    TField& price = ds.FieldByName("Price");
    price.SetDisplayFormat("#,##0.00");
    price.SetDisplayFormat("#,##0.00");  // unchanged: nothing
    price.SetDisplayLabel("价格");
    EXPECT_EQ(Take(), (Log{"link: data set changed", "source: data nil", "link: layout changed", "source: data nil"}));
}

TEST_F(Linked, EitherSideMayGoFirst) {
    ds.Open();
    Take();
    {
        TOwned<TDataSource> second(Create<TDataSource>(nullptr));
        second->SetDataSet(&ds);
        link.SetDataSource(second.get());
        EXPECT_EQ(Take(), (Log{"link: inactive", "link: active"}));
    }
    EXPECT_EQ(Take(), (Log{"link: inactive"}));  // its source was freed
    EXPECT_EQ(link.DataSource(), nullptr);

    link.SetDataSource(src.get());
    Log quiet;
    {
        RecordingLink leaving{quiet, "leaving"};
        leaving.SetDataSource(src.get());
        EXPECT_EQ(quiet, (Log{"leaving: active"}));
    }
    EXPECT_EQ(quiet, (Log{"leaving: active"}));  // a link that goes calls none of its notices

    owned.reset();  // the data set goes
    EXPECT_EQ(Take(), (Log{"link: active", "link: inactive", "source: state inactive"}));
    EXPECT_EQ(src->DataSet(), nullptr);
    EXPECT_EQ(link.DataSet(), nullptr);
}

TEST_F(Linked, AFixedDataSourceCannotChange) {
    link.SetDataSourceFixed(true);
    EXPECT_EQ(test::ErrorMessage<EDatabaseError>([&] { link.SetDataSource(nullptr); }),
              "dsDishes: DataSource cannot be changed");
    EXPECT_EQ(link.DataSource(), src.get());
    link.SetDataSourceFixed(false);
}
