#ifndef PELMORA_MCLASESS_MLISTADR_H
#define PELMORA_MCLASESS_MLISTADR_H

// MListAdr<T>: a list of pointers to heap objects that it owns. Through its own change events
// it deletes the object of every removed element (bAutoDelete) and creates a default object
// for every added empty slot (bAutoCreate). Add(pointer) hands the object over to the list.
//
// The list keeps MList's two event fields bound to its internal handlers; the user's handlers
// are set and read through SetOnBeforeChange / GetOnBeforeChange and their After twins, and are
// called from the internal ones. bLockEvent silences both, and with them deletion and creation.
//
// Growing and shrinking go one element at a time, each step with its own pair of events, so
// clearing the list deletes its objects last first. Destroying the list announces the removal
// of all its elements as one pair of events and deletes the objects first to last.
//
// Elements taken from another list (Add of a list or a range of it, AddList, CopyFrom) never
// give an object a second owner:
//   - with bAutoDelete the list owns what it holds, so each received object is a new copy
//     (the object type's copy constructor) of the other list's object, which stays put; a null
//     element stays null. Objects that cannot be copied whole (no copy constructor, or a
//     class that may be derived from, whose copy would be sliced) are refused: the operation
//     fails and posts an error;
//   - without bAutoDelete the list owns nothing and receives the pointers themselves.
// No object is created for a received slot, even with bAutoCreate. The copies are all made
// before the list changes, so a copy that throws leaves the list as it was and leaks nothing.
// Add of a list announces before(-1, -1, added) and after(first new index, last, added);
// CopyFrom empties the list as Clear does (deleting its objects with bAutoDelete) and then
// appends in the same way. AddNULL appends a null slot and creates no object either.

#include "MList.h"
#include "MTrace.h"

#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

template <class T>
class MListAdr : public MList<T> {
    static_assert(std::is_pointer_v<T>, "an owning list holds pointers to its objects");
    using Base = MList<T>;
    using Object = std::remove_pointer_t<T>;

public:
    using Base::bLockEvent;
    using Base::Data;
    using Base::FCount;
    using Base::FName;
    using Base::OnAfterChange;
    using Base::OnBeforeChange;
    using typename Base::ChangeHandler;

    ChangeHandler OnBeforeChangeUser;
    ChangeHandler OnAfterChangeUser;
    bool bAutoDelete = false;  // delete the object of every removed element
    bool bAutoCreate = false;  // create an object for every added empty slot

    MListAdr() { MListAdr::Init(); }
    // Empties the list while this level's handlers are still bound, so its objects are
    // deleted (with bAutoDelete) and the user's handlers hear of it.
    ~MListAdr() override { this->FreeAnnouncingOneRemoval(); }

    using Base::Add;

    // Appends empty slots (each filled with a new object when bAutoCreate) or removes the last
    // elements one at a time. Fails, without looping, on a negative count or when an empty slot
    // cannot be appended (no memory, or repeats refused and the last element is null).
    bool SetCount(int NewCount) override;
    void Init() override;
    // Appends the pointer itself, never a new object; the list then owns the object.
    int Add(const T& value) override;
    // Stores the pointer itself, never a new object.
    bool Insert(int Index, const T& value) override;
    // Opens a null slot at Index, filled with a new object when bAutoCreate.
    bool Insert(int Index) override;
    // Loaded pointers are null (addresses from a stream mean nothing here). With bAutoDelete
    // the objects whose slots the load overwrote or dropped are deleted.
    bool LoadFromStream(MStream* MS, bool bData) override;
    void SetOnBeforeChange(ChangeHandler handler) override { OnBeforeChangeUser = handler; }
    void SetOnAfterChange(ChangeHandler handler) override { OnAfterChangeUser = handler; }
    ChangeHandler GetOnBeforeChange() const override { return OnBeforeChangeUser; }
    ChangeHandler GetOnAfterChange() const override { return OnAfterChangeUser; }
    // Appends an empty slot; with bAutoCreate the after event puts a new object there.
    int Add() override;
    // Append copies of ML's objects, or the pointers themselves without bAutoDelete (see above).
    bool Add(const MListSimple<T>& ML, int IndexBegin, int Count) override;
    bool Add(const MList<T>& ML, int IndexBegin, int Count) override;
    // Appends a null slot, never an object.
    int AddNULL() override;

    void OnBeforeChangeIn(int IndexBegin, int IndexEnd, int ChangeKind);
    void OnAfterChangeIn(int IndexBegin, int IndexEnd, int ChangeKind);

protected:
    // Empties the list as Clear does and receives ML's first Count elements as Add does.
    bool ReplaceContent(const MListSimple<T>& ML, int Count) override;

private:
    // Copying a polymorphic object through its static type would slice a derived one.
    static constexpr bool kObjectsCopyable =
        std::is_copy_constructible_v<Object> && (!std::is_polymorphic_v<Object> || std::is_final_v<Object>);

    T CreateObject();
    // What this list is to hold for Count elements from `from` on: copies of their objects with
    // bAutoDelete, else the pointers. False, with nothing left behind, when a copy fails.
    bool Receive(const T* from, int Count, std::vector<T>& received);
    // Deletes received copies that did not make it into the list.
    void Discard(std::vector<T>& received);
    // Appends the received elements with one pair of events.
    bool AppendReceived(const std::vector<T>& received);

    // Set while Insert(Index) runs: the slot its growth appends is overwritten by the shift
    // that follows, so no object may be created for it.
    bool bInsertGrowing = false;
};

template <class T>
bool MListAdr<T>::SetCount(int NewCount)
{
    if (NewCount < 0) {
        TraceError(FName, "return error", "MListAdr<T>::SetCount");
        return false;
    }
    const bool autoCreate = bAutoCreate;
    if (bInsertGrowing)
        bAutoCreate = false;
    bool progressing = true;
    while (progressing && FCount < NewCount)
        progressing = Add() >= 0;
    while (progressing && FCount > NewCount)
        progressing = Base::DeleteIndex(FCount - 1);
    bAutoCreate = autoCreate;
    if (!progressing) {
        TraceError(FName, "return error", "MListAdr<T>::SetCount");
        return false;
    }
    return true;
}

template <class T>
void MListAdr<T>::Init()
{
    Base::Init();
    bAutoDelete = false;
    bAutoCreate = false;
    OnBeforeChange = ChangeHandler::template Of<&MListAdr::OnBeforeChangeIn>(this);
    OnAfterChange = ChangeHandler::template Of<&MListAdr::OnAfterChangeIn>(this);
    OnBeforeChangeUser = {};
    OnAfterChangeUser = {};
}

template <class T>
int MListAdr<T>::Add(const T& value)
{
    const bool autoCreate = std::exchange(bAutoCreate, false);
    const int index = Base::Add(value);
    bAutoCreate = autoCreate;
    return index;
}

template <class T>
bool MListAdr<T>::Insert(int Index, const T& value)
{
    const bool autoCreate = std::exchange(bAutoCreate, false);
    const bool inserted = Base::Insert(Index, value);
    bAutoCreate = autoCreate;
    return inserted;
}

template <class T>
bool MListAdr<T>::Insert(int Index)
{
    const bool insertGrowing = std::exchange(bInsertGrowing, true);
    const bool inserted = Base::Insert(Index);
    bInsertGrowing = insertGrowing;
    return inserted;
}

template <class T>
bool MListAdr<T>::LoadFromStream(MStream* MS, bool bData)
{
    if (!bAutoDelete)
        return Base::LoadFromStream(MS, bData);
    std::vector<T> displaced;
    try {
        displaced.assign(Data, Data + FCount);
    } catch (...) {
        TraceError(FName, "Error stream", "MList<T>::LoadFromStream");
        return false;
    }
    const bool loaded = Base::LoadFromStream(MS, bData);
    for (std::size_t i = 0; i < displaced.size(); ++i)
        if (static_cast<int>(i) >= FCount || Data[i] != displaced[i])
            delete displaced[i];
    return loaded;
}

template <class T>
int MListAdr<T>::Add()
{
    return Base::Add(T{});
}

template <class T>
bool MListAdr<T>::Add(const MListSimple<T>& ML, int IndexBegin, int Count)
{
    if (const auto range = this->CheckAddRange(ML, IndexBegin, Count); range != Base::AddRange::Valid)
        return range == Base::AddRange::Nothing;
    std::vector<T> received;
    if (!Receive(ML.Data + IndexBegin, Count, received) || !AppendReceived(received)) {
        Discard(received);
        TraceError(FName, "return error", "MListAdr<T>::Add");
        return false;
    }
    return true;
}

template <class T>
bool MListAdr<T>::Add(const MList<T>& ML, int IndexBegin, int Count)
{
    return Add(static_cast<const MListSimple<T>&>(ML), IndexBegin, Count);
}

template <class T>
int MListAdr<T>::AddNULL()
{
    const bool autoCreate = std::exchange(bAutoCreate, false);
    const int index = Base::AddNULL();
    bAutoCreate = autoCreate;
    return index;
}

template <class T>
bool MListAdr<T>::ReplaceContent(const MListSimple<T>& ML, int Count)
{
    if (&ML == this)
        return SetCount(Count);  // its own front: only the objects behind it go
    std::vector<T> received;
    // The room is taken before anything is removed, so a failure leaves the list as it was.
    const bool replaced =
        Receive(ML.Data, Count, received) && this->GrowD(Count) && SetCount(0) && AppendReceived(received);
    if (!replaced) {
        Discard(received);
        TraceError(FName, "return error", "MListAdr<T>::CopyFrom");
    }
    return replaced;
}

template <class T>
bool MListAdr<T>::Receive(const T* from, int Count, std::vector<T>& received)
{
    try {
        received.reserve(static_cast<std::size_t>(Count));
        if (!bAutoDelete) {
            received.assign(from, from + Count);
            return true;
        }
        if constexpr (kObjectsCopyable) {
            for (int i = 0; i < Count; ++i)
                received.push_back(from[i] == nullptr ? nullptr : new Object(*from[i]));
            return true;
        }
    } catch (...) {
        Discard(received);
    }
    return false;
}

template <class T>
void MListAdr<T>::Discard(std::vector<T>& received)
{
    if (bAutoDelete)
        for (T object : received)
            delete object;
    received.clear();
}

template <class T>
bool MListAdr<T>::AppendReceived(const std::vector<T>& received)
{
    const int oldCount = FCount;
    const int newCount = oldCount + static_cast<int>(received.size());
    this->FireBefore(-1, -1, MListChangeAdded);
    if (!MListSimple<T>::SetCount(newCount))
        return false;
    std::copy(received.begin(), received.end(), Data + oldCount);
    const bool autoCreate = std::exchange(bAutoCreate, false);
    this->FireAfter(oldCount, newCount - 1, MListChangeAdded);
    bAutoCreate = autoCreate;
    return true;
}

template <class T>
void MListAdr<T>::OnBeforeChangeIn(int IndexBegin, int IndexEnd, int ChangeKind)
{
    if (bAutoDelete && ChangeKind == MListChangeRemoved) {
        for (int i = std::max(IndexBegin, 0); i <= IndexEnd && i < FCount; ++i) {
            delete Data[i];
            Data[i] = nullptr;
        }
    }
    if (OnBeforeChangeUser)
        OnBeforeChangeUser(IndexBegin, IndexEnd, ChangeKind);
}

template <class T>
void MListAdr<T>::OnAfterChangeIn(int IndexBegin, int IndexEnd, int ChangeKind)
{
    if (bAutoCreate && ChangeKind == MListChangeAdded) {
        for (int i = std::max(IndexBegin, 0); i <= IndexEnd && i < FCount; ++i)
            Data[i] = CreateObject();
    }
    if (OnAfterChangeUser)
        OnAfterChangeUser(IndexBegin, IndexEnd, ChangeKind);
}

template <class T>
T MListAdr<T>::CreateObject()
{
    try {
        return new Object();
    } catch (...) {
        // Nothing leaves the list operation that fired the event: the slot stays empty.
        TraceError(FName, "Unknown error", "MListAdr<T>::OnAfterChangeIn");
        return nullptr;
    }
}

#endif
