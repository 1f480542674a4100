#ifndef PELMORA_MCLASESS_MLISTSTREAMRECORD_H
#define PELMORA_MCLASESS_MLISTSTREAMRECORD_H

// The stream form of list elements and of the list headers.
//
// Byte order is little-endian and fields follow each other without padding. An element is
// stored as its record: by default the element's own bytes (the model records, colours and
// numbers), with these exceptions, which keep the files of 32-bit builds readable:
//   pointer           4 bytes: the low 32 bits of the address; loads as null
//   bound handler     8 bytes: low 32 bits of the method's thunk, then of the object; loads unset
//   MPoint<T>         3 * sizeof(T): sizeof(T) filler bytes written as zeros, then x and y
// Addresses mean nothing in another process, so pointer and handler records are written for
// the record's size only and never turned back into addresses.

#include "MMethod.h"
#include "MPoint.h"
#include "MStream.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

static_assert(std::endian::native == std::endian::little,
              "element records are the elements' memory images, which are little-endian only here");

inline void MStreamWriteInt32(MStream& MS, std::int32_t value) { MS.Write(&value, sizeof value); }

inline std::int32_t MStreamReadInt32(MStream& MS)
{
    std::int32_t value = 0;
    MS.Read(&value, sizeof value);
    return value;
}

inline void MStreamWriteFlag(MStream& MS, bool flag)
{
    const std::uint8_t byte = flag ? 1 : 0;
    MS.Write(&byte, 1);
}

// Any byte other than 0 reads as true.
inline bool MStreamReadFlag(MStream& MS)
{
    std::uint8_t byte = 0;
    MS.Read(&byte, 1);
    return byte != 0;
}

template <class T>
struct MStreamRecord {
    static constexpr std::size_t Size = sizeof(T);
    // The record is the element's memory image, so a whole payload moves in one transfer.
    static constexpr bool Image = true;
    static void Write(MStream& MS, const T& value) { MS.Write(&value, sizeof(T)); }
    static void Read(MStream& MS, T& value) { MS.Read(&value, sizeof(T)); }
};

template <class U>
struct MStreamRecord<U*> {
    static constexpr std::size_t Size = 4;
    static constexpr bool Image = false;
    static void Write(MStream& MS, U* const& value)
    {
        MStreamWriteInt32(MS, static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(value)));
    }
    static void Read(MStream& MS, U*& value)
    {
        MStreamReadInt32(MS);
        value = nullptr;
    }
};

template <class R, class... A>
struct MStreamRecord<MMethod<R(A...)>> {
    static constexpr std::size_t Size = 8;
    static constexpr bool Image = false;
    static void Write(MStream& MS, const MMethod<R(A...)>& value)
    {
        MStreamWriteInt32(MS, static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(value.thunk)));
        MStreamWriteInt32(MS, static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(value.object)));
    }
    static void Read(MStream& MS, MMethod<R(A...)>& value)
    {
        MStreamReadInt32(MS);
        MStreamReadInt32(MS);
        value = {};
    }
};

template <class T>
struct MStreamRecord<MPoint<T>> {
    static constexpr std::size_t Size = 3 * sizeof(T);
    static constexpr bool Image = false;
    static void Write(MStream& MS, const MPoint<T>& value)
    {
        const unsigned char filler[sizeof(T)] = {};
        MS.Write(filler, sizeof filler);
        MS.Write(&value.x, sizeof(T));
        MS.Write(&value.y, sizeof(T));
    }
    static void Read(MStream& MS, MPoint<T>& value)
    {
        unsigned char filler[sizeof(T)];
        MS.Read(filler, sizeof filler);
        MS.Read(&value.x, sizeof(T));
        MS.Read(&value.y, sizeof(T));
    }
};

template <class T>
void MStreamWritePayload(MStream& MS, const T* data, std::int32_t count)
{
    if (count <= 0)
        return;
    if constexpr (MStreamRecord<T>::Image) {
        MS.Write(data, static_cast<std::size_t>(count) * sizeof(T));
    } else {
        for (std::int32_t i = 0; i < count; ++i)
            MStreamRecord<T>::Write(MS, data[i]);
    }
}

template <class T>
void MStreamReadPayload(MStream& MS, T* data, std::int32_t count)
{
    if (count <= 0)
        return;
    if constexpr (MStreamRecord<T>::Image) {
        MS.Read(data, static_cast<std::size_t>(count) * sizeof(T));
    } else {
        for (std::int32_t i = 0; i < count; ++i)
            MStreamRecord<T>::Read(MS, data[i]);
    }
}

// Whether a stream positioned after a list header can supply a list of count elements. A
// negative count, or a payload that would run past the end of the stream, is refused before
// anything is allocated for it.
template <class T>
bool MStreamCountFits(const MStream& MS, std::int32_t count, bool bData)
{
    if (count < 0)
        return false;
    return !bData
        || static_cast<std::int64_t>(count) * static_cast<std::int64_t>(MStreamRecord<T>::Size) <= MS.Remaining();
}

#endif
