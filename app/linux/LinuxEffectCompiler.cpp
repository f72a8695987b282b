// Linux has no system effect compiler: fxc.exe runs through wine instead.
#include "app/SystemEffectCompiler.h"

bool FindSystemEffectCompiler(std::u16string& location, std::u16string& problem) {
    location.clear();
    problem = u"this system has no effect compiler of its own: put fxc.exe from the Windows SDK beside Vantrel";
    return false;
}

bool CompileWithSystemEffectCompiler(const std::string&, const std::string&, const std::u16string&,
                                     const std::u16string&, std::string& messages) {
    messages = "no system effect compiler";
    return false;
}
