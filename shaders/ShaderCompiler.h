#pragma once
// Compiles one effect with fxc.exe in the work folder and puts the result
// into TSPath\dev\Shaders\ (PutEffectIntoGame). True when it was installed
// or the game's own effect was kept; placement, when given, receives which.
#include <string>

#include "shaders/Definitions.h"
#include "shaders/EffectPlacement.h"

bool CompileEffect(const std::u16string& name, std::string templateText, DefinitionList definitions,
                   EffectPlacement* placement = nullptr);
