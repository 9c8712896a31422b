// A data source held in a form file: its data set found by name, its
// handlers bound by name, and its properties written back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classes/ClassBuilder.h"
#include "classes/FormReader.h"
#include "classes/FormWriter.h"
#include "data/DataSource.h"
#include "data/MemoryDataSet.h"

namespace menvaro {

class TSourceRoot : public TComponent {
    MENVARO_CLASS(TSourceRoot, TComponent)
public:
    explicit TSourceRoot(TComponent* owner) : TComponent(owner) {}
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override {
        for (int i = 0; i < ComponentCount(); ++i)
            if (Components(i)->Owner() == root) proc(Components(i));
    }
    TMemoryDataSet* mdDishes = nullptr;
    TDataSource* dsDishes = nullptr;
    std::vector<std::string> heard;
    void dsDishesStateChange(TObject*) { heard.push_back("state"); }
    void dsDishesDataChange(TObject*, TField* f) { heard.push_back(f ? "data " + f->FieldName() : "data"); }
    void dsDishesUpdateData(TObject*) { heard.push_back("update"); }
};

MENVARO_CLASS_INFO(TSourceRoot) {
    MENVARO_PUBLISHED_FIELDS(mdDishes, dsDishes)
    MENVARO_PUBLISHED_METHODS(dsDishesStateChange, dsDishesDataChange, dsDishesUpdateData)
}

namespace {

TEST(DataSourceForm, ReadsItsDataSetAndHandlersAndWritesThemBack) {
    const std::string text =
        "object Root: TSourceRoot\n"
        "  object dsDishes: TDataSource\n"
        "    AutoEdit = False\n"
        "    DataSet = mdDishes\n"
        "    OnStateChange = dsDishesStateChange\n"
        "    OnDataChange = dsDishesDataChange\n"
        "    OnUpdateData = dsDishesUpdateData\n"
        "    Left = 80\n"
        "    Top = 8\n"
        "  end\n"
        "  object mdDishes: TMemoryDataSet\n"
        "    Left = 8\n"
        "    Top = 8\n"
        "  end\n"
        "end\n";
    TOwned<TSourceRoot> root(Create<TSourceRoot>(nullptr));
    ReadComponentText(root.get(), text, "source.form");
    ASSERT_TRUE(root->dsDishes && root->mdDishes);
    EXPECT_EQ(root->dsDishes->DataSet(), root->mdDishes);  // named before it was read
    EXPECT_FALSE(root->dsDishes->AutoEdit());
    EXPECT_TRUE(root->dsDishes->Enabled());

    TMemoryDataSet& ds = *root->mdDishes;
    ds.FieldDefs().Add("DishNo", TFieldType::ftString, 10);
    ds.Open();
    ds.Append();
    ds.FieldByName("DishNo").SetAsString("0101");
    ds.Post();
    EXPECT_EQ(root->heard, (std::vector<std::string>{"state", "data", "data", "state", "data", "data DishNo", "update",
                                                     "state", "data"}));

    const std::string written = WriteComponentText(root.get());
    for (const char* line :
         {"    AutoEdit = False\n", "    DataSet = mdDishes\n", "    OnStateChange = dsDishesStateChange\n",
          "    OnDataChange = dsDishesDataChange\n", "    OnUpdateData = dsDishesUpdateData\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line << written;
    EXPECT_EQ(written.find("Enabled"), std::string::npos) << written;  // the default is not stored

    // The data set freed first leaves the source without one.
    root->mdDishes->Free();
    EXPECT_EQ(root->dsDishes->DataSet(), nullptr);
    EXPECT_EQ(root->dsDishes->State(), TDataSetState::dsInactive);
}

}  // namespace
}  // namespace menvaro
