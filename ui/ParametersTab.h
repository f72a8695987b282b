#pragma once
// The first tab: every shader parameter, in twelve sections.
void ShaderParametersTab();
