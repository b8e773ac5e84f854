// SPDX-License-Identifier: GPL-3.0-or-later
// Packs and unpacks a one-minute 16-bit mono wave of speech (16 kHz and
// 44.1 kHz) with the archive classes and, on the same files in the same run,
// with `zip -6` and `unzip -o`; prints the best of several runs of each.

#include "archive/ZipClass.h"
#include "archive/ZipExtractionClass.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int Rounds = 7;

double bestMilliseconds(const std::function<bool()> &work) {
    double best = 1e300;
    for (int i = 0; i < Rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!work()) {
            std::fprintf(stderr, "a run failed\n");
            std::exit(1);
        }
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

bool shell(const std::string &command) {
    return std::system(command.c_str()) == 0;
}

std::string quoted(const fs::path &p) {
    return "'" + p.string() + "'";
}

} // namespace

int main() {
    for (const char *tool : {"sox", "espeak-ng", "zip", "unzip"}) {
        if (!shell(std::string("command -v ") + tool + " >/dev/null")) {
            std::fprintf(stderr, "%s is missing: run scripts/install-deps.sh\n", tool);
            return 1;
        }
    }
    std::string pattern = (fs::temp_directory_path() / "bench_archive.XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    const fs::path dir(pattern);
    const fs::path speech = dir / "speech.wav";
    if (!shell("espeak-ng -s 150 -w " + quoted(speech) +
               " 'This is a spoken message for the calendar. The meeting with the team is "
               "moved to Thursday at half past two, in the small room on the second floor. "
               "Please bring the figures for the third quarter and the notes from last week.'"))
        return 1;

    std::printf("%-10s %-8s %10s %10s %9s %10s %10s %7s\n", "rate", "who", "wave B", "archive B",
                "ratio", "pack ms", "unpack ms", "MB/s");
    for (const int rate : {16000, 44100}) {
        const fs::path wav = dir / ("message" + std::to_string(rate) + ".wav");
        // Speech repeated to one minute: each repetition lies further back than
        // deflate's 32 KiB window, so it compresses like one long message.
        if (!shell("sox " + quoted(speech) + " -r " + std::to_string(rate) + " -b 16 -c 1 " +
                   quoted(wav) + " repeat 30 trim 0 60"))
            return 1;
        const double waveBytes = static_cast<double>(fs::file_size(wav));

        const fs::path ours = dir / "ours.tbr";
        const double oursPack = bestMilliseconds([&] {
            tembrel::ZipClass zip;
            return zip.AddFile(wav.string(), "temp.wav") && zip.WriteZip(ours.string(), true);
        });
        const fs::path outOurs = dir / "out-ours";
        const double oursUnpack = bestMilliseconds([&] {
            tembrel::ZipExtractionClass zip;
            bool failed = false;
            zip.ZipError = [&](int, const std::string &) { failed = true; };
            const bool done =
                zip.OpenZip(ours.string()) && zip.Extract(outOurs.string(), true, true);
            zip.CloseZip();
            return done && !failed;
        });

        const fs::path theirs = dir / "theirs.zip";
        const fs::path entry = dir / "temp.wav";
        fs::copy_file(wav, entry, fs::copy_options::overwrite_existing);
        const double zipPack = bestMilliseconds([&] {
            fs::remove(theirs);
            return shell("cd " + quoted(dir) + " && zip -q -6 -X " + quoted(theirs) + " temp.wav");
        });
        const fs::path outTheirs = dir / "out-theirs";
        const double unzipUnpack = bestMilliseconds(
            [&] { return shell("unzip -q -o " + quoted(theirs) + " -d " + quoted(outTheirs)); });
        // Each reader on the other's archive, as a cross-check of the bytes.
        const fs::path cross = dir / "out-cross";
        if (!shell("unzip -q -o " + quoted(ours) + " -d " + quoted(cross)) ||
            !shell("cmp -s " + quoted(wav) + " " + quoted(cross / "temp.wav")) ||
            !shell("cmp -s " + quoted(wav) + " " + quoted(outOurs / "temp.wav")) ||
            !shell("cmp -s " + quoted(wav) + " " + quoted(outTheirs / "temp.wav"))) {
            std::fprintf(stderr, "unpacked bytes differ\n");
            return 1;
        }

        const double oursSize = static_cast<double>(fs::file_size(ours));
        const double theirsSize = static_cast<double>(fs::file_size(theirs));
        auto row = [&](const char *who, double size, double pack, double unpack) {
            std::printf("%-10d %-8s %10.0f %10.0f %8.1f%% %10.2f %10.2f %7.1f\n", rate, who,
                        waveBytes, size, 100.0 * size / waveBytes, pack, unpack,
                        waveBytes / 1e6 / (pack / 1000.0));
        };
        row("ours", oursSize, oursPack, oursUnpack);
        row("info-zip", theirsSize, zipPack, unzipUnpack);
        std::printf("%-10d ours/info-zip: pack time %.2f, unpack time %.2f, size %.3f\n", rate,
                    oursPack / zipPack, oursUnpack / unzipUnpack, oursSize / theirsSize);
    }
    fs::remove_all(dir);
    std::printf("best of %d runs each; the Info-ZIP times include starting the tool\n", Rounds);
    return 0;
}
