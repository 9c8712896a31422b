// Events: method pointers (code plus object) as the class library's
// "procedure of object" types, so that a form resource can bind a handler
// by its published name and a writer can name it back. Code may also assign
// any callable; such a handler has no name and is never streamed.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "base/Exceptions.h"

namespace menvaro {

class TObject;

template <class Sig>
class TEvent;

template <class R, class... A>
class TEvent<R(A...)> {
public:
    // The code half: a plain function taking the object first.
    using Thunk = R (*)(TObject*, A...);

    TEvent() = default;
    TEvent(std::nullptr_t) {}

    // A method M of `object`: TNotifyEvent::Bind<&TDM::ExportAll>(dm).
    template <auto M, class C>
    static TEvent Bind(C* object) {
        TEvent e;
        e.data_ = object;
        e.code_ = &Call<C, M>;
        return e;
    }

    // Rebuilds an event from its two halves (the form reader does this).
    static TEvent FromCode(TObject* data, Thunk code) {
        TEvent e;
        e.data_ = data;
        e.code_ = code;
        return e;
    }

    // Any callable with a matching signature.
    template <class F>
    requires(!std::is_same_v<std::decay_t<F>, TEvent> && !std::is_same_v<std::decay_t<F>, std::nullptr_t> &&
             std::is_invocable_r_v<R, F&, A...>) TEvent(F&& f)
        : fn_(std::make_shared<std::function<R(A...)>>(std::forward<F>(f))) {}

    bool Assigned() const { return code_ != nullptr || fn_ != nullptr; }
    explicit operator bool() const { return Assigned(); }

    R operator()(A... args) const {
        if (code_) return code_(data_, std::forward<A>(args)...);
        if (fn_) return (*fn_)(std::forward<A>(args)...);
        throw EInvalidOperation("Unassigned event called");
    }

    // The thunk that calls method M of class C (published method tables).
    template <class C, auto M>
    static Thunk ThunkOf() {
        return &Call<C, M>;
    }

    TObject* Data() const { return data_; }
    Thunk Code() const { return code_; }
    bool IsClosure() const { return fn_ != nullptr; }

    bool operator==(const TEvent& o) const { return data_ == o.data_ && code_ == o.code_ && fn_ == o.fn_; }

private:
    template <class C, auto M>
    static R Call(TObject* o, A... args) {
        return (static_cast<C*>(o)->*M)(std::forward<A>(args)...);
    }

    TObject* data_ = nullptr;
    Thunk code_ = nullptr;
    std::shared_ptr<std::function<R(A...)>> fn_;
};

using TNotifyEvent = TEvent<void(TObject* Sender)>;

}  // namespace menvaro
