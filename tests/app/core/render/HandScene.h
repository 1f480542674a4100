#ifndef PELMORA_TESTS_APP_CORE_RENDER_HANDSCENE_H
#define PELMORA_TESTS_APP_CORE_RENDER_HANDSCENE_H

// A scene laid out by hand for drawing tests: a few elements, and atoms and stick ends placed
// straight into the view lists, so every pixel position follows from a few round numbers.

#include <cstdint>

#include "Scene.h"

// Red and green balls (0x00BBGGRR: red sits in the low byte), a grey carbon and a pale hydrogen.
struct HandElement {
    const char* name;
    float radius;
    std::int32_t color;
};
inline constexpr HandElement HandElements[] = {
    {"R", 2.5f, 0x000000FF},
    {"G", 1.75f, 0x0000FF00},
    {"C", 0.5f, 0x00102030},
    {"H", 0.25f, 0x00C0B0A0},
};
inline constexpr int RedIndex = 0;
inline constexpr int GreenIndex = 1;
inline constexpr int GreyCarbonIndex = 2;
inline constexpr int PaleHydrogenIndex = 3;

struct HandScene {
    explicit HandScene(float scale)
    {
        for (const HandElement& element : HandElements)
            scene.LAtom.Add(new MAtom{element.name, element.radius, element.color, element.radius});
        scene.ScaleXyz = scale;
        scene.KRPoint = 1;
    }

    int Atom(float x, float y, float z, int element)
    {
        return scene.LXyzView.Add(MPoint3DN<float>{x, y, z, element, -1});
    }

    // A stick from atom i1 to atom i2 whose cut ends are given: p2 on the ball of i1, p1 on the
    // ball of i2, as the rotation leaves them.
    void Stick(int i1, int i2, MPoint3DN<float> p1, MPoint3DN<float> p2)
    {
        scene.LStick.Add(MStickAtoms{i1, i2});
        scene.LStickView.Add(MStickEnds{{p1.x, p1.y, p1.z}, {p2.x, p2.y, p2.z}});
    }

    Scene scene;
};

#endif
