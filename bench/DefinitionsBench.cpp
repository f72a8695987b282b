// Building the definition lists and effect sources of all 15 effects, as one
// install does before it starts the compiler.
#include <benchmark/benchmark.h>

#include <string>

#include "settings/Settings.h"
#include "shaders/Definitions.h"
#include "shaders/ShaderTemplates.h"

static void BM_AllEffectSources(benchmark::State& state) {
    const ShaderSettings shader;
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (const ShaderTemplate& t : ShaderTemplates()) {
            if (t.kind != TemplateKind::Effect) continue;
            std::string source = BuildEffectSource(std::string(t.text), BuildDefinitionList(t.name, shader));
            bytes += source.size();
            benchmark::DoNotOptimize(source.data());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_AllEffectSources);

static void BM_AllDefinitionLists(benchmark::State& state) {
    const ShaderSettings shader;
    for (auto _ : state) {
        for (const ShaderTemplate& t : ShaderTemplates()) {
            if (t.kind != TemplateKind::Effect) continue;
            DefinitionList list = BuildDefinitionList(t.name, shader);
            benchmark::DoNotOptimize(list.data());
        }
    }
}
BENCHMARK(BM_AllDefinitionLists);

static void BM_FormatFloat(benchmark::State& state) {
    float value = 0.123f;
    for (auto _ : state) {
        std::string text = FormatFloat(value);
        benchmark::DoNotOptimize(text.data());
        value += 1.0f;
    }
}
BENCHMARK(BM_FormatFloat);
