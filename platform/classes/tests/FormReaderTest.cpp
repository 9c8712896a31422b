#include <gtest/gtest.h>

#include <climits>

#include "TestClasses.h"
#include "classes/ClassBuilder.h"
#include "classes/FormReader.h"
#include "classes/FormResources.h"
#include "classes/FormWriter.h"
#include "testsupport/ErrorMessage.h"

namespace menvaro {
namespace {

const char* kFullForm = R"(object Root1: TTestRoot
  object Thing1: TTestThing
    Count = 3
    Big = $100000000
    Active = False
    Shape = tsStar
    Options = [toWide, toLoud]
    Ratio = 1.5
    Caption = 'it''s ' + #20013#25991 +
      ' '#13#10'end'
    PasswordChar = '*'
    Value = 7
    Color = clRed
    TextOptions.LineSpacing = 8
    TextOptions.Shadow.XOffset = -3
    TextOptions.Shadow.Enabled = True
    Columns = <
      item
        Caption = 'first'
        Link = Thing2
      end
      item
        Width = 10
      end>
    Lines.Strings = (
      'one'
      'two')
    Buddy = Thing2
    RegionData = {
      00010203FF}
    OnChange = ThingChange
    OnCount = ThingCount
    object Kid: TTestThing
      Count = 9
    end
  end
  object Thing2: TTestThing
    Count = 0
    Value = 'text'
  end
end
)";

TEST(FormReader, EveryKindOfPropertyIsApplied) {
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    ReadComponentText(root.get(), kFullForm, "full.form");
    EXPECT_EQ(root->Name(), "Root1");
    ASSERT_NE(root->Thing1, nullptr);
    ASSERT_NE(root->Thing2, nullptr);
    TTestThing* t = root->Thing1;
    EXPECT_EQ(t->Count(), 3);
    EXPECT_EQ(t->Big, 0x100000000LL);
    EXPECT_FALSE(t->Active);
    EXPECT_EQ(t->Shape, tsStar);
    EXPECT_EQ(t->Options, (TTestOptions{toWide, toLoud}));
    EXPECT_DOUBLE_EQ(t->Ratio, 1.5);
    EXPECT_EQ(t->Caption, "it's 中文 \r\nend");
    EXPECT_EQ(t->PasswordChar, '*');
    EXPECT_EQ(t->Value, Variant(std::int64_t{7}));
    EXPECT_EQ(t->Color, 0x0000FF);
    EXPECT_EQ(t->TextOptions()->LineSpacing, 8);
    EXPECT_EQ(t->TextOptions()->Shadow()->XOffset(), -3);
    EXPECT_TRUE(t->TextOptions()->Shadow()->Enabled);
    ASSERT_EQ(t->Columns()->Count(), 2);
    auto* col0 = static_cast<TTestColumn*>(t->Columns()->Items(0));
    EXPECT_EQ(col0->Caption, "first");
    EXPECT_EQ(col0->Width, 64);
    EXPECT_EQ(col0->Link, root->Thing2);  // a reference inside an item, resolved at the end
    EXPECT_EQ(static_cast<TTestColumn*>(t->Columns()->Items(1))->Width, 10);
    EXPECT_EQ(t->Lines()->ToVector(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(t->Buddy(), root->Thing2);
    EXPECT_EQ(t->RegionData, std::string("\x00\x01\x02\x03\xFF", 5));
    ASSERT_TRUE(t->OnChange.Assigned());
    t->OnChange(t);
    EXPECT_EQ(root->calls, std::vector<std::string>{"change Thing1"});
    int n = 1;
    t->OnCount(t, n);
    EXPECT_EQ(n, 2);
    auto* kid = dynamic_cast<TTestThing*>(root->FindComponent("Kid"));
    ASSERT_NE(kid, nullptr);
    EXPECT_EQ(kid->Owner(), root.get());  // every streamed component belongs to the root
    EXPECT_EQ(kid->GetParentComponent(), t);
    EXPECT_EQ(root->Thing2->Value, Variant("text"));
    for (TTestThing* c : {t, kid, root->Thing2}) {
        EXPECT_EQ(c->loadedCalls, 1);
        EXPECT_FALSE(c->ComponentState().Contains(csLoading));
    }
}

TEST(FormReader, WriterStoresOnlyWhatDiffersFromTheDefaults) {
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    root->SetName("Root1");
    auto* t = Create<TTestThing>(root.get());
    t->SetName("Thing1");
    EXPECT_EQ(WriteComponentText(root.get()),
              "object Root1: TTestRoot\n"
              "  object Thing1: TTestThing\n"
              "    Count = 0\n"  // no declared default: always stored
              "  end\n"
              "end\n");
    t->Caption = "default";  // its stored rule says no
    t->TextOptions()->Shadow()->SetXOffset(10);
    EXPECT_EQ(WriteComponentText(root.get()).find("Caption"), std::string::npos);
}

TEST(FormReader, ReadWriteReadGivesTheSameText) {
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    ReadComponentText(root.get(), kFullForm, "full.form");
    std::string text = WriteComponentText(root.get());
    EXPECT_NE(text.find("    Options = [toWide, toLoud]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    Color = clRed\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    TextOptions.Shadow.XOffset = -3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    OnChange = ThingChange\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Width = 64"), std::string::npos) << text;  // item default left out
    TOwned<TTestRoot> again(Create<TTestRoot>(nullptr));
    ReadComponentText(again.get(), text, "written.form");
    EXPECT_EQ(WriteComponentText(again.get()), text);
}

struct BadForm {
    const char* body;  // placed inside "object R: TTestRoot ... end"
    const char* message;
};

class FormErrors : public ::testing::TestWithParam<BadForm> {};

TEST_P(FormErrors, NameTheFileAndLine) {
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    std::string text = std::string("object R: TTestRoot\n") + GetParam().body + "end\n";
    EXPECT_EQ(test::ErrorMessage<EFormError>([&] { ReadComponentText(root.get(), text, "bad.form"); }),
              GetParam().message)
        << "for " << GetParam().body;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormErrors,
    ::testing::Values(
        BadForm{"  object X: TNoSuch\n  end\n", "bad.form:2: unknown class TNoSuch"},
        BadForm{"  object X: TTestThing\n    Colr = 1\n  end\n",
                "bad.form:3: X.Colr: class TTestThing has no property 'Colr'"},
        BadForm{"  object X: TTestThing\n    OnChange = NoSuchHandler\n  end\n",
                "bad.form:3: X.OnChange: handler 'NoSuchHandler' is not a published method of TTestRoot"},
        BadForm{"  object X: TTestThing\n    OnChange = ThingCount\n  end\n",
                "bad.form:3: X.OnChange: handler 'ThingCount' does not fit the event OnChange"},
        BadForm{"  object X: TTestThing\n    Shape = tsOval\n  end\n",
                "bad.form:3: X.Shape: 'tsOval' is not a TTestShape"},
        BadForm{"  object X: TTestThing\n    Options = [toBold, toQuiet]\n  end\n",
                "bad.form:3: X.Options: 'toQuiet' is not a TTestOption"},
        BadForm{"  object X: TTestThing\n    Buddy = Nobody\n  end\n",
                "bad.form:3: X.Buddy: no component named Nobody"},
        BadForm{"  object X: TTestThing\n    Count = 'three'\n  end\n",
                "bad.form:3: X.Count: an integer expected for a Integer property, found string"},
        BadForm{"  object X: TTestThing\n    Count = 3000000000\n  end\n",
                "bad.form:3: X.Count: 3000000000 is out of range"},
        BadForm{"  object X: TTestThing\n    Ratio = 1e999\n  end\n", "bad.form:3: number out of range"},
        BadForm{"  object X: TTestThing\n    Color = clMauve\n  end\n",
                "bad.form:3: X.Color: an integer or a name expected for a TColor property, found identifier 'clMauve'"},
        BadForm{"  object X: TTestThing\n    Caption = 'open\n  end\n", "bad.form:3: unterminated string"},
        BadForm{"  object X: TTestThing\n    Count 3\n  end\n", "bad.form:3: '=' expected after Count, found a number"},
        BadForm{"  object X: TTestThing\n", "bad.form:1: object R without its 'end'"},
        BadForm{"  object X: TTestThing\n  end\n  object X: TTestThing\n  end\n",
                "bad.form:4: a component named X already exists"},
        BadForm{"  object Thing1: TTestRoot\n  end\n", "bad.form:2: Field TTestRoot.Thing1 does not hold a TTestRoot"},
        BadForm{"  object X: TTestThing\n    TextOptions = 3\n  end\n",
                "bad.form:3: X.TextOptions: a TTestText is set through its properties (TextOptions.Name = ...)"},
        BadForm{"  object X: TTestThing\n    RegionData = {0A0}\n  end\n",
                "bad.form:3: binary data with an odd number of hex digits"},
        BadForm{"  object X: TTestThing\n    Caption = '\xC3'\n  end\n", "bad.form:3: text is not valid UTF-8"}));

TEST(FormReader, IntegersReachBothEndsOfTheirRange) {
    for (const char* big : {"-9223372036854775808", "-$8000000000000000", "9223372036854775807"}) {
        TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
        ReadComponentText(
            root.get(), std::string("object R: TTestRoot\n object Thing1: TTestThing\n Big = ") + big + "\n end\nend\n",
            "big.form");
        std::int64_t want = big[0] == '-' ? INT64_MIN : INT64_MAX;
        EXPECT_EQ(root->Thing1->Big, want) << big;
        // What the writer stores reads back.
        std::string text = WriteComponentText(root.get());
        TOwned<TTestRoot> again(Create<TTestRoot>(nullptr));
        ReadComponentText(again.get(), text, "written.form");
        EXPECT_EQ(again->Thing1->Big, want) << text;
    }
}

TEST(FormReader, RootClassMustMatch) {
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    EXPECT_EQ(
        test::ErrorMessage<EFormError>([&] { ReadComponentText(root.get(), "object R: TTestThing\nend\n", "r.form"); }),
        "r.form:1: the file describes a TTestThing, not a TTestRoot");
}

TEST(FormReader, AFailedReadLeavesNothingLoadingAndFreesCleanly) {
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    EXPECT_THROW(ReadComponentText(
                     root.get(), "object R: TTestRoot\n object Thing1: TTestThing\n Shape = x\n end\nend\n", "f.form"),
                 EFormError);
    ASSERT_NE(root->Thing1, nullptr);
    EXPECT_FALSE(root->Thing1->ComponentState().Contains(csLoading));
    EXPECT_FALSE(root->ComponentState().Contains(csLoading));
}

TEST(DataModule, EmbeddedResourceIsStreamedBeforeOnCreate) {
    TOwned<TTestDM> dm(Create<TTestDM>(nullptr));
    EXPECT_EQ(dm->Name(), "TestDM");
    ASSERT_NE(dm->conn, nullptr);
    ASSERT_NE(dm->query, nullptr);
    EXPECT_EQ(dm->conn->Caption, "Provider=SQLOLEDB.1;Data Source=(local)");
    EXPECT_EQ(dm->conn->DesignLeft, 24);
    EXPECT_EQ(dm->query->Buddy(), dm->conn);
    EXPECT_EQ(dm->query->Lines()->ToVector(), (std::vector<std::string>{"select * from Area", "  order by 1"}));
    EXPECT_EQ(dm->DesignWidth, 215);
    EXPECT_EQ(dm->events, std::vector<std::string>{"create conn=set"});
    std::vector<std::string>* events = &dm->events;
    std::vector<std::string> log;
    dm->conn->log = &log;
    TTestDM* raw = dm.release();
    std::vector<std::string> seen;
    raw->OnDestroy = [&](TObject*) {
        seen = *events;
        seen.push_back("conn alive=" + std::to_string(raw->conn != nullptr));
    };
    raw->Free();
    EXPECT_EQ(seen, (std::vector<std::string>{"create conn=set", "conn alive=1"}));
    // query goes first; conn hears of it once, though it also asked for a free notification.
    EXPECT_EQ(log, (std::vector<std::string>{"conn hears removal of query", "destroyed conn"}));
}

TEST(DataModule, WrittenTextKeepsDesignPositions) {
    TOwned<TTestDM> dm(Create<TTestDM>(nullptr));
    std::string text = WriteComponentText(dm.get());
    EXPECT_NE(text.find("  OnCreate = DataModuleCreate\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  Width = 215\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    Left = 24\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    Lines.Strings = (\n      'select * from Area'\n      '  order by 1')\n"),
              std::string::npos)
        << text;
}

class TTestDM2 : public TTestDM {
    MENVARO_CLASS(TTestDM2, TTestDM)
public:
    using TTestDM::TTestDM;
    TTestThing* extra = nullptr;
};
MENVARO_CLASS_INFO(TTestDM2){MENVARO_PUBLISHED_FIELDS(extra)}

TEST(DataModule, InheritedResourceChangesAndAddsComponents) {
    RegisterFormResource("TTestDM2", "dm2.form",
                         "inherited TestDM2: TTestDM2\n"
                         "  inherited conn: TTestThing\n"
                         "    Caption = 'changed'\n"
                         "  end\n"
                         "  object extra: TTestThing\n"
                         "    Buddy = query\n"
                         "  end\n"
                         "end\n");
    TOwned<TTestDM2> dm(Create<TTestDM2>(nullptr));
    EXPECT_EQ(dm->Name(), "TestDM");  // the base resource names the root
    EXPECT_EQ(dm->conn->Caption, "changed");
    ASSERT_NE(dm->extra, nullptr);
    EXPECT_EQ(dm->extra->Buddy(), dm->query);
    EXPECT_EQ(dm->conn->loadedCalls, 1);  // one load over both files
    UnregisterFormResource("TTestDM2");
}

class TTestDM3 : public TDataModule {
    MENVARO_CLASS(TTestDM3, TDataModule)
public:
    using TDataModule::TDataModule;
};
MENVARO_CLASS_INFO(TTestDM3) {}

TEST(DataModule, ClassWithoutResourceIsAnError) {
    TOwned<TDataModule> plain(Create<TDataModule>(nullptr));  // the base class needs none
    EXPECT_EQ(test::ErrorMessage<EResNotFound>([] { Create<TTestDM3>(nullptr); }), "Resource TTestDM3 not found");
    EXPECT_TRUE(TDataModule::Instances().size() == 1);  // the failed one is gone
}

TEST(FormResources, TwoFilesForOneClassAreReportedOnUse) {
    RegisterFormResource("TDupe", "a.form", "object A: TDupe\nend\n");
    RegisterFormResource("TDupe", "b.form", "object B: TDupe\nend\n");
    EXPECT_EQ(test::ErrorMessage<EFormError>([] { FindFormResource("tdupe"); }),
              "two form files describe TDupe: a.form and b.form");
    UnregisterFormResource("TDupe");
}

TEST(FormReader, ReferenceToARootNotYetLoadedIsResolvedWhenItArrives) {
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    ReadComponentText(root.get(),
                      "object Early: TTestRoot\n object Thing1: TTestThing\n  Buddy = LaterDM.conn\n end\nend\n",
                      "early.form");
    EXPECT_EQ(root->Thing1->Buddy(), nullptr);
    EXPECT_EQ(PendingGlobalFixups(), 1);
    TOwned<TTestDM> dm(Create<TTestDM>(nullptr));
    dm->SetName("LaterDM");
    GlobalFixupReferences();
    EXPECT_EQ(root->Thing1->Buddy(), dm->conn);
    EXPECT_EQ(PendingGlobalFixups(), 0);
}

}  // namespace
}  // namespace menvaro
