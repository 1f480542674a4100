#include "Scene.h"

#include <span>

#include "Groups.h"
#include "KFactor.h"
#include "StickBuilder.h"

Scene::Scene()
{
    LAtom.bAutoDelete = true;
    LAtom.bAutoCreate = true;
    LGroup.bAutoDelete = true;
    LGroup.bAutoCreate = true;
    LXyz.FName = "LXyz";
    LXyzTrans.FName = "LXyzTrans";
    LXyzView.FName = "LXyzView";
    LStick.FName = "LStick";
    LStickView.FName = "LStickView";
    LAtom.FName = "LAtom";
    LObj.FName = "LObj";
    LGroup.FName = "LGroup";
}

float Scene::UpdateSticks(const StickControls& controls)
{
    KRPoint = KFactor(controls.AtomRadiusPosition, AtomRadiusBarMaximum);
    const float kMin = KFactor(controls.StickPosition, StickBarMaximum);
    LStick.Clear();
    StickSearch = {};
    if (controls.DrawSticks)
        StickSearch =
            BuildSticks(std::span<const MPoint3DN<float>>(LXyzTrans.Data, static_cast<std::size_t>(LXyzTrans.FCount)),
                        std::span<MAtom* const>(LAtom.Data, static_cast<std::size_t>(LAtom.FCount)), kMin, LStick);
    return kMin;
}

void Scene::RebuildTranslation(const TranslationCell& lattice)
{
    BuildGroups(LXyz, LAtom, LGroup);
    RepeatedCell = lattice;
    RepeatedAtoms = LXyz.FCount;
    CopiesLeftOut = RepeatCell(LXyz, lattice, LXyzTrans, &TransOrigin);
    RemoveNearDuplicates(LXyzTrans, &TransOrigin);
    CenterAndScale(LXyzTrans, LAtom, KRPoint, SceneBitmapSize, &ScaleXyz);
}

void Scene::Rotate(const ViewAngles& angles)
{
    RotatePoints(LXyzTrans, angles, LXyzView);
    CutStickEnds(LStick, LXyzView, LAtom, KRPoint, LStickView);
}
