// Intrusive reference counting for every object that crosses a subsystem.
//
// An interface is an abstract class deriving virtually from IInterface and
// carrying its GUID as `static constexpr TGUID IID`. An implementation derives
// from TInterfacedObject and from the interfaces it offers; the last Ref<>
// that lets go of it deletes it. Quillet's own code is single-threaded, so
// the count is a plain integer.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

struct TGUID {
    uint32_t D1 = 0;
    uint16_t D2 = 0;
    uint16_t D3 = 0;
    uint8_t D4[8] = {0, 0, 0, 0, 0, 0, 0, 0};

    friend constexpr bool operator==(const TGUID& A, const TGUID& B)
    {
        if (A.D1 != B.D1 || A.D2 != B.D2 || A.D3 != B.D3)
            return false;
        for (int i = 0; i < 8; ++i)
            if (A.D4[i] != B.D4[i])
                return false;
        return true;
    }
    bool IsEmpty() const { return *this == TGUID{}; }
    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
    std::string ToString() const;
    // Parses the form ToString writes (braces optional); false on bad text.
    static bool TryParse(const std::string& Text, TGUID& Out);
    // A new random (version 4) GUID.
    static TGUID Create();
};

class IInterface {
public:
    static constexpr TGUID IID{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    virtual void _AddRef() const noexcept = 0;
    virtual void _Release() const noexcept = 0;
    virtual int RefCount() const noexcept = 0;

protected:
    virtual ~IInterface() = default;
};

class TInterfacedObject : public virtual IInterface {
public:
    TInterfacedObject() = default;
    TInterfacedObject(const TInterfacedObject&) : IInterface() {}
    TInterfacedObject& operator=(const TInterfacedObject&) { return *this; }

    void _AddRef() const noexcept override { ++FRefCount; }
    void _Release() const noexcept override
    {
        if (--FRefCount == 0)
            delete this;
    }
    int RefCount() const noexcept override { return FRefCount; }

protected:
    ~TInterfacedObject() override = default;

private:
    mutable int FRefCount = 0;
};

// Counted reference to T (an interface or an implementation class).
template <class T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}
    Ref(T* P) noexcept : FPtr(P) { Acquire(); }
    Ref(const Ref& Other) noexcept : FPtr(Other.FPtr) { Acquire(); }
    Ref(Ref&& Other) noexcept : FPtr(std::exchange(Other.FPtr, nullptr)) {}
    template <class U>
    Ref(const Ref<U>& Other) noexcept : FPtr(Other.get()) { Acquire(); }
    ~Ref() { Drop(); }

    Ref& operator=(const Ref& Other) noexcept
    {
        Ref(Other).swap(*this);
        return *this;
    }
    Ref& operator=(Ref&& Other) noexcept
    {
        Ref(std::move(Other)).swap(*this);
        return *this;
    }
    Ref& operator=(std::nullptr_t) noexcept
    {
        Drop();
        return *this;
    }

    T* get() const noexcept { return FPtr; }
    T* operator->() const noexcept { return FPtr; }
    T& operator*() const noexcept { return *FPtr; }
    explicit operator bool() const noexcept { return FPtr != nullptr; }
    void swap(Ref& Other) noexcept { std::swap(FPtr, Other.FPtr); }

    friend bool operator==(const Ref& A, const Ref& B) { return A.FPtr == B.FPtr; }
    friend bool operator==(const Ref& A, std::nullptr_t) { return A.FPtr == nullptr; }

private:
    void Acquire() noexcept
    {
        if (FPtr)
            static_cast<const IInterface*>(FPtr)->_AddRef();
    }
    void Drop() noexcept
    {
        if (T* P = std::exchange(FPtr, nullptr))
            static_cast<const IInterface*>(P)->_Release();
    }
    T* FPtr = nullptr;
};

template <class T, class... Args>
Ref<T> MakeRef(Args&&... A)
{
    return Ref<T>(new T(std::forward<Args>(A)...));
}

// The interface query: the object behind Source as a T, or nil.
template <class T, class U>
Ref<T> Supports(const Ref<U>& Source)
{
    return Ref<T>(dynamic_cast<T*>(Source.get()));
}
template <class T, class U>
bool Supports(const Ref<U>& Source, Ref<T>& Out)
{
    Out = Supports<T>(Source);
    return bool(Out);
}
