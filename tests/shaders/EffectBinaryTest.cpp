// The effect binary reader on the real compiler's output, cut short, damaged,
// and crafted to stall or bloat it.
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>

#include "shaders/EffectBinary.h"
#include "tests/shaders/CraftedEffects.h"
#include "tests/support/PipelineTestEnv.h"

// Every operator new of this test program is measured: the bytes held now
// and the most held since the last reset.
namespace {
std::atomic<size_t> g_held{0}, g_peak{0};
void Note(std::ptrdiff_t change) {
    const size_t now = g_held += static_cast<size_t>(change);
    for (size_t peak = g_peak; now > peak && !g_peak.compare_exchange_weak(peak, now);) {
    }
}
}  // namespace

void* operator new(size_t size) {
    void* memory = std::malloc(size ? size : 1);
    if (!memory) throw std::bad_alloc();
    Note(static_cast<std::ptrdiff_t>(malloc_usable_size(memory)));
    return memory;
}
void operator delete(void* memory) noexcept {
    if (!memory) return;
    Note(-static_cast<std::ptrdiff_t>(malloc_usable_size(memory)));
    std::free(memory);
}
void operator delete(void* memory, size_t) noexcept { operator delete(memory); }

namespace {

std::string Summary(const EffectInterface& effect) {
    std::string text;
    for (const EffectParameter& p : effect.parameters) {
        text += DescribeEffectType(p.type) + " " + p.name + (p.semantic.empty() ? "" : " : " + p.semantic);
        for (const std::string& a : p.annotations) text += " <" + a + ">";
        if (p.type.typeClass == 5) text += " {" + std::to_string(p.type.members) + " members}";
        text += "\n";
    }
    for (const EffectTechnique& t : effect.techniques) {
        text += "technique " + t.name + " (";
        for (const std::string& pass : t.passes) text += " " + pass;
        text += " )\n";
    }
    return text;
}

std::string SummaryOf(const std::string& bytes) {
    EffectInterface effect;
    return ReadEffectInterface(bytes, effect) ? Summary(effect) : "not an effect";
}

// Bytes placed right before a page that cannot be read: a byte read past
// their end ends the test program.
struct GuardedBytes {
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE)), capacity = 4 * page;
    char* memory =
        static_cast<char*>(mmap(nullptr, capacity + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    GuardedBytes() { mprotect(memory + capacity, page, PROT_NONE); }
    ~GuardedBytes() { munmap(memory, capacity + page); }
    std::string_view Place(const std::string& bytes) {
        char* start = memory + capacity - bytes.size();
        std::memcpy(start, bytes.data(), bytes.size());
        return std::string_view(start, bytes.size());
    }
};

}  // namespace

TEST(EffectBinary, ReadsWhatTheRealCompilerWrites) {
    EXPECT_EQ(SummaryOf(ReadText(kEffects / "game.fx.o")),
              "float4x4 WorldViewProj : WORLDVIEWPROJECTION\n"
              "float4 FogColour : FOG_COLOUR <UIName> <Scale>\n"
              "texture SceneTarget <RenderTarget>\n"
              "float[3] Weights\n"
              "struct[2] Lights {2 members}\n"
              "technique HIGH ( P0 P1 )\n"
              "technique LOW ( P0 )\n");

    const fs::path compiler = VANTREL_VKD3D_COMPILER;
    ASSERT_TRUE(fs::exists(compiler)) << "no vkd3d-compiler at " << compiler << "; run scripts/setup-vkd3d.sh";
    TempDir tmp;
    for (const std::string name : {"game", "complete", "lacking"}) {
        const fs::path output = tmp.path / (name + ".fx.o");
        const std::string command = "'" + compiler.string() + "' -x hlsl -p fx_2_0 -b fx -o '" + output.string() +
                                    "' '" + (kEffects / (name + ".fx")).string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_NE(SummaryOf(ReadText(output)), "not an effect") << name;
        EXPECT_EQ(SummaryOf(ReadText(output)), SummaryOf(ReadText(kEffects / (name + ".fx.o")))) << name;
    }
}

TEST(EffectBinary, TruncatedOrCorruptedFilesReadAsNotAnEffectWithoutReadingPastTheEnd) {
    GuardedBytes guarded;
    EffectInterface effect;
    for (const std::string& other : {std::string(), std::string("FAKEFXC\n#define MOX_A\r\n"), std::string(3, '\1')})
        EXPECT_FALSE(ReadEffectInterface(guarded.Place(other), effect));
    for (const char* name : {"game.fx.o", "complete.fx.o", "lacking.fx.o"}) {
        const std::string bytes = ReadText(kEffects / name), whole = SummaryOf(bytes);
        // Every prefix: not an effect, or (once the tables are complete) the same reading.
        int prefixesRead = 0;
        for (size_t length = 0; length < bytes.size(); ++length) {
            if (!ReadEffectInterface(guarded.Place(bytes.substr(0, length)), effect)) continue;
            ++prefixesRead;
            EXPECT_EQ(Summary(effect), whole) << name << " cut at " << length;
        }
        EXPECT_EQ(prefixesRead, 0) << name;  // the string objects after the techniques are read too
        // Every word replaced by values that point anywhere or count anything.
        int rejected = 0;
        for (size_t at = 0; at + 4 <= bytes.size(); at += 4) {
            for (std::uint32_t value : {0xFFFFFFFFu, 0x7FFFFFF0u, 0x1000u, std::uint32_t(bytes.size() - 6)}) {
                std::string damaged = bytes;
                for (int i = 0; i < 4; ++i) damaged[at + i] = static_cast<char>(value >> (8 * i));
                if (ReadEffectInterface(guarded.Place(damaged), effect)) continue;
                ++rejected;
                EXPECT_TRUE(effect.parameters.empty() && effect.techniques.empty());
            }
        }
        EXPECT_GT(rejected, 0) << name;
    }
}

TEST(EffectBinary, CraftedEffectsThatWouldStallOrBloatTheReaderAreNotReadableWhileLargeRealOnesAre) {
    // A real effect at the size of the largest the game could have: 4000
    // parameters with three annotations each, 200 techniques of four passes.
    effect_writer::Builder b;
    std::string table = effect_writer::Words({4000, 200, 0, 0});
    const std::uint32_t annotation = b.Numeric(4, 4, b.String("UIName"));
    for (int p = 0; p < 4000; ++p) {
        const std::uint32_t type = b.Numeric(3, 1, b.String("gParameterNumber" + std::to_string(p)), 1, 4);
        table += effect_writer::Words({type, 0, 0, 3, annotation, 0, annotation, 0, annotation, 0});
    }
    for (int t = 0; t < 200; ++t) {
        table += effect_writer::Words({b.String("Technique" + std::to_string(t)), 0, 4});
        for (int p = 0; p < 4; ++p) table += effect_writer::Words({b.String("P" + std::to_string(p)), 0, 2}) +
                                             effect_writer::Words({146, 0, 0, 0, 147, 0, 0, 0});
    }
    const std::string large = b.Finish(table + effect_writer::Words({0, 0}));
    EffectInterface effect;
    EXPECT_TRUE(ReadEffectInterface(large, effect));
    EXPECT_EQ(effect.parameters.size(), 4000u);
    EXPECT_EQ(effect.techniques.size(), 200u);

    for (const auto& [name, bytes] :
         {std::pair("nested structs", crafted::NestedStructs()), {"many annotations", crafted::ManyAnnotations()}}) {
        SCOPED_TRACE(name);
        const size_t before = g_held;
        g_peak = before;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_FALSE(ReadEffectInterface(bytes, effect));
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const double megabytes = double(g_peak - before) / (1 << 20);
        EXPECT_LT(seconds, 0.5);
        EXPECT_LT(megabytes, 16.0);
        EXPECT_TRUE(effect.parameters.empty() && effect.techniques.empty());
    }
}
