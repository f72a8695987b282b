#pragma once
// The template files as the build embedded them (sorted by file name,
// terminated by a row with a null name).
#include <cstddef>

struct EmbeddedTemplate {
    const char* fileName;
    const char* data;
    std::size_t size;
};

extern const EmbeddedTemplate kEmbeddedTemplates[];
