#ifndef PELMORA_MCLASESS_MLISTSIMPLEFIND_H
#define PELMORA_MCLASESS_MLISTSIMPLEFIND_H

// MListSimpleFind<T>: a list of bound handlers, for an event with any number of listeners.
// Listeners are added with Add (a handler added twice is called twice) and removed by value.
// The owner raises the event by calling Data[i] for i = 0 while i < FCount, reading FCount
// again before every call, so a handler that appends one makes it run in the same pass.

#include "MListSimple.h"
#include "MMethod.h"

template <class T>
class MListSimpleFind : public MListSimple<T> {
    static_assert(IsMMethod<T>, "a handler list holds bound handlers");
    using Base = MListSimple<T>;

public:
    using Base::Data;
    using Base::FCount;

    MListSimpleFind() = default;

    // Index of the first handler equal to handler (same object, same method), or -1.
    virtual int Find(const T& handler);
    // Deletes the first handler equal to handler; false when there is none.
    virtual bool DeleteT(const T& handler, bool bFast = false);
};

template <class T>
int MListSimpleFind<T>::Find(const T& handler)
{
    for (int i = 0; i < FCount; ++i)
        if (Data[i] == handler)
            return i;
    return -1;
}

template <class T>
bool MListSimpleFind<T>::DeleteT(const T& handler, bool bFast)
{
    const int index = Find(handler);
    if (index < 0)
        return false;
    return this->DeleteIndex(index, 1, bFast);
}

#endif
