// The data-set base through the in-memory data set: navigation, fields by
// name, editing and the notifications a data link will watch.
#include <gtest/gtest.h>

#include <memory>

#include "classes/Classes.h"
#include "data/MemoryDataSet.h"
#include "testsupport/ErrorMessage.h"

using namespace menvaro;

namespace {

class Dishes : public ::testing::Test {
protected:
    void SetUp() override {
        ds.SetName("mdDishes");
        ds.FieldDefs().Add("DishNo", TFieldType::ftString, 10);
        ds.FieldDefs().Add("Price", TFieldType::ftCurrency);
        ds.FieldDefs().Add("IfWeigh", TFieldType::ftBoolean);
        ds.Open();
        Add("0101", 38, false);
        Add("0102", 12.5, true);
        Add("0103", 26, false);
        ds.First();
    }
    void Add(const char* no, double price, bool weigh) {
        ds.Append();
        ds.FieldByName("DishNo").SetAsString(no);
        ds.FieldByName("Price").SetAsFloat(price);
        ds.FieldByName("IfWeigh").SetAsBoolean(weigh);
        ds.Post();
    }
    std::vector<std::string> Walk() {
        std::vector<std::string> seen;
        for (ds.First(); !ds.Eof(); ds.Next()) seen.push_back(ds.Fields()[0].AsString());
        return seen;
    }
    TOwned<TMemoryDataSet> owned{Create<TMemoryDataSet>(nullptr)};
    TMemoryDataSet& ds = *owned;
};

struct Recorder : TDataSetObserver {
    std::vector<TDataEvent> events;
    bool destroyed = false;
    void DataEvent(TDataEvent e, TField*) override { events.push_back(e); }
    void DataSetDestroying() override { destroyed = true; }
};

}  // namespace

TEST_F(Dishes, WalksEveryRecordOnceAndStopsAtTheEnds) {
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0101", "0102", "0103"}));
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 3);  // the last record stays current
    ds.Next();
    EXPECT_EQ(ds.FieldByName("DishNo").AsString(), "0103");
    ds.Last();
    EXPECT_TRUE(ds.Eof());
    ds.Prior();
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_FALSE(ds.Bof());
    EXPECT_EQ(ds.MoveBy(-5), -1);
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.MoveBy(1), 1);
    EXPECT_EQ(ds.FieldByName("price").AsString(), "12.5");
    EXPECT_EQ(ds.FieldByName("IFWEIGH").AsString(), "True");
}

TEST_F(Dishes, MissingFieldAndClosedDataSetErrorsNameTheDataSet) {
    EXPECT_EQ(test::ErrorMessage<EDatabaseError>([&] { ds.FieldByName("DishName"); }),
              "mdDishes: Field 'DishName' not found");
    EXPECT_EQ(ds.FindField("DishName"), nullptr);
    ds.Close();
    EXPECT_THROW(ds.RecordCount(), EDatabaseError);
    EXPECT_THROW(ds.Next(), EDatabaseError);
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.FieldCount(), 0);
}

TEST_F(Dishes, EditPostAndCancel) {
    ds.Next();
    ds.Edit();
    EXPECT_EQ(ds.State(), TDataSetState::dsEdit);
    ds.FieldByName("Price").SetAsString("13.75");
    EXPECT_EQ(ds.FieldByName("Price").AsString(), "13.75");  // the edit buffer
    ds.Cancel();
    EXPECT_EQ(ds.FieldByName("Price").AsString(), "12.5");
    ds.Edit();
    ds.FieldByName("Price").Clear();
    ds.Post();
    EXPECT_TRUE(ds.FieldByName("Price").IsNull());
    EXPECT_EQ(ds.FieldByName("Price").AsString(), "");
    // Moving on posts a modified record.
    ds.Edit();
    ds.FieldByName("DishNo").SetAsString("0199");
    ds.Next();
    EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0101", "0199", "0103"}));
    // An insert that is cancelled leaves nothing behind.
    ds.First();
    ds.Insert();
    ds.FieldByName("DishNo").SetAsString("0100");
    ds.Cancel();
    EXPECT_EQ(ds.RecordCount(), 3);
    ds.Insert();
    ds.FieldByName("DishNo").SetAsString("0100");
    ds.Post();
    EXPECT_EQ(Walk(), (std::vector<std::string>{"0100", "0101", "0199", "0103"}));
    ds.Last();
    ds.Delete();
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.FieldByName("DishNo").AsString(), "0199");
}

TEST_F(Dishes, WritesOutsideEditStateAndIntoReadOnlyFieldsRaise) {
    EXPECT_THROW(ds.FieldByName("DishNo").SetAsString("x"), EDatabaseError);
    EXPECT_THROW(ds.Post(), EDatabaseError);
    ds.Edit();
    ds.FieldByName("DishNo").SetReadOnly(true);
    EXPECT_EQ(test::ErrorMessage<EDatabaseError>([&] { ds.FieldByName("DishNo").SetAsString("x"); }),
              "mdDishes: Field 'DishNo' cannot be modified");
    EXPECT_THROW(ds.FieldByName("Price").SetAsString("cheap"), EConvertError);
    EXPECT_EQ(ds.FieldByName("Price").AsString(), "38");  // a failed write changes nothing
    ds.Cancel();
    ds.SetReadOnly(true);
    EXPECT_THROW(ds.Edit(), EDatabaseError);
    EXPECT_FALSE(ds.FieldByName("Price").CanModify());
}

TEST_F(Dishes, ObserversSeeStateScrollFieldAndLayoutChanges) {
    Recorder r;
    ds.AttachObserver(&r);
    ds.Next();
    ds.Edit();
    ds.FieldByName("Price").SetAsInteger(40);
    ds.Post();
    ds.Close();
    using E = TDataEvent;
    EXPECT_EQ(r.events, (std::vector<E>{E::deDataSetScroll, E::deUpdateState, E::deFieldChange, E::deUpdateRecord,
                                        E::deUpdateState, E::deRecordChange, E::deUpdateState, E::deLayoutChange}));
    ds.DetachObserver(&r);
    Recorder gone, detached;
    TOwned<TMemoryDataSet> temp(Create<TMemoryDataSet>(nullptr));
    temp->AttachObserver(&gone);
    temp->AttachObserver(&detached);
    temp->DetachObserver(&detached);
    temp.reset();
    EXPECT_TRUE(gone.destroyed);
    EXPECT_FALSE(detached.destroyed);
}

TEST(MemoryDataSet, EmptySetHasNoCurrentRecord) {
    TOwned<TMemoryDataSet> owned(Create<TMemoryDataSet>(nullptr));
    TMemoryDataSet& ds = *owned;
    ds.FieldDefs().Add("Qty", TFieldType::ftInteger);
    ds.Open();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_TRUE(ds.FieldByName("Qty").IsNull());
    EXPECT_EQ(ds.FieldByName("Qty").AsInteger(), 0);
    ds.Edit();  // appends on an empty set
    EXPECT_EQ(ds.State(), TDataSetState::dsInsert);
    ds.FieldByName("Qty").SetValue(Variant(3));
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.FieldByName("Qty").Value(), Variant(std::int64_t{3}));
}
