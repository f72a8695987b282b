#pragma once
// Compiles one effect with fxc.exe in the work folder and copies the result
// into TSPath\dev\Shaders\.
#include <string>

#include "shaders/Definitions.h"

bool CompileEffect(const std::u16string& name, std::string templateText, DefinitionList definitions);
