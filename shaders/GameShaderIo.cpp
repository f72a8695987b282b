#include "shaders/GameShaderIo.h"

#include "app/FileIo.h"
#include "app/Retry.h"

namespace {
constexpr int kBusyAttempts = 6;
constexpr unsigned kBusyWaitMs = 250;
}  // namespace

bool ReadGameShader(const std::u16string& target, ShaderFileState& state) {
    return RetryWhileBusy(kBusyAttempts, kBusyWaitMs, [&] { return ReadShaderFileState(target, state); });
}

bool WriteGameShader(const std::u16string& target, const std::string& bytes) {
    return RetryWhileBusy(kBusyAttempts, kBusyWaitMs, [&] { return WriteFileReplacingSafely(target, bytes); });
}
