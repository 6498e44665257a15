#include "Battle.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "Rules.h"

namespace palvorn {

namespace {

// Sets the sprite's set pixels in screen with its top left at (left, top).
void draw(Sprite& screen, const Sprite& sprite, int left, int top)
{
    const int x0 = std::max(0, -left);
    const int x1 = std::min(sprite.width(), screen.width() - left);
    const int y0 = std::max(0, -top);
    const int y1 = std::min(sprite.height(), screen.height() - top);
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* row = sprite.row(y);
        for (int x = x0; x < x1; ++x)
            if (rowPixel(row, x))
                screen.setPixel(left + x, top + y, true);
    }
}

// From `from` towards `to`, reaching it on the last of `frames` frames.
int between(int from, int to, int frame, int frames)
{
    return from + (to - from) * (frame + 1) / frames;
}

}  // namespace

BattleMoment battleMoment(int frame)
{
    if (frame < 0 || frame >= battleLoopFrames())
        throw std::invalid_argument("battle frame " + std::to_string(frame) + " is outside the loop");
    BattleMoment moment;
    while (frame >= kBattleLoop[static_cast<std::size_t>(moment.phase)].frames) {
        frame -= kBattleLoop[static_cast<std::size_t>(moment.phase)].frames;
        ++moment.phase;
    }
    moment.frame = frame;
    return moment;
}

Sprite battleFrame(const Enemy& enemy, int frame)
{
    if (frame < 0)
        throw std::invalid_argument("battle frame " + std::to_string(frame) + " is negative");
    const BattleMoment at = battleMoment(frame % battleLoopFrames());
    const BattlePhase& phase = kBattleLoop[static_cast<std::size_t>(at.phase)];
    const Sprite& sprite = enemy.sprites[static_cast<std::size_t>(phase.pose)];
    Sprite screen(kScreenWidth, kScreenHeight);
    const Placement place = placementFor(sprite, enemy.sprites[0]);
    int left = place.robotX;
    switch (phase.move) {
    case BattleMove::Stand:
        break;
    case BattleMove::StepTo:
        left = between(place.robotX, place.robotTo, at.frame, phase.frames);
        break;
    case BattleMove::Attack:
        left = place.robotTo;
        break;
    case BattleMove::StepBack:
        left = between(place.robotTo, place.robotX, at.frame, phase.frames);
        break;
    case BattleMove::Blink:
        if (at.frame % 2 == 1)
            return screen;
        break;
    }
    draw(screen, sprite, left, place.robotY);
    return screen;
}

}  // namespace palvorn
