#ifndef PELMORA_MCLASESS_MLISTSIMPLE_H
#define PELMORA_MCLASESS_MLISTSIMPLE_H

// MListSimple<T>: a growable contiguous array of plain elements with checked operations, the
// base of every list of the program.
//
// Elements are plain storage: the list moves them as raw bytes, writes values with T's
// assignment and zero-fills with SetNULL; it never runs a constructor or destructor on them.
// Callers read and write Data[i] for 0 <= i < FCount directly.
//
// Nothing throws. A failed check posts an error record to the trace channel (the list's FName
// as object name) and the operation returns false or -1; a failure inside an inner operation
// is posted by it and again by each caller.
//
// Element keeping (bKeepItems) is for elements whose slots are initialised by OnInitItems and
// must keep their identity: deleted elements are parked behind FCount (up to FCountInit) and
// taken back into use when the list grows, so no slot is ever overwritten by a copied value.
//
// Operations that move elements keep the ones in transit in the scratch slots just past the
// initialised ones (GetBuffer), so no operation allocates more than once.

#include "MListStreamRecord.h"
#include "MMethod.h"
#include "MStream.h"
#include "MTrace.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

static_assert(sizeof(int) == 4, "list counts and stream headers are 32-bit");

template <class T>
class MListSimple {
    static_assert(std::is_trivially_copyable_v<T>, "a list moves its elements as raw bytes");

public:
    using InitItemsHandler = MMethod<void(MListSimple<T>*, int, int)>;

    int FCountMax = 0;   // capacity: slots allocated in Data
    int FCount = 0;      // elements in the list
    int FCountInit = 0;  // leading slots holding initialised elements (FCount, or more while parked)
    std::string FName;   // object name of every trace post of the list
    bool bKeepItems = false;
    // Initialises slots IndexBegin .. IndexEnd when they are first taken into use.
    InitItemsHandler OnInitItems;
    int FIndexCurrent = -1;  // kept for the owner and carried by the stream form only
    T* Data = nullptr;

    MListSimple() { MListSimple::Init(); }
    virtual ~MListSimple();
    MListSimple(const MListSimple&) = delete;
    MListSimple& operator=(const MListSimple&) = delete;
    MListSimple(MListSimple&&) = delete;
    MListSimple& operator=(MListSimple&&) = delete;

    // Sets the number of elements. Slots taken into use by growing hold indeterminate content
    // (or parked elements, or what OnInitItems wrote); shrinking keeps the capacity.
    virtual bool SetCount(int NewCount);
    // Resets every field to the state of a new list, releasing the buffer.
    virtual void Init();
    // Empties the list (FIndexCurrent -1); the capacity stays.
    virtual bool Clear();
    // Empties the list and releases the buffer.
    virtual bool Free();
    // Stream form: count (int32), FIndexCurrent (int32), then with bData the element records.
    virtual bool SaveToStream(MStream* MS, bool bData);
    // Empties the list first, so a failed load leaves it empty.
    virtual bool LoadFromStream(MStream* MS, bool bData);
    // Replaces the file. Errors deleting or creating the file throw MFileError.
    virtual bool SaveToFile(const std::string& fileName, bool bData);
    // Fails when the file does not exist; an error opening it throws MFileError.
    virtual bool LoadFromFile(const std::string& fileName, bool bData);
    virtual bool DeleteIndex(int Index, bool bFast = false);
    // Deletes Count elements from Index. bFast fills the gap with the last elements instead of
    // moving all that follow, so the order is not kept.
    virtual bool DeleteIndex(int Index, int Count, bool bFast = false);
    virtual bool Insert(int Index, const T& value);
    // Opens a slot at Index (Index == FCount appends). The opened slot is zero-filled unless
    // elements are kept, in which case the slot made by growth is rotated into place.
    virtual bool Insert(int Index);
    // Moves one element so that it ends at IndexTo.
    virtual bool Move(int IndexFrom, int IndexTo);
    // Moves Count elements from IndexFrom so that the block starts at IndexTo.
    virtual bool Move(int IndexFrom, int Count, int IndexTo);
    virtual bool Exchange(int Index1, int Index2);
    // Appends value and returns its index, or -1.
    virtual int Add(const T& value);
    virtual bool Add(const MListSimple<T>& ML);
    // Appends Count elements of ML from IndexBegin. A list cannot be added to itself.
    virtual bool Add(const MListSimple<T>& ML, int IndexBegin, int Count);
    // Appends a zero-filled element and returns its index, or -1.
    virtual int AddNULL();
    // Zero-fill; indexes outside the list are skipped.
    virtual void SetNULL(int Index);
    virtual void SetNULL(int Index, int Count);
    virtual void SetNULL();
    virtual void Fill(const T& value);

    // The growth step shared by SetCount and MList<T>::Add.
    bool Grow(int CountMaxNew);
    // Ensures room for NewCount elements: +4 up to 8, +16 up to 64, then x1.25.
    bool GrowD(int NewCount);
    bool SetCapacity(int NewCapacity);
    // Scratch room for Count elements behind every element and parked element.
    bool GetBuffer(int Count, T*& P);
    // Replaces the content with all of ML's elements. An empty ML leaves this list unchanged.
    bool CopyFrom(const MListSimple<T>* ML);
    // Replaces the content with ML's elements 0 .. IndexEnd; an IndexEnd outside ML (negative
    // included) fails. An empty ML leaves this list unchanged.
    bool CopyFrom(const MListSimple<T>* ML, int IndexEnd);

protected:
    static void MoveElements(T* to, const T* from, long long count)
    {
        if (count > 0)
            std::memmove(static_cast<void*>(to), static_cast<const void*>(from),
                         static_cast<std::size_t>(count) * sizeof(T));
    }
    static void ZeroElements(T* at, long long count)
    {
        if (count > 0)
            std::memset(static_cast<void*>(at), 0, static_cast<std::size_t>(count) * sizeof(T));
    }
    bool IsIndex(long long Index) const { return Index >= 0 && Index < FCount; }
    // The part of a load shared by both stream forms: the payload or, without data, zeros for
    // the slots from FirstNewSlot on.
    void LoadPayload(MStream& MS, int count, bool bData, int FirstNewSlot);

    enum class AddRange { Nothing, Valid, Refused };
    // The checks of Add(ML, IndexBegin, Count), each failure posted; Nothing for Count 0.
    AddRange CheckAddRange(const MListSimple<T>& ML, int IndexBegin, int Count);
    // CopyFrom's replacing step, once ML is known to hold Count >= 1 elements: makes them this
    // list's content. A list that owns what its elements point to replaces this step.
    virtual bool ReplaceContent(const MListSimple<T>& ML, int Count);

private:
    void PostAddRange(const MListSimple<T>& ML, TraceLocation where = TraceLocation::current()) const;
};

template <class T>
MListSimple<T>::~MListSimple()
{
    MListSimple::Free();
    std::free(Data);
}

template <class T>
bool MListSimple<T>::SetCount(int NewCount)
{
    if (NewCount < 0) {
        TraceError(FName, "return error", "MListSimple<T>::SetCount");
        return false;
    }
    if (!Grow(NewCount)) {
        TraceError(FName, "return error", "MListSimple<T>::SetCount");
        return false;
    }
    FCount = NewCount;
    if (!bKeepItems)
        FCountInit = NewCount;
    return true;
}

template <class T>
void MListSimple<T>::Init()
{
    // A list that already holds a buffer would lose it to the reset.
    std::free(Data);
    Data = nullptr;
    FCountMax = 0;
    FCount = 0;
    FCountInit = 0;
    FIndexCurrent = -1;
    bKeepItems = false;
    OnInitItems = {};
}

template <class T>
bool MListSimple<T>::Clear()
{
    FIndexCurrent = -1;
    if (!SetCount(0)) {
        TraceError(FName, "return error", "MListSimple<T>::Clear");
        return false;
    }
    return true;
}

template <class T>
bool MListSimple<T>::Free()
{
    if (!Clear()) {
        TraceError(FName, "return error", "MListSimple<T>::Free");
        return false;
    }
    FCountInit = 0;
    if (!SetCapacity(0)) {
        TraceError(FName, "return error", "MListSimple<T>::Free");
        return false;
    }
    return true;
}

template <class T>
bool MListSimple<T>::SaveToStream(MStream* MS, bool bData)
{
    if (MS == nullptr) {
        TraceError(FName, "Unknown error", "MListSimple<T>::SaveToStream");
        return false;
    }
    try {
        MStreamWriteInt32(*MS, FCount);
        MStreamWriteInt32(*MS, FIndexCurrent);
        if (bData)
            MStreamWritePayload(*MS, Data, FCount);
        return true;
    } catch (...) {
        TraceError(FName, "Unknown error", "MListSimple<T>::SaveToStream");
        return false;
    }
}

template <class T>
bool MListSimple<T>::LoadFromStream(MStream* MS, bool bData)
{
    Free();
    if (MS == nullptr) {
        TraceError(FName, "Unknown error", "MListSimple<T>::LoadFromStream");
        return false;
    }
    try {
        const std::int32_t count = MStreamReadInt32(*MS);
        const std::int32_t indexCurrent = MStreamReadInt32(*MS);
        if (!MStreamCountFits<T>(*MS, count, bData) || !SetCapacity(count)) {
            TraceError(FName, "Unknown error", "MListSimple<T>::LoadFromStream");
            return false;
        }
        LoadPayload(*MS, count, bData, 0);
        FIndexCurrent = indexCurrent;
        FCount = count;
        FCountInit = count;
        return true;
    } catch (...) {
        TraceError(FName, "Unknown error", "MListSimple<T>::LoadFromStream");
        return false;
    }
}

template <class T>
void MListSimple<T>::LoadPayload(MStream& MS, int count, bool bData, int FirstNewSlot)
{
    if (bData)
        MStreamReadPayload(MS, Data, count);
    else if (count > FirstNewSlot)
        // Slots a header-only load adds get zeros rather than leftovers of the heap, so a
        // pointer or handler list never holds an address nobody wrote.
        ZeroElements(Data + FirstNewSlot, count - FirstNewSlot);
}

template <class T>
bool MListSimple<T>::SaveToFile(const std::string& fileName, bool bData)
{
    // The stream replaces an old file only once the new one is completely written, so a
    // failed save leaves the old list file in place.
    MFileStream file(fileName, MFileStream::Mode::Create);
    if (!SaveToStream(&file, bData))
        return false;
    try {
        file.Close();
    } catch (...) {
        TraceError(FName, "return error", "MListSimple<T>::SaveToFile");
        return false;
    }
    return true;
}

template <class T>
bool MListSimple<T>::LoadFromFile(const std::string& fileName, bool bData)
{
    if (!MFileStream::Exists(fileName)) {
        TraceError(FName, "return error", "MListSimple<T>::LoadFromFile");
        return false;
    }
    MFileStream file(fileName, MFileStream::Mode::Read);
    return LoadFromStream(&file, bData);
}

template <class T>
bool MListSimple<T>::DeleteIndex(int Index, bool bFast)
{
    return DeleteIndex(Index, 1, bFast);
}

template <class T>
bool MListSimple<T>::DeleteIndex(int Index, int Count, bool bFast)
{
    if (Index < 0 || static_cast<long long>(Index) + Count > FCount) {
        TraceError(FName, "return error", "MListSimple<T>::DeleteIndex");
        return false;
    }
    if (Count <= 0)
        return true;
    T* parked = nullptr;
    if (bKeepItems) {
        if (!GetBuffer(Count, parked)) {
            TraceError(FName, "return error", "MListSimple<T>::DeleteIndex");
            return false;
        }
        MoveElements(parked, Data + Index, Count);
    }
    FCount -= Count;
    if (bFast && Index + Count <= FCount) {
        MoveElements(Data + Index, Data + FCount, Count);
    } else if (Index < FCount) {
        // Also the fast delete's way when the gap reaches into the last Count slots: the tail
        // would then hold deleted elements, and only those behind the gap are to be kept.
        MoveElements(Data + Index, Data + Index + Count, FCount - Index);
    }
    if (bKeepItems)
        MoveElements(Data + FCount, parked, Count);
    else
        FCountInit = FCount;
    return true;
}

template <class T>
bool MListSimple<T>::Insert(int Index, const T& value)
{
    if (bKeepItems) {
        TraceError(FName, "return error", "MListSimple<T>::Insert");
        return false;
    }
    const T item = value;  // value may lie in this list's buffer, which the insert may move
    if (!Insert(Index)) {
        TraceError(FName, "return error", "MListSimple<T>::Insert");
        return false;
    }
    Data[Index] = item;
    return true;
}

template <class T>
bool MListSimple<T>::Insert(int Index)
{
    if (Index < 0 || Index > FCount) {
        TraceError(FName, "return error", "MListSimple<T>::Insert");
        return false;
    }
    if (!SetCount(FCount + 1)) {
        TraceError(FName, "return error", "MListSimple<T>::Insert");
        return false;
    }
    T* scratch = nullptr;
    if (!GetBuffer(1, scratch)) {
        TraceError(FName, "return error", "MListSimple<T>::Insert");
        return false;
    }
    if (Index == FCount - 1)
        return true;
    if (bKeepItems)
        MoveElements(scratch, Data + FCount - 1, 1);
    MoveElements(Data + Index + 1, Data + Index, FCount - 1 - Index);
    if (bKeepItems)
        MoveElements(Data + Index, scratch, 1);
    else
        // A copy of the shifted element would otherwise stay here; an owning list would then
        // hold one object twice.
        ZeroElements(Data + Index, 1);
    return true;
}

template <class T>
bool MListSimple<T>::Move(int IndexFrom, int IndexTo)
{
    if (!IsIndex(IndexFrom) || !IsIndex(IndexTo)) {
        TraceError(FName, "return error", "MListSimple<T>::Move");
        return false;
    }
    if (IndexFrom == IndexTo)
        return true;
    T* scratch = nullptr;
    if (!GetBuffer(1, scratch)) {
        TraceError(FName, "return error", "MListSimple<T>::Move");
        return false;
    }
    MoveElements(scratch, Data + IndexFrom, 1);
    if (IndexFrom < IndexTo)
        MoveElements(Data + IndexFrom, Data + IndexFrom + 1, IndexTo - IndexFrom);
    else
        MoveElements(Data + IndexTo + 1, Data + IndexTo, IndexFrom - IndexTo);
    MoveElements(Data + IndexTo, scratch, 1);
    return true;
}

template <class T>
bool MListSimple<T>::Move(int IndexFrom, int Count, int IndexTo)
{
    const long long blockEnd = static_cast<long long>(IndexFrom) + Count - 1;
    const long long targetEnd = static_cast<long long>(IndexTo) + Count - 1;
    if (IndexFrom < 0 || Count < 1 || blockEnd >= FCount || IndexTo < 0 || IndexTo > FCount || targetEnd >= FCount) {
        TraceError(FName, "return error", "MListSimple<T>::Move");
        return false;
    }
    if (IndexFrom == IndexTo)
        return true;
    T* scratch = nullptr;
    if (!GetBuffer(Count, scratch)) {
        TraceError(FName, "return error", "MListSimple<T>::Move");
        return false;
    }
    MoveElements(scratch, Data + IndexFrom, Count);
    if (IndexFrom < IndexTo)
        MoveElements(Data + IndexFrom, Data + IndexFrom + Count, IndexTo - IndexFrom);
    else
        MoveElements(Data + IndexTo + Count, Data + IndexTo, IndexFrom - IndexTo);
    MoveElements(Data + IndexTo, scratch, Count);
    return true;
}

template <class T>
bool MListSimple<T>::Exchange(int Index1, int Index2)
{
    if (!IsIndex(Index1) || !IsIndex(Index2)) {
        TraceError(FName, "return error", "MListSimple<T>::Exchange");
        return false;
    }
    if (Index1 == Index2)
        return true;
    T* scratch = nullptr;
    if (!GetBuffer(1, scratch)) {
        TraceError(FName, "return error", "MListSimple<T>::Exchange");
        return false;
    }
    MoveElements(scratch, Data + Index1, 1);
    MoveElements(Data + Index1, Data + Index2, 1);
    MoveElements(Data + Index2, scratch, 1);
    return true;
}

template <class T>
int MListSimple<T>::Add(const T& value)
{
    if (bKeepItems) {
        TraceError(FName, "Unknown error", "MListSimple<T>::Add");
        return -1;
    }
    const T item = value;  // value may lie in this list's buffer, which growing may move
    if (!SetCount(FCount + 1)) {
        TraceError(FName, "Unknown error", "MListSimple<T>::Add");
        return -1;
    }
    Data[FCount - 1] = item;
    return FCount - 1;
}

template <class T>
bool MListSimple<T>::Add(const MListSimple<T>& ML)
{
    return Add(ML, 0, ML.FCount);
}

template <class T>
void MListSimple<T>::PostAddRange(const MListSimple<T>& ML, TraceLocation where) const
{
    TraceRangeError(FName, "ML.Count", static_cast<double>(ML.FCount), "MListSimple<T>::Add", where);
}

template <class T>
typename MListSimple<T>::AddRange MListSimple<T>::CheckAddRange(const MListSimple<T>& ML, int IndexBegin, int Count)
{
    if (Count == 0)
        return AddRange::Nothing;
    if (IndexBegin < 0 || IndexBegin >= ML.FCount) {
        PostAddRange(ML);
        TraceError(FName, "return error", "MListSimple<T>::Add");
        return AddRange::Refused;
    }
    const long long newCount = static_cast<long long>(FCount) + Count;
    if (Count < 1 || static_cast<long long>(IndexBegin) + Count > ML.FCount || newCount > INT_MAX) {
        TraceError(FName, "return error", "MListSimple<T>::Add");
        return AddRange::Refused;
    }
    if (&ML == this || ML.Data == Data) {
        TraceError(FName, "return error", "MListSimple<T>::Add");
        return AddRange::Refused;
    }
    return AddRange::Valid;
}

template <class T>
bool MListSimple<T>::Add(const MListSimple<T>& ML, int IndexBegin, int Count)
{
    if (const AddRange range = CheckAddRange(ML, IndexBegin, Count); range != AddRange::Valid)
        return range == AddRange::Nothing;
    const int oldCount = FCount;
    const int newCount = oldCount + Count;
    if (!MListSimple::SetCount(newCount)) {
        TraceError(FName, "return error", "MListSimple<T>::Add");
        return false;
    }
    MoveElements(Data + oldCount, ML.Data + IndexBegin, Count);
    // Growing from zero through the virtual SetCount makes a derived list report the whole
    // list as added.
    FCount = 0;
    if (!SetCount(newCount)) {
        TraceError(FName, "return error", "MListSimple<T>::Add");
        return false;
    }
    return true;
}

template <class T>
int MListSimple<T>::AddNULL()
{
    if (!SetCount(FCount + 1)) {
        TraceError(FName, "return error", "MListSimple<T>::AddNULL");
        return -1;
    }
    SetNULL(FCount - 1);
    return FCount - 1;
}

template <class T>
void MListSimple<T>::SetNULL(int Index)
{
    SetNULL(Index, 1);
}

template <class T>
void MListSimple<T>::SetNULL(int Index, int Count)
{
    const long long begin = Index < 0 ? 0 : Index;
    const long long end = std::min<long long>(static_cast<long long>(Index) + Count, FCount);
    if (end > begin)
        ZeroElements(Data + begin, end - begin);
}

template <class T>
void MListSimple<T>::SetNULL()
{
    SetNULL(0, FCount);
}

template <class T>
void MListSimple<T>::Fill(const T& value)
{
    const T item = value;
    for (int i = FCount - 1; i >= 0; --i)
        Data[i] = item;
}

template <class T>
bool MListSimple<T>::Grow(int CountMaxNew)
{
    if (!GrowD(CountMaxNew)) {
        TraceError(FName, "return error", "MListSimple<T>::Grow");
        return false;
    }
    if (!bKeepItems || CountMaxNew > FCountInit) {
        if (OnInitItems)
            OnInitItems(this, FCountInit, CountMaxNew - 1);
        FCountInit = CountMaxNew;
    }
    if (CountMaxNew < FCount)
        FCount = CountMaxNew;
    return true;
}

template <class T>
bool MListSimple<T>::GrowD(int NewCount)
{
    if (FCountMax >= NewCount)
        return true;
    long long countMaxNew = 0;
    if (NewCount <= 8)
        countMaxNew = NewCount + 4LL;
    else if (NewCount <= 64)
        countMaxNew = NewCount + 16LL;
    else
        countMaxNew = static_cast<long long>(static_cast<long double>(NewCount) * static_cast<long double>(1.25f));
    if (countMaxNew > INT_MAX)
        countMaxNew = INT_MAX;
    if (!SetCapacity(static_cast<int>(countMaxNew))) {
        TraceError(FName, "return error", "MListSimple<T>::GrowD");
        return false;
    }
    return true;
}

template <class T>
bool MListSimple<T>::SetCapacity(int NewCapacity)
{
    if (NewCapacity < 0) {
        TraceError(FName, "return error", "MListSimple<T>::SetCapacity");
        return false;
    }
    if (NewCapacity == FCountMax)
        return true;
    if (NewCapacity == 0) {
        std::free(Data);
        Data = nullptr;
    } else {
        void* block = std::realloc(static_cast<void*>(Data), static_cast<std::size_t>(NewCapacity) * sizeof(T));
        if (block == nullptr) {
            TraceError(FName, "return error", "MListSimple<T>::SetCapacity");
            return false;
        }
        Data = static_cast<T*>(block);
    }
    FCountMax = NewCapacity;
    return true;
}

template <class T>
bool MListSimple<T>::GetBuffer(int Count, T*& P)
{
    if (!GrowD(static_cast<int>(std::min<long long>(static_cast<long long>(FCountInit) + Count, INT_MAX)))
        || static_cast<long long>(FCountInit) + Count > FCountMax) {
        TraceError(FName, "Unknown error", "MListSimple<T>::GetBuffer");
        return false;
    }
    P = Data + FCountInit;
    return true;
}

template <class T>
bool MListSimple<T>::CopyFrom(const MListSimple<T>* ML)
{
    // A null ML fails in the checks below, before its count would be needed.
    return CopyFrom(ML, ML != nullptr ? ML->FCount - 1 : 0);
}

template <class T>
bool MListSimple<T>::CopyFrom(const MListSimple<T>* ML, int IndexEnd)
{
    if (ML == nullptr) {
        TraceError(FName, "return error", "MListSimple<T>::CopyFrom");
        return false;
    }
    if (ML->FCount == 0)
        return true;
    if (IndexEnd < 0 || IndexEnd >= ML->FCount) {
        TraceError(FName, "return error", "MListSimple<T>::CopyFrom");
        return false;
    }
    return ReplaceContent(*ML, IndexEnd + 1);
}

template <class T>
bool MListSimple<T>::ReplaceContent(const MListSimple<T>& ML, int Count)
{
    const int initialisedBefore = FCountInit;
    // The slots about to be overwritten count as initialised, so growing does not run
    // OnInitItems for them.
    if (FCountInit < Count)
        FCountInit = Count;
    if (!SetCount(Count)) {
        FCountInit = initialisedBefore;
        return false;
    }
    MoveElements(Data, ML.Data, Count);
    return true;
}

#endif
