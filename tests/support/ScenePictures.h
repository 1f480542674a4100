#ifndef PELMORA_TESTS_SUPPORT_SCENEPICTURES_H
#define PELMORA_TESTS_SUPPORT_SCENEPICTURES_H

// Pictures like the ones the viewer saves: a white 3000 x 3000 scene with a few hundred balls in
// 30 element colours. Positions come from a fixed linear congruential sequence, so every run
// draws the same picture.

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <vector>

inline constexpr int kSceneSide = 3000;

inline void PaintDisc(QImage& picture, int centreX, int centreY, int radius, QRgb colour)
{
    for (int y = std::max(0, centreY - radius); y <= std::min(picture.height() - 1, centreY + radius); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = std::max(0, centreX - radius); x <= std::min(picture.width() - 1, centreX + radius); ++x) {
            const int dx = x - centreX;
            const int dy = y - centreY;
            if (dx * dx + dy * dy <= radius * radius)
                line[x] = colour;
        }
    }
}

struct Disc {
    int x, y, radius;
    int element;  // 0 .. 29
    QRgb colour;
};

inline std::vector<Disc> SceneDiscs(int count)
{
    std::vector<Disc> discs;
    std::uint32_t state = 12345;
    const auto next = [&state](std::uint32_t limit) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % limit);
    };
    for (int i = 0; i < count; ++i) {
        const int element = i % 30;
        const QRgb colour = qRgb(40 + element * 7, (element * 53) % 256, 230 - element * 5);
        const int x = next(kSceneSide);
        const int y = next(kSceneSide);
        discs.push_back({x, y, 20 + next(60), element, colour});
    }
    return discs;
}

// With shade set, each ball gets a radial shading: 30 elements x 12 shades give a picture of far
// more than 256 colours, for the GIF writer to reduce.
inline QImage ScenePicture(int discCount, bool shade = false)
{
    QImage scene(kSceneSide, kSceneSide, QImage::Format_RGB32);
    scene.fill(Qt::white);
    const int steps = shade ? 12 : 1;
    for (const Disc& disc : SceneDiscs(discCount)) {
        for (int step = 0; step < steps; ++step) {
            const int light = step * 8;
            const QRgb colour =
                qRgb(std::min(255, qRed(disc.colour) + light), std::min(255, qGreen(disc.colour) + light),
                     std::min(255, qBlue(disc.colour) + light));
            PaintDisc(scene, disc.x, disc.y, disc.radius * (steps - step) / steps, colour);
        }
    }
    return scene;
}

#endif
