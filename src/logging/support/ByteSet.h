#pragma once
#include <cstdint>
#include <initializer_list>

// A set of a small enumeration held in one byte, bit n standing for enumerator n.
template <class E> class TByteSet {
public:
    constexpr TByteSet() = default;
    constexpr TByteSet(std::initializer_list<E> items) {
        for (auto e : items)
            FBits = static_cast<uint8_t>(FBits | Bit(e));
    }
    static constexpr TByteSet FromByte(uint8_t bits) {
        TByteSet s;
        s.FBits = bits;
        return s;
    }
    constexpr uint8_t Byte() const { return FBits; }
    constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    void Include(E e) { FBits = static_cast<uint8_t>(FBits | Bit(e)); }
    void Exclude(E e) { FBits = static_cast<uint8_t>(FBits & ~Bit(e)); }
    constexpr TByteSet operator+(TByteSet other) const { return FromByte(FBits | other.FBits); }
    constexpr bool operator==(const TByteSet& other) const = default;

private:
    static constexpr uint8_t Bit(E e) { return static_cast<uint8_t>(1u << e); }
    uint8_t FBits = 0;
};
