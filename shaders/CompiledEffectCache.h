#pragma once
// Compiled effects kept in the preference folder ("CompiledEffects\"), one
// file per effect holding the output, the hash of everything that decided it
// and how long its compile took, so that an install compiles only the
// effects whose input changed, and the longest first.
#include <string>

// The hash of the compiler (its identity and options), the headers and the
// effect source as written to the work folder, as 16 hex digits.
std::string EffectInputHash(const std::string& compilerIdentity, const std::string& headers,
                            const std::string& sourceCrLf);

// Writes the kept output of the effect to file when it was made from the same
// input; false when there is none, it was made from another input, or it
// cannot be read or written out (the effect is then compiled again).
bool TakeKeptEffect(const std::u16string& name, const std::string& inputHash, const std::u16string& file);

// Keeps the compiled file for the effect with the milliseconds its compile
// took; a failure is logged and costs only a compile next time.
void KeepEffect(const std::u16string& name, const std::string& inputHash, const std::u16string& file,
                long compileMilliseconds);

// How long the last kept compile of the effect took, whatever its input was;
// -1 when none is kept or it holds no time.
long KeptCompileMilliseconds(const std::u16string& name);
