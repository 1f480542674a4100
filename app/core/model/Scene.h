#ifndef PELMORA_APP_CORE_SCENE_H
#define PELMORA_APP_CORE_SCENE_H

// The molecule model and the steps that rebuild it. The window (and the headless export) reads
// its controls and calls these steps with plain values, in the order its handlers define.

#include <cstdint>
#include <vector>

#include "MList.h"
#include "MListAdr.h"
#include "PeriodicTranslation.h"
#include "Projection.h"
#include "SceneRecords.h"
#include "StickBuilder.h"

// The three bars of the Atoms panel and the stick check box.
struct StickControls {
    bool DrawSticks = false;
    int StickPosition = 0;         // "K Min stick length", 0 .. StickBarMaximum
    int AtomRadiusPosition = 500;  // "K atom radius", 1 .. AtomRadiusBarMaximum
};
inline constexpr int StickBarMaximum = 100;
inline constexpr int AtomRadiusBarMaximum = 1000;
inline constexpr int StickRadiusBarMaximum = 1000;

// Width and height of the scene bitmap in pixels.
inline constexpr int SceneBitmapSize = 3000;

class Scene {
public:
    Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Sets KRPoint from the atom-radius bar and returns the stick factor of the stick bar; then
    // rebuilds LStick over LXyzTrans (empty unless sticks are drawn, and empty when there would
    // be more than the stick bound: StickSearch says so).
    float UpdateSticks(const StickControls& controls);

    // The groups (LGroup and the atoms' group indexes, from LXyz), then the Nx x Ny repeat into
    // LXyzTrans, near-duplicate removal, centring and scale. The sticks and the rotation follow.
    void RebuildTranslation(const TranslationCell& lattice);

    // LXyzView and LStickView from LXyzTrans and LStick.
    void Rotate(const ViewAngles& angles);

    // The model, in the order the window constructs it.
    MList<MPoint3DN<float>> LXyz;
    MList<MPoint3DN<float>> LXyzTrans;
    MList<MPoint3DN<float>> LXyzView;
    MList<MStickAtoms> LStick;     // the sticks' atoms (their point copies: LXyzTrans[I1], [I2])
    MList<MStickEnds> LStickView;  // the sticks' cut ends, in the order of LStick
    MListAdr<MAtom*> LAtom;
    MList<MObj> LObj;
    MListAdr<MGroup*> LGroup;
    float KRPoint = 0;              // ball-size factor
    float ScaleXyz = 0;             // bitmap pixels per model unit
    StickSearchResult StickSearch;  // of the last UpdateSticks
    int CopiesLeftOut = 0;          // by the last repeat: carried beyond the single-precision range

    // Where each point of LXyzTrans comes from, as the last repeat made them: its place in the
    // whole repeat of RepeatedCell (RepeatCell's origin) over the RepeatedAtoms atoms of LXyz.
    std::vector<std::int32_t> TransOrigin;
    TranslationCell RepeatedCell;
    int RepeatedAtoms = 0;
};

#endif
