#include <gtest/gtest.h>

#include <string>

#include "rtl/SymbolNames.h"

using namespace menvaro;

TEST(SymbolNames, FunctionNamesLoseEverythingButTheQualifiedName) {
    const struct {
        const char* symbol;
        const char* name;
    } cases[] = {
        {"main", "main"},
        {"_Z3foov", "foo"},
        {"_ZN7menvaro5TList3AddEPv", "menvaro::TList::Add"},
        {"_ZNK7menvaro5TList5CountEv", "menvaro::TList::Count"},  // const
        {"_Z3fooIiEvT_", "foo<int>"},                             // a template's return type
        {"_Z3fooIiEPKcT_", "foo<int>"},
        {"_ZN12_GLOBAL__N_13barEi", "(anonymous namespace)::bar"},
        {"_ZZ4mainENKUlvE_clEv", "main::{lambda()#1}::operator()"},
        {"_ZN1AplERKS_", "A::operator+"},
        {"_ZN1AltERKS_", "A::operator<"},
        {"_ZN1AlsEi", "A::operator<<"},
        {"_ZN1AclEv", "A::operator()"},
        {"_ZN1AixEi", "A::operator[]"},
        {"_ZN1AnwEm", "A::operator new"},
        {"_ZN1AdaEPv", "A::operator delete[]"},
        {"_ZNK1AcviEv", "A::operator int"},
        {"_ZNK1AcvSt6vectorIiSaIiEEEv", "A::operator std::vector<int, std::allocator<int> >"},
        {"_Z3foov.cold", "foo"},
        {"_Z3fooi.constprop.0.isra.0", "foo"},
        {"_ZN1A3getB5cxx11Ev", "A::get"},  // an ABI tag
        {"_ZN1AC2Ev", "A::A"},
        {"_ZN1AD1Ev", "A::~A"},
        {"_ZN1A1fEPFviE", "A::f"},  // a function pointer parameter
        {"not_mangled_Zx", "not_mangled_Zx"},
        {"_Zbroken", "_Zbroken"},
    };
    for (const auto& c : cases) EXPECT_EQ(FunctionName(c.symbol), c.name) << c.symbol;
}

TEST(SymbolNames, TheScopeEndsAtTheLastSeparatorOutsideBrackets) {
    const struct {
        const char* qualified;
        const char* scope;
        const char* name;
    } cases[] = {
        {"f", "", "f"},
        {"ns::T::f", "ns::T", "f"},
        {"ns::T<a::b, c::d>::f", "ns::T<a::b, c::d>", "f"},
        {"(anonymous namespace)::EThing", "(anonymous namespace)", "EThing"},
        {"main::{lambda()#1}::operator()", "main::{lambda()#1}", "operator()"},
        {"A::operator std::string", "A", "operator std::string"},
        {"std::map<int, std::vector<int> >", "std", "map<int, std::vector<int> >"},
        {"::f", "", "f"},
    };
    for (const auto& c : cases) {
        const TScopedName s = SplitScope(c.qualified);
        EXPECT_EQ(s.Scope, c.scope) << c.qualified;
        EXPECT_EQ(s.Name, c.name) << c.qualified;
    }
    EXPECT_EQ(WithoutScope("menvaro::EConvertError"), "EConvertError");
    EXPECT_EQ(Demangle("_ZN7menvaro5TListE"), "menvaro::TList");
}

TEST(SymbolNames, CutsStayOnCharacterBoundaries) {
    const std::string text = "ab\xE4\xB8\xAD\xE6\x96\x87";  // "ab" and two three-byte characters
    EXPECT_EQ(CutUtf8(text, 100), text);
    EXPECT_EQ(CutUtf8(text, 8), text);
    EXPECT_EQ(CutUtf8(text, 7), "ab\xE4\xB8\xAD");
    EXPECT_EQ(CutUtf8(text, 5), "ab\xE4\xB8\xAD");
    EXPECT_EQ(CutUtf8(text, 4), "ab");
    EXPECT_EQ(CutUtf8(text, 2), "ab");
    EXPECT_EQ(CutUtf8(text, 0), "");
}
