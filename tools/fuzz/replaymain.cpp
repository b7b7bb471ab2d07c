// Feeds every file of the given folders to a fuzz target once, for a build without libFuzzer.
//   fuzz_replay_<target> FOLDER... [--optional FOLDER...]
// Folders after --optional may be missing. A broken invariant traps like under the fuzzer;
// finding no input at all is a failure too, so a moved corpus cannot pass unnoticed.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

bool readFile(const std::filesystem::path &path, std::vector<std::uint8_t> &bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    bool optional = false;
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--optional") == 0) {
            optional = true;
            continue;
        }
        const fs::path folder(argv[i]);
        std::error_code error;
        if (!fs::is_directory(folder, error)) {
            if (optional)
                continue;
            std::fprintf(stderr, "no such folder: %s\n", argv[i]);
            return 1;
        }
        // Sorted, so a failure names the same file on every machine.
        std::vector<fs::path> files;
        for (const fs::directory_entry &entry : fs::recursive_directory_iterator(folder)) {
            if (entry.is_regular_file())
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        std::vector<std::uint8_t> bytes;
        for (const fs::path &file : files) {
            if (!readFile(file, bytes)) {
                std::fprintf(stderr, "cannot read %s\n", file.c_str());
                return 1;
            }
            // Printed first: when the target traps, the last line names the input.
            std::fprintf(stderr, "%s\n", file.c_str());
            // An empty vector's data() may be null; libFuzzer never passes null.
            static const std::uint8_t none = 0;
            LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::printf("%d input(s) replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
