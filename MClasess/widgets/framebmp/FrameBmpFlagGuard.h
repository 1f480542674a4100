#ifndef PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPFLAGGUARD_H
#define PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPFLAGGUARD_H

namespace framebmp {

// Sets a re-entry flag for a span and puts back what it was before, so a nested span never
// releases a lock that an outer span still holds.
class TFlagGuard {
public:
    explicit TFlagGuard(bool& flag, bool value = true) noexcept : FFlag(flag), FSaved(flag) { FFlag = value; }
    ~TFlagGuard() { FFlag = FSaved; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

    // Restores now; the destructor then restores the same value again, which is harmless.
    void Restore() noexcept { FFlag = FSaved; }

private:
    bool& FFlag;
    bool FSaved;
};

}  // namespace framebmp

#endif
