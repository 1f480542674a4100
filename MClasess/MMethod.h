#ifndef PELMORA_MCLASESS_MMETHOD_H
#define PELMORA_MCLASESS_MMETHOD_H

// A bound handler: one object together with one of its methods, the form every event of the
// class library takes. Handlers are compared for identity (same object, same method), so a
// listener can be found and removed by value, and they are trivially copyable, so lists move
// them as raw bytes.
//
//     auto handler = MMethod<void(int, int, int)>::Of<&Listener::Changed>(&listener);
//     if (handler) handler(0, 2, 0);
//
// Each bound method gets its own small forwarding function (the thunk); its address stands for
// the method, which keeps a handler two words wide and its comparison a plain memberwise one.

#include <type_traits>
#include <utility>

namespace mmethod_detail {

template <class MethodPointer>
struct MethodClass;

// The class whose object a method needs, const for const methods.
#define PELMORA_MMETHOD_CLASS(qualifiers, objectType)                                                                  \
    template <class R, class C, class... A>                                                                            \
    struct MethodClass<R (C::*)(A...) qualifiers> {                                                                    \
        using Type = objectType;                                                                                       \
    };
PELMORA_MMETHOD_CLASS(, C)
PELMORA_MMETHOD_CLASS(const, const C)
PELMORA_MMETHOD_CLASS(noexcept, C)
PELMORA_MMETHOD_CLASS(const noexcept, const C)
#undef PELMORA_MMETHOD_CLASS

}  // namespace mmethod_detail

template <class Signature>
class MMethod;

template <class R, class... A>
class MMethod<R(A...)> {
public:
    using Thunk = R (*)(void*, A...);

    // The object the method is called on; null while the handler is unset.
    void* object = nullptr;
    // Calls the bound method on object; null while the handler is unset.
    Thunk thunk = nullptr;

    // Binds Method to objectPointer. A pointer to a derived object binds the same handler as the
    // pointer to its base, so the two compare equal.
    template <auto Method>
    static MMethod Of(typename mmethod_detail::MethodClass<decltype(Method)>::Type* objectPointer) noexcept
    {
        using Object = typename mmethod_detail::MethodClass<decltype(Method)>::Type;
        MMethod handler;
        handler.object = const_cast<void*>(static_cast<const void*>(objectPointer));
        handler.thunk = &CallMethod<Method, Object>;
        return handler;
    }

    explicit operator bool() const noexcept { return thunk != nullptr; }

    // Calls the bound method. The handler must be set: lists test it before every call.
    R operator()(A... arguments) const { return thunk(object, std::forward<A>(arguments)...); }

    friend bool operator==(const MMethod& left, const MMethod& right) noexcept = default;

private:
    template <auto Method, class Object>
    static R CallMethod(void* objectPointer, A... arguments)
    {
        return (static_cast<Object*>(objectPointer)->*Method)(std::forward<A>(arguments)...);
    }
};

template <class T>
inline constexpr bool IsMMethod = false;
template <class R, class... A>
inline constexpr bool IsMMethod<MMethod<R(A...)>> = true;

#endif
