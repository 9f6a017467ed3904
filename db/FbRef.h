#pragma once

#include <type_traits>
#include <utility>

namespace Firebird {
class IReferenceCounted;
class IDisposable;
} // namespace Firebird

namespace qm::db {

// Owns one object of the Firebird client: a reference-counted one (attachment, transaction,
// statement, result set, metadata, builder) is released and a disposable one (status, XPB
// builder) disposed when the owner goes. Movable, not copyable.
template <class T> class Ref {
public:
    Ref() = default;
    explicit Ref(T* object) : object_(object) {}
    ~Ref() { reset(); }
    Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    Ref& operator=(Ref&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.object_, nullptr));
        return *this;
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // Lets go of the object without releasing it: the closing calls of the client (commit,
    // rollback, detach, free, close) release it themselves when they succeed.
    T* forget() { return std::exchange(object_, nullptr); }

    void reset(T* object = nullptr) {
        if (T* old = std::exchange(object_, object))
            drop(old);
    }

private:
    static void drop(T* object) {
        if constexpr (std::is_base_of_v<Firebird::IReferenceCounted, T>)
            object->release();
        else
            object->dispose();
    }

    T* object_ = nullptr;
};

// Ends the object with its closing call. On success the client has let go of it; when the call
// fails (the attachment is lost, say) the object is released all the same and the error
// propagates.
template <class T, class Call> void end(Ref<T>& ref, Call&& closingCall) {
    if (!ref)
        return;
    closingCall(ref.get());
    ref.forget();
}

} // namespace qm::db
