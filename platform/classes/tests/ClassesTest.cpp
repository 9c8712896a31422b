#include <gtest/gtest.h>

#include "TestClasses.h"
#include "classes/ClassBuilder.h"
#include "classes/FormReader.h"
#include "classes/FormWriter.h"
#include "testsupport/ErrorMessage.h"

namespace menvaro {
namespace {

TEST(Components, OwnerFreesWhatItOwnsNewestFirstAndTellsTheOthers) {
    std::vector<std::string> log;
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    auto* a = Create<TTestThing>(root.get());
    a->SetName("A");
    auto* b = Create<TTestThing>(root.get());
    b->SetName("B");
    a->log = &log;
    b->log = &log;
    EXPECT_EQ(root->ComponentCount(), 2);
    EXPECT_EQ(b->ComponentIndex(), 1);
    root.reset();
    // B goes first (A, still alive, hears of it while B is whole); then A goes.
    EXPECT_EQ(log, (std::vector<std::string>{"A hears removal of B", "destroyed B", "destroyed A"}));
}

TEST(Components, FreeDetachesFromOwnerAndClearsReferences) {
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    auto* a = Create<TTestThing>(root.get());
    auto* b = Create<TTestThing>(root.get());
    a->SetName("Thing1");
    b->SetName("Thing2");
    EXPECT_EQ(root->Thing1, a);  // published field bound by name
    EXPECT_EQ(root->Thing2, b);
    a->SetBuddy(b);
    b->Free();
    EXPECT_EQ(root->ComponentCount(), 1);
    EXPECT_EQ(root->Thing2, nullptr);
    EXPECT_EQ(a->Buddy(), nullptr);
    a->SetName("Other");
    EXPECT_EQ(root->Thing1, nullptr);  // renaming unbinds the field
}

// A component whose constructor gives up half way.
class TRefusingThing : public TComponent {
public:
    explicit TRefusingThing(TComponent* owner) : TComponent(owner) { throw EInvalidOperation("no room"); }
};

TEST(Components, AConstructorThatRaisesLeavesTheOwnerWithoutIt) {
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    auto* a = Create<TTestThing>(root.get());
    EXPECT_THROW(Create<TRefusingThing>(root.get()), EInvalidOperation);
    ASSERT_EQ(root->ComponentCount(), 1);
    EXPECT_EQ(root->Components(0), a);
    std::vector<std::string> log;
    a->log = &log;
    root.reset();  // frees only what exists
    EXPECT_EQ(log, std::vector<std::string>{"destroyed "});
}

TEST(Components, FreeNotificationReachesComponentsOfOtherOwners) {
    TOwned<TTestRoot> r1(Create<TTestRoot>(nullptr));
    TOwned<TTestRoot> r2(Create<TTestRoot>(nullptr));
    auto* user = Create<TTestThing>(r1.get());
    auto* target = Create<TTestThing>(r2.get());
    user->SetBuddy(target);
    r2.reset();
    EXPECT_EQ(user->Buddy(), nullptr);
    // The link is gone both ways: freeing the user later touches nothing freed.
    r1.reset();
}

TEST(Components, NamesAreCheckedAndFoundWithoutRegardToCase) {
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    auto* a = Create<TTestThing>(root.get());
    a->SetName("btnOk");
    EXPECT_EQ(root->FindComponent("BTNOK"), a);
    EXPECT_EQ(root->FindComponent(""), nullptr);
    auto* b = Create<TTestThing>(root.get());
    struct Case {
        const char* name;
        const char* message;
    };
    for (const Case& c :
         {Case{"btnok", "A component named btnok already exists"}, Case{"1st", "'1st' is not a valid component name"},
          Case{"a b", "'a b' is not a valid component name"}}) {
        EXPECT_EQ(test::ErrorMessage<EComponentError>([&] { b->SetName(c.name); }), c.message) << c.name;
    }
    EXPECT_EQ(b->Name(), "");
    a->SetName("BtnOK");  // a new case of its own name is no conflict
    EXPECT_EQ(a->Name(), "BtnOK");
}

TEST(Components, FieldOfTheWrongClassIsRefused) {
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    auto* other = Create<TTestRoot>(root.get());
    EXPECT_THROW(other->SetName("Thing1"), EComponentError);
    EXPECT_EQ(root->Thing1, nullptr);
}

TEST(Components, DestroyingStateIsSeenByEveryOwnedComponent) {
    struct Probe : TTestThing {
        using TTestThing::TTestThing;
        bool* sawDestroying = nullptr;
        ~Probe() override { *sawDestroying = ComponentState().Contains(csDestroying); }
    };
    bool saw = false;
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    auto* p = Create<Probe>(root.get());
    p->sawDestroying = &saw;
    root.reset();
    EXPECT_TRUE(saw);
}

TEST(Persistent, AssignOfAnUnrelatedClassNamesBoth) {
    TOwned<TTestShadow> s(Create<TTestShadow>());
    TOwned<TTestText> t(Create<TTestText>());
    EXPECT_EQ(test::ErrorMessage<EConvertError>([&] { s->Assign(t.get()); }),
              "Cannot assign a TTestText to a TTestShadow");
    EXPECT_THROW(s->Assign(nullptr), EConvertError);
}

TEST(Collections, ItemsAddDeleteAssignAndReportUpdatesOnce) {
    TOwned<TTestColumns> cols(Create<TTestColumns>(nullptr));
    cols->BeginUpdate();
    auto* c1 = static_cast<TTestColumn*>(cols->Add());
    auto* c2 = static_cast<TTestColumn*>(cols->Add());
    c1->Caption = "a";
    c2->Caption = "b";
    EXPECT_EQ(cols->updates, 0);
    cols->EndUpdate();
    EXPECT_EQ(cols->updates, 1);
    EXPECT_EQ(c2->Index(), 1);
    c2->SetIndex(0);
    EXPECT_EQ(cols->Items(0), c2);
    TOwned<TTestColumns> copy(Create<TTestColumns>(nullptr));
    copy->Assign(cols.get());
    ASSERT_EQ(copy->Count(), 2);
    EXPECT_EQ(static_cast<TTestColumn*>(copy->Items(0))->ClassName(), "TTestColumn");
    cols->Delete(0);
    EXPECT_EQ(cols->Count(), 1);
    EXPECT_EQ(cols->Items(0), c1);
    EXPECT_THROW(cols->Items(5), EListError);
}

TEST(TypeInfo, RegistryAndPropertyTables) {
    const TClassInfo* info = FindClass("ttestthing");
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->InheritsFrom(TComponent::StaticClass()));
    EXPECT_TRUE(static_cast<bool>(info->ComponentFactory));
    const TPropInfo* tag = info->FindProp("tag");  // inherited
    ASSERT_NE(tag, nullptr);
    EXPECT_TRUE(tag->HasDefault);
    EXPECT_EQ(info->FindProp("Shape")->Kind, TTypeKind::Enumeration);
    EXPECT_EQ(info->FindProp("Options")->Kind, TTypeKind::Set);
    EXPECT_EQ(info->FindProp("Buddy")->Kind, TTypeKind::Class);
    EXPECT_TRUE(info->FindProp("Buddy")->IsComponentRef);
    EXPECT_FALSE(info->FindProp("TextOptions")->IsComponentRef);
    EXPECT_EQ(FindClass("TNoSuchClass"), nullptr);
    EXPECT_THROW(GetClass("TNoSuchClass"), EClassNotFound);
    // The library's own classes are there without a program naming them.
    EXPECT_NE(FindClass("TDataModule"), nullptr);
}

// A property stored by a rule on the instance that is no method of the
// class, as a control's Color is stored only when it is not the parent's.
class TTestSwatch : public TComponent {
    MENVARO_CLASS(TTestSwatch, TComponent)
public:
    explicit TTestSwatch(TComponent* owner) : TComponent(owner) {}
    int Tint = 0;
    bool ParentTint = true;
};

MENVARO_CLASS_INFO(TTestSwatch) {
    c.Prop("Tint", &TTestSwatch::Tint, &TTestSwatch::Tint).Default(0).Stored([](const TTestSwatch& s) {
        return !s.ParentTint;
    });
    c.Prop("ParentTint", &TTestSwatch::ParentTint, &TTestSwatch::ParentTint).Default(true);
}

TEST(TypeInfo, AStoredPredicateDecidesWhatIsWrittenAndReadBack) {
    TOwned<TTestSwatch> swatch(Create<TTestSwatch>(nullptr));
    swatch->SetName("Swatch1");
    swatch->Tint = 7;
    // The predicate says no: a value that differs from the default stays out.
    EXPECT_EQ(WriteComponentText(swatch.get()), "object Swatch1: TTestSwatch\nend\n");

    swatch->ParentTint = false;
    const std::string text = WriteComponentText(swatch.get());
    EXPECT_EQ(text, "object Swatch1: TTestSwatch\n  Tint = 7\n  ParentTint = False\nend\n");
    TOwned<TTestSwatch> again(Create<TTestSwatch>(nullptr));
    ReadComponentText(again.get(), text, "swatch.form");
    EXPECT_EQ(again->Tint, 7);
    EXPECT_FALSE(again->ParentTint);

    // Stored does not override the default: the default value is still left out.
    swatch->Tint = 0;
    EXPECT_EQ(WriteComponentText(swatch.get()), "object Swatch1: TTestSwatch\n  ParentTint = False\nend\n");
}

// A class that publishes fewer properties than its ancestor.
class TTestPlainSwatch : public TTestSwatch {
    MENVARO_CLASS(TTestPlainSwatch, TTestSwatch)
public:
    using TTestSwatch::TTestSwatch;
};

MENVARO_CLASS_INFO(TTestPlainSwatch) { c.Unpublish({"ParentTint", "Tag"}); }

TEST(TypeInfo, AnUnpublishedPropertyIsNeitherReadNorWritten) {
    const TClassInfo& info = TTestPlainSwatch::StaticClass();
    EXPECT_EQ(info.FindProp("parenttint"), nullptr);
    EXPECT_EQ(info.FindProp("Tag"), nullptr);
    EXPECT_NE(info.FindProp("Tint"), nullptr);
    EXPECT_NE(TTestSwatch::StaticClass().FindProp("ParentTint"), nullptr);  // the ancestor keeps it
    std::vector<std::string> names;
    for (const TPropInfo* p : info.AllProps()) names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "Tint"}));

    TOwned<TTestPlainSwatch> swatch(Create<TTestPlainSwatch>(nullptr));
    swatch->SetName("Swatch1");
    swatch->ParentTint = false;
    swatch->Tint = 7;
    swatch->SetTag(3);
    EXPECT_EQ(WriteComponentText(swatch.get()), "object Swatch1: TTestPlainSwatch\n  Tint = 7\nend\n");
    TOwned<TTestPlainSwatch> again(Create<TTestPlainSwatch>(nullptr));
    EXPECT_EQ(test::ErrorMessage<EFormError>([&] {
                  ReadComponentText(again.get(), "object Swatch1: TTestPlainSwatch\n  ParentTint = False\nend\n",
                                    "plain.form");
              }),
              "plain.form:2: Swatch1.ParentTint: class TTestPlainSwatch has no property 'ParentTint'");
    // An inherited property can be taken off only when there is one.
    EXPECT_THROW(
        {
            TClassInfo probe;
            probe.ParentOf = &TTestSwatch::StaticClass;
            TClassBuilder<TTestPlainSwatch>(probe).Unpublish({"NoSuchProperty"});
        },
        EPropertyError);
}

TEST(Events, BoundMethodsCompareByObjectAndCode) {
    TOwned<TTestRoot> root(Create<TTestRoot>(nullptr));
    auto e1 = TNotifyEvent::Bind<&TTestRoot::ThingChange>(root.get());
    auto e2 = TNotifyEvent::Bind<&TTestRoot::ThingChange>(root.get());
    EXPECT_TRUE(e1 == e2);
    EXPECT_TRUE(e1.Assigned());
    TNotifyEvent none;
    EXPECT_FALSE(none.Assigned());
    EXPECT_THROW(none(nullptr), EInvalidOperation);
    int calls = 0;
    TNotifyEvent lambda = [&](TObject*) { ++calls; };
    lambda(nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(lambda.IsClosure());
}

}  // namespace
}  // namespace menvaro
