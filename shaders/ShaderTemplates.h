#pragma once
// The 25 template texts carried by the program: 10 include headers and 15
// effects, embedded at build time.
#include <string>
#include <string_view>
#include <vector>

enum class TemplateKind { Header, Effect };

struct ShaderTemplate {
    std::u16string name;  // header: file name; effect: name without ".fx"
    TemplateKind kind;
    std::string_view text;  // LF line ends, bytes as stored
};

// Headers in install order, then effects in compile order.
const std::vector<ShaderTemplate>& ShaderTemplates();
const ShaderTemplate* FindShaderTemplate(std::u16string_view name);
