#ifndef PELMORA_MCLASESS_MLIST_H
#define PELMORA_MCLASESS_MLIST_H

// MList<T>: a list that tells listeners about its changes, can keep itself sorted, can refuse
// repeated values, and can remove runs of equal neighbours.
//
// Events: OnBeforeChange and OnAfterChange receive (IndexBegin, IndexEnd, ChangeKind) with the
// kinds below; (-1, -1) stands for "no range", for instance before growing, when the new
// indexes do not exist yet. Operations built on other operations also produce those
// operations' events, nested inside their own. A handler must not change the list that fires it.
//
// Equality and order come from T's operator== and operator> (addresses for pointers) unless
// FCompareEqual / FCompareMore are installed.
//
// DeleteIndex(Index, Count) is the notifying delete. The event-free form of the base,
// DeleteIndex(Index, Count, bFast), stays reachable as MListSimple<T>::DeleteIndex.

#include "MHeapSort.h"
#include "MListSimple.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <utility>

inline constexpr int MListChangeAdded = 0;
inline constexpr int MListChangeRemoved = 1;
inline constexpr int MListChangeChanged = 2;
inline constexpr int MListChangeReordered = 3;

template <class T>
bool MListElementEqual(const T& a, const T& b)
{
    return a == b;
}

// Pointers are ordered by their address as an unsigned number.
template <class T>
bool MListElementMore(const T& a, const T& b)
{
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<std::uintptr_t>(a) > reinterpret_cast<std::uintptr_t>(b);
    else
        return a > b;
}

template <class T>
class MList : public MListSimple<T> {
    using Base = MListSimple<T>;

public:
    using ChangeHandler = MMethod<void(int, int, int)>;

    using Base::bKeepItems;
    using Base::Data;
    using Base::FCount;
    using Base::FCountInit;
    using Base::FCountMax;
    using Base::FName;

    bool bLockEvent = false;  // no event is fired while set
    bool bSorting = false;    // Add inserts in order; Find searches by halves
    bool bRepeat = true;      // equal values may be added
    ChangeHandler OnBeforeChange;
    ChangeHandler OnAfterChange;
    bool (*FCompareEqual)(const T* A, const T* B) = nullptr;  // replaces T's equality
    bool (*FCompareMore)(const T* A, const T* B) = nullptr;   // replaces T's greater-than

    MList() { MList::Init(); }
    // Empties the list with this level's operations, so the removal is announced.
    ~MList() override { FreeAnnouncingOneRemoval(); }

    using Base::Add;
    using Base::Move;
    using Base::SetNULL;

    bool SetCount(int NewCount) override;
    void Init() override;
    // Stream form: bSorting (1 byte), bRepeat (1 byte), count (int32), then with bData the
    // element records. Loading overwrites the elements in place and fires no event; a failed
    // load leaves the list as it was.
    bool SaveToStream(MStream* MS, bool bData) override;
    bool LoadFromStream(MStream* MS, bool bData) override;
    // The notifying delete of one element; bFast is ignored, the order is always kept.
    bool DeleteIndex(int Index, bool bFast = false) override;
    bool Insert(int Index, const T& value) override;
    bool Insert(int Index) override;
    // Refused on a sorted list. Without repeats, equal neighbours it makes are removed.
    bool Exchange(int Index1, int Index2) override;
    // Appends value, or inserts it in order on a sorted list (in front of equal values).
    // Returns its index, or -1 when growing failed or a repeated value was refused. Without
    // repeats an unsorted list compares value with its last element only.
    // The model lists append hundreds of thousands of points: the common case (unsorted,
    // repeats allowed) stays small enough to be inlined into the caller's loop, and hands no
    // address of the value to an out-of-line call, so the value can stay in registers.
    int Add(const T& value) override
    {
        // The common case, tested in one go: no sorting, repeats allowed, no kept elements, no
        // handlers to tell, and room in the buffer. Nothing in it can move the buffer, so value
        // may even be one of this list's own elements.
        const bool plain =
            (int(!bSorting) & int(bRepeat) & int(!bKeepItems) & int(!OnBeforeChange) & int(!OnAfterChange)) != 0;
        const int index = FCount;
        if (plain & (index < FCountMax)) [[likely]] {
            // The slot taken counts as initialised, or the scratch slots of later moves would
            // overlap it.
            FCountInit = index + 1;
            // Indexing with the unsigned count keeps its load a plain 32-bit one, which the
            // processor can forward from the previous append's store without a wait.
            Data[static_cast<unsigned>(index)] = value;
            FCount = index + 1;
            return index;
        }
        return AddAnyCase(value);
    }
    void Fill(const T& value) override;

    virtual void SetOnBeforeChange(ChangeHandler handler);
    virtual void SetOnAfterChange(ChangeHandler handler);
    virtual ChangeHandler GetOnBeforeChange() const;
    virtual ChangeHandler GetOnAfterChange() const;
    // Deletes Count elements from Index keeping the order; without sorting and repeats, the
    // equal neighbours the removal brings together are removed as well. It hides the base's
    // forms on purpose: bringing them in with a using-declaration would make DeleteIndex(i, n)
    // ambiguous with the base's DeleteIndex(i, n, bFast = false).
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Woverloaded-virtual"
#endif
    virtual bool DeleteIndex(int Index, int Count);
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
    // Deletes the first element equal to value; false when there is none.
    virtual bool DeleteT(const T& value, bool bFast = false);
    virtual int DeleteT(MList<T>& ML, bool bDeleteInML);
    // Removes from this sorted list the values found in ML's sorted range (each value as often
    // as both hold it), also from ML when bDeleteInML. Returns how many this list lost; -1 when
    // either list is unsorted, 0 on a bad range or a failed delete.
    virtual int DeleteT(MList<T>& ML, int IndexBegin, int Count, bool bDeleteInML);
    virtual bool Add(const MList<T>& ML);
    virtual bool AddList(const MList<T>& ML);
    // Appends one slot of indeterminate content; returns its index or -1.
    virtual int Add();
    virtual bool Add(const MList<T>& ML, int IndexBegin, int Count);
    // Same count and every element equal by T's equality.
    virtual bool operator==(const MList<T>& ML) const;
    virtual bool operator!=(const MList<T>& ML) const;
    // Lexicographic by T's order; a list is greater than its own proper prefix.
    virtual bool operator>(const MList<T>& ML) const;
    virtual bool operator<(const MList<T>& ML) const;
    // Index of the first element equal to value, or -1; on a sorted list -2 when it is empty.
    virtual int Find(const T& value);

    // Sorts ascending with the heap sort of MHeapSort.h, whose exact steps fix where equal keys
    // end up: two equally deep objects are always drawn in the same order.
    void Sort();
    // Whether Sort only compares the elements' own values and tells no listener, so that the
    // same heap sort on keys of those values may stand in for it.
    bool SortIsPlain() const { return FCompareMore == nullptr && (bLockEvent || (!OnBeforeChange && !OnAfterChange)); }
    // Removes each run of equal neighbours down to its first element; returns how many were
    // removed, or -1 when a delete failed.
    int DelRepet();
    // Searches the sorted range IndexBegin .. IndexEnd for value. Returns the index of the first
    // element equal to value and sets Index to the one before it; otherwise returns -1 and sets
    // Index to the element after which value keeps the order (IndexBegin - 1 in front of all).
    // Returns -2 on a bad range.
    int FindNextSorting(const T& value, int IndexBegin, int IndexEnd, int& Index);

protected:
    // Empties the list with this level's SetCount, whatever a derived list's SetCount does, so
    // the whole removal is announced as one pair of events, then releases the buffer.
    void FreeAnnouncingOneRemoval();
    void FireBefore(int IndexBegin, int IndexEnd, int ChangeKind)
    {
        if (OnBeforeChange && !bLockEvent)
            OnBeforeChange(IndexBegin, IndexEnd, ChangeKind);
    }
    void FireAfter(int IndexBegin, int IndexEnd, int ChangeKind)
    {
        if (OnAfterChange && !bLockEvent)
            OnAfterChange(IndexBegin, IndexEnd, ChangeKind);
    }
    bool IsEqual(const T& a, const T& b) const
    {
        return FCompareEqual ? FCompareEqual(&a, &b) : MListElementEqual(a, b);
    }
    bool IsMore(const T& a, const T& b) const { return FCompareMore ? FCompareMore(&a, &b) : MListElementMore(a, b); }

private:
    [[gnu::noinline]] int AddAnyCase(T item);
    int AddSorted(const T& item);

    // Set while DelRepet runs: its own deletes must not start another pass over the list,
    // which would shift the elements under the running one.
    bool bRemovingRepeats = false;
};

template <class T>
bool MList<T>::SetCount(int NewCount)
{
    const int oldCount = FCount;
    // A negative count is refused below; announcing it first would let an owning list delete
    // objects the refused call then keeps pointers to.
    const bool valid = NewCount >= 0;
    if (valid && oldCount < NewCount)
        FireBefore(-1, -1, MListChangeAdded);
    else if (valid && NewCount < oldCount)
        FireBefore(NewCount, oldCount - 1, MListChangeRemoved);
    if (!Base::SetCount(NewCount)) {
        TraceError(FName, "return error", "MList<T>::SetCount");
        return false;
    }
    if (oldCount < NewCount)
        FireAfter(oldCount, NewCount - 1, MListChangeAdded);
    else if (NewCount < oldCount)
        FireAfter(-1, -1, MListChangeRemoved);
    return true;
}

template <class T>
void MList<T>::FreeAnnouncingOneRemoval()
{
    this->FIndexCurrent = -1;
    if (!MList::SetCount(0)) {
        TraceError(FName, "return error", "MListSimple<T>::Free");
        return;
    }
    FCountInit = 0;
    if (!this->SetCapacity(0))
        TraceError(FName, "return error", "MListSimple<T>::Free");
}

template <class T>
void MList<T>::Init()
{
    Base::Init();
    bLockEvent = false;
    bSorting = false;
    bRepeat = true;
    OnBeforeChange = {};
    OnAfterChange = {};
    FCompareEqual = nullptr;
    FCompareMore = nullptr;
}

template <class T>
bool MList<T>::SaveToStream(MStream* MS, bool bData)
{
    if (MS == nullptr) {
        TraceError(FName, "!Stream", "MList<T>::SaveToStream");
        return false;
    }
    try {
        MStreamWriteFlag(*MS, bSorting);
        MStreamWriteFlag(*MS, bRepeat);
        MStreamWriteInt32(*MS, FCount);
        if (bData)
            MStreamWritePayload(*MS, Data, FCount);
        return true;
    } catch (...) {
        TraceError(FName, "Error stream", "MList<T>::SaveToStream");
        return false;
    }
}

template <class T>
bool MList<T>::LoadFromStream(MStream* MS, bool bData)
{
    if (MS == nullptr) {
        TraceError(FName, "!Stream", "MList<T>::LoadFromStream");
        return false;
    }
    try {
        const bool sorting = MStreamReadFlag(*MS);
        const bool repeat = MStreamReadFlag(*MS);
        const std::int32_t count = MStreamReadInt32(*MS);
        if (!MStreamCountFits<T>(*MS, count, bData) || !this->SetCapacity(count)) {
            TraceError(FName, "Error stream", "MList<T>::LoadFromStream");
            return false;
        }
        // The capacity may now be below the old count; keep the count within it even if the
        // payload cannot be read.
        FCount = std::min(FCount, count);
        FCountInit = std::min(FCountInit, count);
        this->LoadPayload(*MS, count, bData, FCount);
        bSorting = sorting;
        bRepeat = repeat;
        FCount = count;
        FCountInit = count;
        return true;
    } catch (...) {
        TraceError(FName, "Error stream", "MList<T>::LoadFromStream");
        return false;
    }
}

template <class T>
bool MList<T>::DeleteIndex(int Index, bool)
{
    return DeleteIndex(Index, 1);
}

template <class T>
bool MList<T>::Insert(int Index, const T& value)
{
    if (Index < 0 || Index > FCount) {
        TraceError(FName, "return error", "MList<T>::Insert");
        return false;
    }
    FireBefore(Index, Index, MListChangeAdded);
    if (!Base::Insert(Index, value)) {
        TraceError(FName, "return error", "MList<T>::Insert");
        return false;
    }
    FireAfter(Index, Index, MListChangeAdded);
    return true;
}

template <class T>
bool MList<T>::Insert(int Index)
{
    if (Index < 0 || Index > FCount) {
        TraceError(FName, "return error", "MList<T>::Insert");
        return false;
    }
    FireBefore(Index, Index, MListChangeAdded);
    if (!Base::Insert(Index)) {
        TraceError(FName, "return error", "MList<T>::Insert");
        return false;
    }
    FireAfter(Index, Index, MListChangeAdded);
    return true;
}

template <class T>
bool MList<T>::Exchange(int Index1, int Index2)
{
    if (!this->IsIndex(Index1)) {
        TraceError(FName, "return error", "MList<T>::Exchange");
        return false;
    }
    if (!this->IsIndex(Index2)) {
        TraceError(FName, "return error", "MList<T>::Exchange");
        return false;
    }
    if (bSorting) {
        TraceError(FName, "return error", "MList<T>::Exchange");
        return false;
    }
    FireBefore(Index1, Index2, MListChangeChanged);
    if (!Base::Exchange(Index1, Index2)) {
        TraceError(FName, "return error", "MList<T>::Exchange");
        return false;
    }
    FireAfter(Index1, Index2, MListChangeChanged);
    if (!bRepeat)
        DelRepet();
    return true;
}

// Sorted lists, lists refusing repeats, and lists keeping their elements. The item is a
// copy: the caller's value may lie in the buffer that growing moves.
template <class T>
int MList<T>::AddAnyCase(T item)
{
    if (bKeepItems)
        return Base::Add(item);  // refuses: a copied value must not overwrite a kept element
    if (FCount == FCountMax && !this->Grow(FCount + 1))
        return -1;
    if (bSorting && FCount > 0)
        return AddSorted(item);
    if (!bRepeat && FCount > 0 && IsEqual(Data[FCount - 1], item))
        return -1;
    const int index = FCount;
    FireBefore(index - 1, index - 1, MListChangeAdded);
    FCountInit = index + 1;
    Data[index] = item;
    FCount = index + 1;
    FireAfter(index, index, MListChangeAdded);
    return index;
}

template <class T>
int MList<T>::AddSorted(const T& item)
{
    int after = -1;
    const int found = FindNextSorting(item, 0, FCount - 1, after);
    if (found >= 0 && !bRepeat)
        return -1;
    FireBefore(after, after, MListChangeAdded);
    const int index = after + 1;
    this->MoveElements(Data + index + 1, Data + index, FCount - index);
    Data[index] = item;
    ++FCount;
    FCountInit = FCount;
    FireAfter(index, index, MListChangeAdded);
    return index;
}

template <class T>
void MList<T>::Fill(const T& value)
{
    FireBefore(0, FCount - 1, MListChangeChanged);
    Base::Fill(value);
    FireAfter(0, FCount - 1, MListChangeChanged);
}

template <class T>
void MList<T>::SetOnBeforeChange(ChangeHandler handler)
{
    OnBeforeChange = handler;
}

template <class T>
void MList<T>::SetOnAfterChange(ChangeHandler handler)
{
    OnAfterChange = handler;
}

template <class T>
typename MList<T>::ChangeHandler MList<T>::GetOnBeforeChange() const
{
    return OnBeforeChange;
}

template <class T>
typename MList<T>::ChangeHandler MList<T>::GetOnAfterChange() const
{
    return OnAfterChange;
}

template <class T>
bool MList<T>::DeleteIndex(int Index, int Count)
{
    if (Index < 0 || static_cast<long long>(Index) + Count > FCount) {
        TraceError(FName, "return error", "MList<T>::DeleteIndex");
        return false;
    }
    if (Count < 1)
        return true;
    FireBefore(Index, Index + Count - 1, MListChangeRemoved);
    if (!Base::DeleteIndex(Index, Count, false)) {
        TraceError(FName, "return error", "MList<T>::DeleteIndex");
        return false;
    }
    FireAfter(-1, -1, MListChangeRemoved);
    if (!bSorting && !bRepeat && !bRemovingRepeats)
        DelRepet();
    return true;
}

template <class T>
bool MList<T>::DeleteT(const T& value, bool bFast)
{
    const int index = Find(value);
    if (index < 0)
        return false;
    return DeleteIndex(index, bFast);
}

template <class T>
int MList<T>::DeleteT(MList<T>& ML, bool bDeleteInML)
{
    return DeleteT(ML, 0, ML.FCount, bDeleteInML);
}

template <class T>
int MList<T>::DeleteT(MList<T>& ML, int IndexBegin, int Count, bool bDeleteInML)
{
    if (!bSorting || !ML.bSorting) {
        TraceError(FName, "return error", "MList<T>::DeleteT");
        return -1;
    }
    if (IndexBegin < 0 || IndexBegin >= ML.FCount) {
        TraceError(FName, "return error", "MList<T>::DeleteT");
        return 0;
    }
    if (Count < 1 || static_cast<long long>(IndexBegin) + Count > ML.FCount) {
        TraceError(FName, "return error", "MList<T>::DeleteT");
        return 0;
    }
    if (&ML == this) {
        // Every value of the range is matched by itself: the intersection is the range.
        if (!DeleteIndex(IndexBegin, Count)) {
            TraceError(FName, "return error", "MList<T>::DeleteT");
            return 0;
        }
        return Count;
    }
    int removed = 0;
    int runLength = 0;
    int runTopThis = -1;
    int runTopOther = -1;
    // Deletes the run of matches collected so far; the walk goes downwards, so the indexes
    // still to visit do not move.
    auto deleteRun = [&]() {
        if (runLength == 0)
            return true;
        const int length = std::exchange(runLength, 0);
        if (!DeleteIndex(runTopThis - length + 1, length))
            return false;
        if (bDeleteInML && !ML.DeleteIndex(runTopOther - length + 1, length))
            return false;
        removed += length;
        return true;
    };
    int i = FCount - 1;
    int j = IndexBegin + Count - 1;
    while (i >= 0 && j >= IndexBegin) {
        const bool thisMore = MListElementMore(Data[i], ML.Data[j]);
        const bool otherMore = !thisMore && MListElementMore(ML.Data[j], Data[i]);
        if (thisMore || otherMore) {
            if (!deleteRun()) {
                TraceError(FName, "return error", "MList<T>::DeleteT");
                return 0;
            }
            if (thisMore)
                --i;
            else
                --j;
            continue;
        }
        if (runLength == 0) {
            runTopThis = i;
            runTopOther = j;
        }
        ++runLength;
        --i;
        --j;
    }
    if (!deleteRun()) {
        TraceError(FName, "return error", "MList<T>::DeleteT");
        return 0;
    }
    return removed;
}

template <class T>
bool MList<T>::Add(const MList<T>& ML)
{
    return Add(ML, 0, ML.FCount);
}

template <class T>
bool MList<T>::AddList(const MList<T>& ML)
{
    return Add(ML);
}

template <class T>
int MList<T>::Add()
{
    if (!SetCount(FCount + 1))
        return -1;
    return FCount - 1;
}

template <class T>
bool MList<T>::Add(const MList<T>& ML, int IndexBegin, int Count)
{
    return Base::Add(ML, IndexBegin, Count);
}

template <class T>
bool MList<T>::operator==(const MList<T>& ML) const
{
    if (FCount != ML.FCount)
        return false;
    for (int i = 0; i < FCount; ++i)
        if (!MListElementEqual(Data[i], ML.Data[i]))
            return false;
    return true;
}

template <class T>
bool MList<T>::operator!=(const MList<T>& ML) const
{
    return !(*this == ML);
}

template <class T>
bool MList<T>::operator>(const MList<T>& ML) const
{
    const int common = std::min(FCount, ML.FCount);
    for (int i = 0; i < common; ++i) {
        if (MListElementMore(Data[i], ML.Data[i]))
            return true;
        if (MListElementMore(ML.Data[i], Data[i]))
            return false;
    }
    return FCount > ML.FCount;
}

template <class T>
bool MList<T>::operator<(const MList<T>& ML) const
{
    const int common = std::min(FCount, ML.FCount);
    for (int i = 0; i < common; ++i) {
        if (MListElementMore(ML.Data[i], Data[i]))
            return true;
        if (MListElementMore(Data[i], ML.Data[i]))
            return false;
    }
    return FCount < ML.FCount;
}

template <class T>
int MList<T>::Find(const T& value)
{
    if (bSorting) {
        int before = -1;
        return FindNextSorting(value, 0, FCount - 1, before);
    }
    for (int i = 0; i < FCount; ++i)
        if (IsEqual(Data[i], value))
            return i;
    return -1;
}

template <class T>
void MList<T>::Sort()
{
    const int n = FCount;
    if (n < 2)
        return;
    FireBefore(0, n - 1, MListChangeReordered);
    if (FCompareMore != nullptr) {
        const auto compareMore = FCompareMore;
        mheap::HeapSort(Data, n, [compareMore](const T& a, const T& b) { return compareMore(&a, &b); });
    } else {
        mheap::HeapSort(Data, n, [](const T& a, const T& b) { return MListElementMore(a, b); });
    }
    FireAfter(0, n - 1, MListChangeReordered);
}

template <class T>
int MList<T>::DelRepet()
{
    if (FCount < 2)
        return 0;
    const bool wasRemoving = std::exchange(bRemovingRepeats, true);
    int removed = 0;
    int top = FCount - 1;
    int run = -1;
    bool failed = false;
    for (int i = FCount - 2; i >= 0 && !failed; --i) {
        if (IsEqual(Data[top], Data[i])) {
            run = i;
            continue;
        }
        if (run >= 0) {
            failed = !DeleteIndex(run + 1, top - run);
            removed += top - run;
            run = -1;
        }
        top = i;
    }
    if (!failed && run == 0) {
        failed = !DeleteIndex(1, top);
        removed += top;
    }
    bRemovingRepeats = wasRemoving;
    if (failed) {
        TraceError(FName, "Unknown error", "MList<T>::DelRepet");
        return -1;
    }
    return removed;
}

template <class T>
int MList<T>::FindNextSorting(const T& value, int IndexBegin, int IndexEnd, int& Index)
{
    if (IndexBegin < 0 || IndexEnd < IndexBegin || IndexEnd >= FCount) {
        TraceError(FName, "Unknown error", "MList<T>::FindNextSorting");
        return -2;
    }
    // First position whose element is not less than value.
    int low = IndexBegin;
    int high = IndexEnd + 1;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (IsMore(value, Data[middle]))
            low = middle + 1;
        else
            high = middle;
    }
    // Elements of the same order need not be equal (two points at one distance from the
    // origin): look through all of them for an equal one.
    for (int i = low; i <= IndexEnd && !IsMore(Data[i], value); ++i) {
        if (IsEqual(Data[i], value)) {
            Index = i - 1;
            return i;
        }
    }
    Index = low - 1;
    return -1;
}

#endif
