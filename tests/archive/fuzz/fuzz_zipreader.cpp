// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the archive reader as a file extracted into a sandbox:
// it stops on anything written outside the target and on events out of range.

#include "../../support/FuzzFail.h"
#include "archive/ZipExtractionClass.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path &sandbox() {
    static const fs::path root = [] {
        std::string pattern = (fs::temp_directory_path() / "fuzz_zipreader.XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            fail("no temporary folder");
        return fs::path(pattern);
    }();
    return root;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const fs::path box = sandbox() / "box";
    const fs::path archive = box / "in.zip";
    const fs::path out = box / "out";
    std::error_code ec;
    fs::remove_all(box, ec);
    fs::create_directories(out);
    {
        std::ofstream f(archive, std::ios::binary);
        f.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    }

    static const std::set<int> known = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13};
    int lastPercent = -1;
    {
        tembrel::ZipExtractionClass zip;
        zip.Progress = [&](std::int32_t percent, bool &) {
            if (percent < lastPercent || percent < 0 || percent > 100)
                fail("progress out of order: " + std::to_string(percent));
            lastPercent = percent;
        };
        zip.ZipError = [&](std::int32_t number, const std::string &) {
            if (!known.count(number))
                fail("unknown error number " + std::to_string(number));
        };
        if (zip.OpenZip(archive.string()))
            zip.Extract(out.string(), size % 2 == 0, true);
        zip.CloseZip();
    }

    for (const auto &entry : fs::directory_iterator(box)) {
        const std::string name = entry.path().filename().string();
        if (name != "in.zip" && name != "out")
            fail("written outside the target folder: " + name);
    }
    if (fs::file_size(archive) != size)
        fail("the archive itself was changed");
    return 0;
}
