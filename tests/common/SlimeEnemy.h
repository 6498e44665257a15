#pragma once
// The Slime enemy of tests/core/data/Slime.asm as the enemy model holds it:
// what the windows hold after entering it, and what reading the file gives.

#include "Enemy.h"
#include "SpriteRows.h"

inline palvorn::Enemy slimeEnemy()
{
    palvorn::Enemy e;
    e.sprites = {sprite(8, {"..XXXX..", "XXXXXXXX", "X......X"}), sprite(8, {"XXXX....", "....XXXX"}),
                 sprite(8, {"......XX", "XX......"}), sprite(8, {"XXXXXXXX", "........"}),
                 sprite(8, {".X.X.X.X", "X.X.X.X."})};
    palvorn::EnemySettings& s = e.settings;
    s.name = "Slime";
    s.itemText = "Heal Leaf";
    s.item = 1;
    s.minHP = "20";
    s.maxHP = "65";
    s.money = "15";
    s.highDefense = 5;
    s.lowDefense = 4;
    s.highAttack = 6;
    s.lowAttack = 3;
    s.specialAttack = 7;
    s.blockChance = 3;
    s.attacks = 5;
    return e;
}
