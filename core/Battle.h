#pragma once
// The battle sketch: the enemy's poses moved about the calculator screen by
// the places its file holds (RobotX, RobotY, RobotTo), one frame at a time.
// A sketch from those places, not the game's own drawing. Plain C++.

#include <array>

#include "Enemy.h"
#include "Sprite.h"

namespace palvorn {

// What the enemy does during one phase of the loop.
enum class BattleMove {
    Stand,     // the pose at RobotX
    StepTo,    // the pose moving from RobotX to RobotTo, there on the last frame
    Attack,    // the pose at RobotTo
    StepBack,  // the pose moving from RobotTo to RobotX, there on the last frame
    Blink,     // the pose at RobotX on even frames of the phase, gone on odd ones
};

struct BattlePhase {
    BattleMove move;
    Pose pose;
    int frames;
};

// The loop: for each attack, the normal pose standing, stepping to RobotTo,
// the attack pose there, the normal pose stepping back; then the hurt pose
// blinking; then again from the start. Every pose stands at its top left
// (x, RobotY) by placementFor.
inline constexpr std::array<BattlePhase, 13> kBattleLoop{{
    {BattleMove::Stand, Pose::Normal, 6},
    {BattleMove::StepTo, Pose::Normal, 4},
    {BattleMove::Attack, Pose::HighAttack, 6},
    {BattleMove::StepBack, Pose::Normal, 4},
    {BattleMove::Stand, Pose::Normal, 6},
    {BattleMove::StepTo, Pose::Normal, 4},
    {BattleMove::Attack, Pose::LowAttack, 6},
    {BattleMove::StepBack, Pose::Normal, 4},
    {BattleMove::Stand, Pose::Normal, 6},
    {BattleMove::StepTo, Pose::Normal, 4},
    {BattleMove::Attack, Pose::SpecialAttack, 6},
    {BattleMove::StepBack, Pose::Normal, 4},
    {BattleMove::Blink, Pose::Hurt, 8},
}};

// Frames in one pass of the loop.
constexpr int battleLoopFrames()
{
    int frames = 0;
    for (const BattlePhase& phase : kBattleLoop)
        frames += phase.frames;
    return frames;
}

// How long a frame stands at the normal pace.
inline constexpr int kBattleFrameMs = 100;

// Where frame `frame` (0 <= frame < battleLoopFrames()) falls: its phase's
// index in kBattleLoop and the frame within that phase.
struct BattleMoment {
    int phase = 0;
    int frame = 0;
    friend bool operator==(const BattleMoment&, const BattleMoment&) = default;
};
BattleMoment battleMoment(int frame);

// Frame `frame` of the loop, counted from 0 and repeating past its end, as
// the 96 × 64 screen: the pose's set pixels set, everything else clear, and
// whatever falls off the screen cut off. An empty pose draws nothing.
// Throws std::invalid_argument for a negative frame.
Sprite battleFrame(const Enemy& enemy, int frame);

}  // namespace palvorn
