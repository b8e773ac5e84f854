// SPDX-License-Identifier: GPL-3.0-or-later
// Replays a fuzz target's seed files under CTest: every file of the folders
// given goes once through the target's own entry point, whose checks abort on
// a fault. Fails when a folder holds no file, so a moved corpus is noticed.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

int main(int argc, char **argv) {
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        int inFolder = 0;
        for (const auto &entry : std::filesystem::directory_iterator(argv[i])) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                   bytes.size());
            ++inFolder;
        }
        if (inFolder == 0) {
            std::fprintf(stderr, "no seed file in %s\n", argv[i]);
            return 1;
        }
        replayed += inFolder;
    }
    std::printf("%d seed files replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
