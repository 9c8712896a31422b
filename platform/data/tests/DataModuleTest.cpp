// The ADO components as a data module's form resource creates them, and
// their published properties read from and written to form text.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "classes/ClassBuilder.h"
#include "classes/DataModule.h"
#include "classes/FormParser.h"
#include "classes/FormReader.h"
#include "classes/FormWriter.h"
#include "data/ADODB.h"
#include "data/MemoryDataSet.h"
#include "testsupport/ErrorMessage.h"
#include "testsupport/SqliteFile.h"
#include "testsupport/TempDir.h"

namespace menvaro {

// The shape of the updater's data module: a connection and one query.
class TDataDM : public TDataModule {
    MENVARO_CLASS(TDataDM, TDataModule)
public:
    explicit TDataDM(TComponent* owner) : TDataModule(owner) {}
    TADOConnection* adoCon = nullptr;
    TADOQuery* qryPublic = nullptr;
    bool connectionSetAtCreate = false;
    void DataModuleCreate(TObject*) { connectionSetAtCreate = qryPublic && qryPublic->Connection() == adoCon; }
};

MENVARO_CLASS_INFO(TDataDM) {
    MENVARO_PUBLISHED_FIELDS(adoCon, qryPublic)
    MENVARO_PUBLISHED_METHODS(DataModuleCreate)
}

// A plain root for form texts read at run time.
class TDataRoot : public TComponent {
    MENVARO_CLASS(TDataRoot, TComponent)
public:
    explicit TDataRoot(TComponent* owner) : TComponent(owner) {}
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override {
        for (int i = 0; i < ComponentCount(); ++i)
            if (Components(i)->Owner() == root) proc(Components(i));
    }
};
MENVARO_CLASS_INFO(TDataRoot) {}

namespace {

TEST(DataModuleForm, CreatesTheConnectionAndTheQuery) {
    TOwned<TDataDM> dm(Create<TDataDM>(nullptr));
    ASSERT_NE(dm->adoCon, nullptr);
    ASSERT_NE(dm->qryPublic, nullptr);
    EXPECT_EQ(dm->adoCon->ClassName(), "TADOConnection");
    EXPECT_FALSE(dm->adoCon->LoginPrompt());
    EXPECT_FALSE(dm->adoCon->Connected());
    EXPECT_EQ(dm->qryPublic->Connection(), dm->adoCon);
    EXPECT_TRUE(dm->connectionSetAtCreate);  // references are resolved before OnCreate
    EXPECT_EQ(dm->adoCon->DesignLeft, 24);

    // Used as the updater uses it.
    test::TempDir dir;
    test::MakeDatabase(dir.path() + "Velkoranth.db",
                       "create table Area (AreaNo varchar(4)); insert into Area values ('01');");
    dm->adoCon->Close();
    dm->adoCon->SetConnectionString(
        "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;"
        "Initial Catalog=Velkoranth;Data Source=" +
        dir.path());
    dm->adoCon->Open();
    dm->qryPublic->Close();
    dm->qryPublic->SQL()->SetText("Select AreaNo from Area");
    dm->qryPublic->Open();
    EXPECT_EQ(dm->qryPublic->RecordCount(), 1);
    EXPECT_EQ(test::ErrorMessage<EDatabaseError>([&] { dm->qryPublic->FieldByName("AreaName"); }),
              "qryPublic: Field 'AreaName' not found");
}

TEST(DataModuleForm, StreamedConnectedAndActiveOpenOnceLoaded) {
    test::TempDir dir;
    test::MakeDatabase(dir.path() + "Velkoranth.db",
                       "create table MakeMode (MakeModeNo varchar(4), MakeModeName varchar(20));"
                       "insert into MakeMode values ('01', '清蒸'); insert into MakeMode values ('02', '红烧');");
    const std::string text =
        "object Root: TDataRoot\n"
        "  object adoCon: TADOConnection\n"
        "    ConnectionString = 'Initial Catalog=Velkoranth;Data Source=" +
        dir.path() +
        "'\n"
        "    LoginPrompt = False\n"
        "    Connected = True\n"
        "  end\n"
        "  object qryPublic: TADOQuery\n"
        "    Active = True\n"
        "    Connection = adoCon\n"
        "    SQL.Strings = (\n"
        "      'select * from MakeMode'\n"
        "      'Order by MakeModeNo')\n"
        "  end\n"
        "end\n";
    TOwned<TDataRoot> root(Create<TDataRoot>(nullptr));
    ReadComponentText(root.get(), text, "test.form");
    auto* con = dynamic_cast<TADOConnection*>(root->FindComponent("adoCon"));
    auto* qry = dynamic_cast<TADOQuery*>(root->FindComponent("qryPublic"));
    ASSERT_TRUE(con && qry);
    EXPECT_TRUE(con->Connected());
    ASSERT_TRUE(qry->Active());  // set before its connection was: opened in Loaded
    EXPECT_EQ(qry->RecordCount(), 2);
    EXPECT_EQ(qry->FieldByName("MakeModeName").AsString(), "清蒸");

    const std::string written = WriteComponentText(root.get());
    EXPECT_NE(written.find("    LoginPrompt = False\n"), std::string::npos) << written;
    EXPECT_NE(written.find("    Connected = True\n"), std::string::npos) << written;
    EXPECT_NE(written.find("    Connection = adoCon\n"), std::string::npos) << written;
    EXPECT_NE(written.find("    SQL.Strings = (\n      'select * from MakeMode'\n      'Order by MakeModeNo')\n"),
              std::string::npos)
        << written;

    // Freeing the connection first leaves the query closed and unattached.
    con->Free();
    EXPECT_FALSE(qry->Active());
    EXPECT_EQ(qry->Connection(), nullptr);
}

TEST(DataModuleForm, AFailingStreamedConnectionNamesTheEngineError) {
    test::TempDir dir;
    const std::string text =
        "object Root: TDataRoot\n"
        "  object adoCon: TADOConnection\n"
        "    ConnectionString = 'Initial Catalog=Nowhere;Data Source=" +
        dir.path() +
        "'\n"
        "    Connected = True\n"
        "  end\n"
        "end\n";
    TOwned<TDataRoot> root(Create<TDataRoot>(nullptr));
    EXPECT_THAT(test::ErrorMessage<Exception>([&] { ReadComponentText(root.get(), text, "test.form"); }),
                ::testing::HasSubstr("there is no file Nowhere.db"));
}

TEST(DataModuleForm, UnknownPropertiesAreFormErrors) {
    TOwned<TDataRoot> root(Create<TDataRoot>(nullptr));
    EXPECT_THROW(ReadComponentText(
                     root.get(), "object Root: TDataRoot\n  object q: TADOQuery\n    CommandTimeout = 30\n  end\nend\n",
                     "bad.form"),
                 EFormError);
}

}  // namespace
}  // namespace menvaro
