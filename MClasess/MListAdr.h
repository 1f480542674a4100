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
// clearing the list deletes its objects last first.

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
    using typename Base::ChangeHandler;
    using Base::bLockEvent;
    using Base::Data;
    using Base::FCount;
    using Base::FName;
    using Base::OnAfterChange;
    using Base::OnBeforeChange;

    ChangeHandler OnBeforeChangeUser;
    ChangeHandler OnAfterChangeUser;
    bool bAutoDelete = false; // delete the object of every removed element
    bool bAutoCreate = false; // create an object for every added empty slot

    MListAdr() { MListAdr::Init(); }
    // Empties the list while this level's handlers are still bound, so its objects are
    // deleted (with bAutoDelete) and the user's handlers hear of it.
    ~MListAdr() override { MListAdr::Free(); }

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

    void OnBeforeChangeIn(int IndexBegin, int IndexEnd, int ChangeKind);
    void OnAfterChangeIn(int IndexBegin, int IndexEnd, int ChangeKind);

private:
    T CreateObject();

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
