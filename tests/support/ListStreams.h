#ifndef PELMORA_TESTS_SUPPORT_LISTSTREAMS_H
#define PELMORA_TESTS_SUPPORT_LISTSTREAMS_H

// The stream forms of the lists for tests: saved bytes, the bytes of records, and loads of
// random or cut streams into a list that must come out sound, holding either the whole stream
// or what it held before.
//
// The two forms: a base list (MListSimple) writes its count and current index (4 + 4 bytes), a
// list (MList) its sorting and repeat flags (1 + 1 byte) and its count (4 bytes); the records
// follow.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <random>
#include <vector>

#include "MList.h"
#include "MListSimple.h"
#include "MListStreamRecord.h"
#include "MPoint.h"
#include "MStream.h"

using Bytes = std::vector<std::uint8_t>;

template <class List>
Bytes Saved(List& list, bool bData)
{
    MMemoryStream stream;
    EXPECT_TRUE(list.SaveToStream(&stream, bData));
    return stream.Bytes();
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

template <class T>
Bytes ImageOf(const T& value)
{
    Bytes bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

// The elements' bytes as they lie in the list.
template <class T>
Bytes Image(const MListSimple<T>& list)
{
    Bytes bytes(static_cast<std::size_t>(list.FCount) * sizeof(T));
    if (!bytes.empty())
        std::memcpy(bytes.data(), list.Data, bytes.size());
    return bytes;
}

template <class T>
void ExpectSound(const MListSimple<T>& list)
{
    ASSERT_GE(list.FCount, 0);
    ASSERT_LE(list.FCount, list.FCountMax);
    ASSERT_EQ(list.FCount, list.FCountInit);
    ASSERT_EQ(list.FCountMax == 0, list.Data == nullptr);
}

inline std::int32_t CountAt(const Bytes& bytes, std::size_t offset)
{
    std::int32_t count = 0;
    std::memcpy(&count, bytes.data() + offset, 4);
    return count;
}

// Whether a stream holds a whole list: a header, a count that is not negative and, with data,
// every record.
inline bool Loadable(const Bytes& bytes, std::size_t header, std::size_t countOffset, std::size_t recordSize,
                     bool bData)
{
    if (bytes.size() < header)
        return false;
    const std::int32_t count = CountAt(bytes, countOffset);
    return count >= 0 && (!bData || header + static_cast<std::uint64_t>(count) * recordSize <= bytes.size());
}

// Loads the bytes in the base form: the whole list, or an empty one.
template <class T>
void LoadBaseForm(MListSimple<T>& list, const Bytes& bytes, bool bData)
{
    MMemoryStream stream(bytes);
    const bool loaded = list.LoadFromStream(&stream, bData);
    ExpectSound(list);
    ASSERT_EQ(Loadable(bytes, 8, 0, MStreamRecord<T>::Size, bData), loaded);
    if (loaded)
        ASSERT_EQ(CountAt(bytes, 0), list.FCount);
    else
        ASSERT_EQ(0, list.FCount);
}

// Loads the bytes in the list's form: the whole list, or the list as it was.
template <class T>
void LoadListForm(MList<T>& list, const Bytes& bytes, bool bData)
{
    const Bytes before = Image(list);
    const bool sorting = list.bSorting;
    const bool repeat = list.bRepeat;
    MMemoryStream stream(bytes);
    const bool loaded = list.LoadFromStream(&stream, bData);
    ExpectSound(list);
    ASSERT_EQ(Loadable(bytes, 6, 2, MStreamRecord<T>::Size, bData), loaded);
    if (loaded) {
        ASSERT_EQ(CountAt(bytes, 2), list.FCount);
        ASSERT_EQ(bytes[0] != 0, list.bSorting);
        ASSERT_EQ(bytes[1] != 0, list.bRepeat);
    } else {
        ASSERT_EQ(before, Image(list));
        ASSERT_EQ(sorting, list.bSorting);
        ASSERT_EQ(repeat, list.bRepeat);
    }
}

// Something in the list before a load: count elements of zeros.
template <class T>
void Preload(MListSimple<T>& list, int count)
{
    list.SetCount(count);
    list.SetNULL();
}

// Streams of every length around the interesting sizes, random content, small or wild counts.
inline Bytes RandomStream(std::mt19937& random)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 120);
    std::uniform_int_distribution<int> shape(0, 3);
    Bytes bytes(static_cast<std::size_t>(length(random)));
    for (std::uint8_t& b : bytes)
        b = static_cast<std::uint8_t>(byte(random));
    const int form = shape(random);
    if (form < 3 && bytes.size() >= 6) {
        // A small count (or a small negative one) where either form keeps it, so that most
        // streams pass the header and reach the payload.
        std::uniform_int_distribution<int> count(-2, 12);
        const std::int32_t small = count(random);
        std::memcpy(bytes.data() + (form == 0 ? 0 : 2), &small, 4);
    }
    return bytes;
}

// A well-formed stream of a list of Record or of a base list of points, cut anywhere.
template <class Record>
Bytes TruncatedStream(std::mt19937& random)
{
    std::uniform_int_distribution<int> count(0, 6);
    MList<Record> records;
    records.SetCount(count(random));
    records.SetNULL();
    MListSimple<MPoint<float>> marks;
    marks.SetCount(count(random));
    marks.SetNULL();
    Bytes bytes = random() % 2 ? Saved(records, true) : Saved(marks, true);
    std::uniform_int_distribution<std::size_t> cut(0, bytes.size());
    bytes.resize(cut(random));
    return bytes;
}

// Without data a count needs no payload, so any count is loadable and allocated: keep the
// counts of those runs small.
inline Bytes WithModestCounts(Bytes bytes)
{
    for (std::size_t offset : {std::size_t{0}, std::size_t{2}}) {
        if (bytes.size() < offset + 4)
            continue;
        std::uint32_t count = 0;
        std::memcpy(&count, bytes.data() + offset, 4);
        count &= 0x80000FFFu;
        std::memcpy(bytes.data() + offset, &count, 4);
    }
    return bytes;
}

#endif
