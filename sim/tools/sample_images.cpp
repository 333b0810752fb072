// Writes the simulated bench's sample HEX images into the folder given as the only argument.
#include "sim/SimSampleImages.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::pair<const char*, std::string> files[] = {{SimUsbBootloaderFile, SimUsbBootloaderHex()},
                                                         {SimTestFirmwareFile, SimTestFirmwareHex()},
                                                         {SimSeriesFirmwareFile, SimSeriesFirmwareHex()}};
    for (const auto& [name, text] : files) {
        const std::string path = std::string(argv[1]) + "/" + name;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        const bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
        if (!f || std::fclose(f) != 0 || !ok) {
            std::fprintf(stderr, "%s: not written\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
