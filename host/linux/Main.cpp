#include <string>
#include <vector>

#include "app/Text.h"
#include "host/Startup.h"

int main(int argc, char** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(Utf8ToWide(argv[i]));
    return RunVantrel(arguments);
}
