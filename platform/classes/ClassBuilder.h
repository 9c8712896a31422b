// Describing a class for the type system, in its .cpp file:
//
//   MENVARO_CLASS_INFO(TMyPanel) {
//       c.Prop("Caption", &TMyPanel::Caption, &TMyPanel::SetCaption);
//       c.Prop("BevelWidth", &TMyPanel::BevelWidth, &TMyPanel::SetBevelWidth).Default(1);
//       c.Prop("Font", &TMyPanel::Font);                   // nested object, read only
//       c.Event("OnResize", &TMyPanel::OnResize);
//       MENVARO_PUBLISHED_FIELDS(Label1, Button1);          // components found by name
//       MENVARO_PUBLISHED_METHODS(Button1Click);            // handlers bound by name
//   }
//
// An ordinal property without Default() is always stored; Default(v) stores
// it only when it differs from v; Stored(...) overrides both: a constant, a
// const member function answering bool, or a predicate on the instance
// (.Stored([](const TMyPanel& p) { return !p.ParentFont(); })). Strings are
// stored when not empty, floats when not 0. A derived class changes an
// inherited property's default with c.Redeclare("Color").Default(x).
// Clamp(lo, hi) brings an integer a form file gives into [lo, hi] instead
// of refusing it.
#pragma once

#include <initializer_list>
#include <limits>
#include <string>
#include <type_traits>
#include <typeinfo>

#include "base/Variant.h"
#include "classes/Classes.h"
#include "classes/Events.h"
#include "classes/TypeInfo.h"

namespace menvaro {

class TCollection;
class TCollectionItem;

namespace typeinfo_detail {

template <class C>
C* Self(void* p) {
    if constexpr (std::is_base_of_v<TObject, C>)
        return static_cast<C*>(static_cast<TObject*>(p));
    else
        return static_cast<C*>(p);
}

template <class T>
TInstance InstanceOf(T* p) {
    if (!p) return {};
    if constexpr (std::is_base_of_v<TObject, T>)
        return {static_cast<void*>(static_cast<TObject*>(p)), &p->ClassType()};
    else
        return {static_cast<void*>(p), &ForeignClassOf<T>()};
}

template <class T>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {
    using Element = E;
};

template <class G>
struct GetterValue;
template <class R, class B>
struct GetterValue<R (B::*)() const> {
    using type = std::remove_cvref_t<R>;
};
template <class R, class B>
struct GetterValue<R (B::*)() const noexcept> {
    using type = std::remove_cvref_t<R>;
};
template <class R, class B>
requires(!std::is_function_v<R>) struct GetterValue<R B::*> {
    using type = std::remove_cvref_t<R>;
};

template <class C, class G>
auto Getter(G g) {
    if constexpr (std::is_member_function_pointer_v<G>)
        return [g](void* p) { return (Self<C>(p)->*g)(); };
    else
        return [g](void* p) { return Self<C>(p)->*g; };
}

template <class C, class V, class S>
auto Setter(S s) {
    if constexpr (std::is_member_function_pointer_v<S>)
        return [s](void* p, V v) { (Self<C>(p)->*s)(std::move(v)); };
    else
        return [s](void* p, V v) { Self<C>(p)->*s = std::move(v); };
}

template <class M>
struct MethodTraits;
template <class R, class B, class... A>
struct MethodTraits<R (B::*)(A...)> {
    using Event = TEvent<R(A...)>;
};

template <class C>
TComponent* ConstructComponent(TComponent* owner) {
    return Create<C>(owner);
}

template <class C>
TCollectionItem* ConstructItem(TCollection* collection) {
    return new C(collection);
}

}  // namespace typeinfo_detail

template <class C>
class TPropBuilder {
public:
    explicit TPropBuilder(TPropInfo& p) : p_(p) {}

    template <class V>
    TPropBuilder& Default(V v) {
        p_.HasDefault = true;
        if constexpr (typeinfo_detail::IsSet<V>::value)
            p_.Default = static_cast<std::int64_t>(v.Bits());
        else
            p_.Default = static_cast<std::int64_t>(v);
        return *this;
    }
    // An integer that a form file may give beyond [lo, hi]: it is clamped
    // into the range when read.
    TPropBuilder& Clamp(std::int64_t lo, std::int64_t hi) {
        p_.Clamped = true;
        p_.ClampMin = lo;
        p_.ClampMax = hi;
        return *this;
    }
    TPropBuilder& NoDefault() {
        p_.HasDefault = false;
        return *this;
    }
    TPropBuilder& Stored(bool stored) {
        p_.StoredConst = stored;
        p_.StoredFn = nullptr;
        return *this;
    }
    template <class B>
    TPropBuilder& Stored(bool (B::*fn)() const) {
        p_.StoredFn = [fn](void* p) { return (typeinfo_detail::Self<C>(p)->*fn)(); };
        return *this;
    }
    template <class F>
    requires(!std::is_member_function_pointer_v<F> &&
             std::is_invocable_r_v<bool, const F&, const C&>) TPropBuilder& Stored(F pred) {
        p_.StoredFn = [pred = std::move(pred)](void* p) -> bool { return pred(*typeinfo_detail::Self<C>(p)); };
        return *this;
    }
    TPropBuilder& Idents(const TIdentMap& map) {
        p_.Idents = &map;
        p_.TypeName = map.TypeName;
        return *this;
    }
    TPropInfo& Info() { return p_; }

private:
    TPropInfo& p_;
};

template <class C>
class TClassBuilder {
public:
    using Class = C;

    explicit TClassBuilder(TClassInfo& info) : info_(info) {}

    // A property read through `getter` and written through `setter`; each
    // is a member function or a data member.
    template <class G, class S>
    TPropBuilder<C> Prop(const char* name, G getter, S setter) {
        using V = typename typeinfo_detail::GetterValue<G>::type;
        return Add<V>(name, typeinfo_detail::Getter<C>(getter), typeinfo_detail::Setter<C, V>(setter));
    }
    // A property that is only read: nested objects (Font, TextOptions).
    template <class G>
    TPropBuilder<C> Prop(const char* name, G getter) {
        using V = typename typeinfo_detail::GetterValue<G>::type;
        return Add<V>(name, typeinfo_detail::Getter<C>(getter), nullptr);
    }

    // A property read and written through two callables (for classes whose
    // accessors do not fit the value type directly).
    template <class V>
    TPropBuilder<C> PropFn(const char* name, std::function<V(C&)> get, std::function<void(C&, V)> set) {
        std::function<V(void*)> g = [get](void* p) { return get(*typeinfo_detail::Self<C>(p)); };
        std::function<void(void*, V)> s;
        if (set) s = [set](void* p, V v) { set(*typeinfo_detail::Self<C>(p), std::move(v)); };
        return Add<V>(name, std::move(g), std::move(s));
    }

    // An event held in a data member.
    template <class Sig, class B>
    TPropBuilder<C> Event(const char* name, TEvent<Sig> B::*member) {
        using Ev = TEvent<Sig>;
        TPropInfo& p = info_.Props.emplace_back();
        p.Name = name;
        p.Kind = TTypeKind::Method;
        p.TypeName = "event";
        p.EventType = typeid(Ev);
        p.GetMethod = [member](void* o) {
            const Ev& e = typeinfo_detail::Self<C>(o)->*member;
            return TMethodValue{e.Data(), reinterpret_cast<void (*)()>(e.Code()), e.IsClosure()};
        };
        p.SetMethod = [member](void* o, const TMethodValue& m) {
            typeinfo_detail::Self<C>(o)->*member = m.Code ? Ev::FromCode(m.Data,
                                                                         reinterpret_cast<typename Ev::Thunk>(m.Code))
                                                          : Ev();
        };
        return TPropBuilder<C>(p);
    }

    // A published method, bound by name from a form file.
    template <auto M>
    void Method(const char* name) {
        using Ev = typename typeinfo_detail::MethodTraits<decltype(M)>::Event;
        info_.Methods.push_back({name, reinterpret_cast<void (*)()>(Ev::template ThunkOf<C, M>()), typeid(Ev)});
    }

    // A published field: set when a component of this name is owned.
    template <class T, class B>
    void Field(const char* name, T* B::*member) {
        TFieldEntry f;
        f.Name = name;
        f.ClassOf = &ClassOf<T>;
        f.Set = [member](TObject* self, TComponent* value) {
            T* typed = dynamic_cast<T*>(value);
            if (value && !typed) return false;
            static_cast<C*>(self)->*member = typed;
            return true;
        };
        f.Get = [member](TObject* self) -> TComponent* { return static_cast<C*>(self)->*member; };
        info_.Fields.push_back(std::move(f));
    }

    // Copies an inherited property into this class, to change its default
    // or stored rule here.
    TPropBuilder<C> Redeclare(const char* name) {
        const TClassInfo* parent = info_.Parent();
        const TPropInfo* base = parent ? parent->FindProp(name) : nullptr;
        if (!base) throw EPropertyError(info_.Name + ": no inherited property " + name + " to redeclare");
        TPropInfo& p = info_.Props.emplace_back(*base);
        return TPropBuilder<C>(p);
    }

    // Takes inherited properties off this class's published list, for a
    // class that publishes fewer than its ancestors.
    void Unpublish(std::initializer_list<const char*> names) {
        for (const char* name : names) Redeclare(name).Info().Unpublished = true;
    }

    // Defined (non-published) stream properties of a foreign class.
    void DefineProperties(std::function<void(C&, TFiler&)> fn) {
        info_.DefineProps = [fn](void* p, TFiler& f) { fn(*typeinfo_detail::Self<C>(p), f); };
    }

    TClassInfo& Info() { return info_; }

private:
    template <class V>
    TPropBuilder<C> Add(const char* name, std::function<V(void*)> get, std::function<void(void*, V)> set) {
        TPropInfo& p = info_.Props.emplace_back();
        p.Name = name;
        if constexpr (std::is_same_v<V, bool>) {
            p.Kind = TTypeKind::Boolean;
            p.TypeName = "Boolean";
            p.GetOrd = [get](void* o) -> std::int64_t { return get(o) ? 1 : 0; };
            if (set) p.SetOrd = [set](void* o, std::int64_t v) { set(o, v != 0); };
        } else if constexpr (std::is_enum_v<V>) {
            p.Kind = TTypeKind::Enumeration;
            p.Enum = &EnumInfoOf<V>();
            p.TypeName = p.Enum->Name;
            p.GetOrd = [get](void* o) { return static_cast<std::int64_t>(get(o)); };
            if (set) p.SetOrd = [set](void* o, std::int64_t v) { set(o, static_cast<V>(v)); };
        } else if constexpr (typeinfo_detail::IsSet<V>::value) {
            p.Kind = TTypeKind::Set;
            p.Enum = &EnumInfoOf<typename typeinfo_detail::IsSet<V>::Element>();
            p.TypeName = "set of " + p.Enum->Name;
            p.GetOrd = [get](void* o) { return static_cast<std::int64_t>(get(o).Bits()); };
            if (set) p.SetOrd = [set](void* o, std::int64_t v) { set(o, V::FromBits(static_cast<std::uint64_t>(v))); };
        } else if constexpr (std::is_same_v<V, char>) {
            p.Kind = TTypeKind::Char;
            p.TypeName = "Char";
            p.GetOrd = [get](void* o) { return static_cast<std::int64_t>(static_cast<unsigned char>(get(o))); };
            if (set) p.SetOrd = [set](void* o, std::int64_t v) { set(o, static_cast<char>(v)); };
        } else if constexpr (std::is_integral_v<V>) {
            p.Kind = TTypeKind::Integer;
            p.TypeName = "Integer";
            p.MinValue = static_cast<std::int64_t>(std::numeric_limits<V>::min());
            if constexpr (sizeof(V) < sizeof(std::int64_t) || std::is_signed_v<V>)
                p.MaxValue = static_cast<std::int64_t>(std::numeric_limits<V>::max());
            p.GetOrd = [get](void* o) { return static_cast<std::int64_t>(get(o)); };
            if (set) p.SetOrd = [set](void* o, std::int64_t v) { set(o, static_cast<V>(v)); };
        } else if constexpr (std::is_floating_point_v<V>) {
            p.Kind = TTypeKind::Float;
            p.TypeName = "Double";
            p.GetFloat = [get](void* o) { return static_cast<double>(get(o)); };
            if (set) p.SetFloat = [set](void* o, double v) { set(o, static_cast<V>(v)); };
        } else if constexpr (std::is_same_v<V, std::string>) {
            p.Kind = TTypeKind::String;
            p.TypeName = "String";
            p.GetStr = get;
            if (set) p.SetStr = [set](void* o, const std::string& v) { set(o, v); };
        } else if constexpr (std::is_same_v<V, Variant>) {
            p.Kind = TTypeKind::Variant;
            p.TypeName = "Variant";
            p.GetVar = get;
            if (set) p.SetVar = [set](void* o, const Variant& v) { set(o, v); };
        } else if constexpr (std::is_pointer_v<V> && std::is_class_v<std::remove_pointer_t<V>>) {
            using T = std::remove_const_t<std::remove_pointer_t<V>>;
            p.Kind = TTypeKind::Class;
            p.ClassOf = &ClassOf<T>;
            p.TypeName = "class";
            p.IsComponentRef = std::is_base_of_v<TComponent, T>;
            p.GetObj = [get](void* o) { return typeinfo_detail::InstanceOf(const_cast<T*>(get(o))); };
            if (set) {
                p.SetObj = [set](void* o, TInstance v) {
                    T* typed = nullptr;
                    if constexpr (std::is_base_of_v<TObject, T>)
                        typed = dynamic_cast<T*>(v.Object());
                    else
                        typed = static_cast<T*>(v.Ptr);
                    set(o, typed);
                };
            }
        } else {
            static_assert(sizeof(V) == 0, "property type not supported by the type system");
        }
        return TPropBuilder<C>(p);
    }

    TClassInfo& info_;
};

namespace typeinfo_detail {

template <class C>
TClassInfo* MakeClassInfo(const char* name, void (*describe)(TClassBuilder<C>&), bool foreign) {
    auto* info = new TClassInfo;  // lives for the whole program, like the class itself
    info->Name = name;
    info->IsTObject = !foreign;
    if constexpr (std::is_base_of_v<TObject, C> && !std::is_same_v<C, TObject>)
        info->ParentOf = &C::inherited::StaticClass;
    if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> && std::is_constructible_v<C, TComponent*>)
        info->ComponentFactory = &ConstructComponent<C>;
    if constexpr (std::is_base_of_v<TCollectionItem, C> && !std::is_abstract_v<C> &&
                  std::is_constructible_v<C, TCollection*>)
        info->ItemFactory = &ConstructItem<C>;
    TClassBuilder<C> builder(*info);
    describe(builder);
    return info;
}

}  // namespace typeinfo_detail

// Expansion helpers for the variadic macros below.
#define MENVARO_PARENS ()
#define MENVARO_EXPAND(...) MENVARO_EXPAND4(MENVARO_EXPAND4(MENVARO_EXPAND4(MENVARO_EXPAND4(__VA_ARGS__))))
#define MENVARO_EXPAND4(...) MENVARO_EXPAND3(MENVARO_EXPAND3(MENVARO_EXPAND3(MENVARO_EXPAND3(__VA_ARGS__))))
#define MENVARO_EXPAND3(...) MENVARO_EXPAND2(MENVARO_EXPAND2(MENVARO_EXPAND2(MENVARO_EXPAND2(__VA_ARGS__))))
#define MENVARO_EXPAND2(...) MENVARO_EXPAND1(MENVARO_EXPAND1(MENVARO_EXPAND1(MENVARO_EXPAND1(__VA_ARGS__))))
#define MENVARO_EXPAND1(...) __VA_ARGS__
#define MENVARO_FOR_EACH(macro, arg, ...) __VA_OPT__(MENVARO_EXPAND(MENVARO_FOR_EACH_HELPER(macro, arg, __VA_ARGS__)))
#define MENVARO_FOR_EACH_HELPER(macro, arg, a1, ...) \
    macro(arg, a1) __VA_OPT__(MENVARO_FOR_EACH_AGAIN MENVARO_PARENS(macro, arg, __VA_ARGS__))
#define MENVARO_FOR_EACH_AGAIN() MENVARO_FOR_EACH_HELPER

// Describes class Self (declared with MENVARO_CLASS) and registers it; the
// body that follows sees the builder as `c`.
#define MENVARO_CLASS_INFO(Self)                                                                                   \
    static void menvaro_describe_##Self(::menvaro::TClassBuilder<Self>& c);                                        \
    const ::menvaro::TClassInfo& Self::StaticClass() {                                                             \
        static ::menvaro::TClassInfo* info = ::menvaro::typeinfo_detail::MakeClassInfo<Self>(                      \
            #Self, &menvaro_describe_##Self, false);                                                               \
        return *info;                                                                                              \
    }                                                                                                              \
    [[maybe_unused]] static const bool menvaro_registered_##Self = (::menvaro::RegisterClass(Self::StaticClass()), \
                                                                    true);                                         \
    static void menvaro_describe_##Self([[maybe_unused]] ::menvaro::TClassBuilder<Self>& c)

// Describes foreign class T under the name Name; used inside namespace menvaro.
#define MENVARO_FOREIGN_CLASS_INFO(T, Name)                                                \
    static void menvaro_describe_foreign_##T(::menvaro::TClassBuilder<T>& c);              \
    template <>                                                                            \
    const ::menvaro::TClassInfo& ForeignClassOf<T>() {                                     \
        static ::menvaro::TClassInfo* info = ::menvaro::typeinfo_detail::MakeClassInfo<T>( \
            Name, &menvaro_describe_foreign_##T, true);                                    \
        return *info;                                                                      \
    }                                                                                      \
    static void menvaro_describe_foreign_##T([[maybe_unused]] ::menvaro::TClassBuilder<T>& c)

#define MENVARO_PUBLISHED_FIELD_(c, name) c.Field(#name, &std::remove_reference_t<decltype(c)>::Class::name);
#define MENVARO_PUBLISHED_METHOD_(c, name) c.template Method<&std::remove_reference_t<decltype(c)>::Class::name>(#name);
// Inside MENVARO_CLASS_INFO: published fields and methods by their names.
#define MENVARO_PUBLISHED_FIELDS(...) MENVARO_FOR_EACH(MENVARO_PUBLISHED_FIELD_, c, __VA_ARGS__)
#define MENVARO_PUBLISHED_METHODS(...) MENVARO_FOR_EACH(MENVARO_PUBLISHED_METHOD_, c, __VA_ARGS__)

// Enumerations (declared with MENVARO_DECLARE_ENUM): define with every value,
// in any order, in the .cpp. Values must run from 0 without gaps.
#define MENVARO_ENUM_ENTRY_(E, v) {static_cast<int>(v), #v},
#define MENVARO_SCOPED_ENUM_ENTRY_(E, v) {static_cast<int>(E::v), #v},
#define MENVARO_DEFINE_ENUM(E, ...)                                                        \
    template <>                                                                            \
    const ::menvaro::TEnumInfo& EnumInfoOf<E>() {                                          \
        static const ::menvaro::TEnumInfo info = ::menvaro::typeinfo_detail::MakeEnumInfo( \
            #E, {MENVARO_FOR_EACH(MENVARO_ENUM_ENTRY_, E, __VA_ARGS__)});                  \
        return info;                                                                       \
    }
#define MENVARO_DEFINE_SCOPED_ENUM(E, ...)                                                 \
    template <>                                                                            \
    const ::menvaro::TEnumInfo& EnumInfoOf<E>() {                                          \
        static const ::menvaro::TEnumInfo info = ::menvaro::typeinfo_detail::MakeEnumInfo( \
            #E, {MENVARO_FOR_EACH(MENVARO_SCOPED_ENUM_ENTRY_, E, __VA_ARGS__)});           \
        return info;                                                                       \
    }

namespace typeinfo_detail {
TEnumInfo MakeEnumInfo(const char* name, std::initializer_list<std::pair<int, const char*>> entries);
}

}  // namespace menvaro
