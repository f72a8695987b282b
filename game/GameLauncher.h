#pragma once
// Starts the game's 32-bit or 64-bit build from TSPath.
enum class GameVariant { Bit32, Bit64 };
void LaunchGame(GameVariant variant);
