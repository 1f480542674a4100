#ifndef PELMORA_TESTS_SUPPORT_COUNTEDOBJECT_H
#define PELMORA_TESTS_SUPPORT_COUNTEDOBJECT_H

// Counts its living objects, so a test sees every creation and deletion an owning list makes.
struct Counted {
    static inline int alive = 0;
    Counted() { ++alive; }
    ~Counted() { --alive; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;
};

#endif
